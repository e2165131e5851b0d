// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTreeView>

// The directory list's view: each folder indented under the one that holds
// it, without a tree's branch arrows, as desktop directory lists show them.
class DirListView : public QTreeView
{
    Q_OBJECT

public:
    explicit DirListView(QWidget *parent = nullptr);

protected:
    void drawBranches(QPainter *painter, const QRect &rect,
                      const QModelIndex &index) const override;
};
