// SPDX-License-Identifier: GPL-3.0-or-later
#include "dirlistview.h"

DirListView::DirListView(QWidget *parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
}

void DirListView::drawBranches(QPainter *, const QRect &, const QModelIndex &) const {}
