// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractItemModel>
#include <QByteArray>
#include <QIcon>
#include <QList>

#include <memory>

class DirList;
struct DirectoryListing;

// The directory list as a desktop shows it: the chain of folders from the
// volume's root down to the list's path, each one open, then the
// subdirectories of that path. The model takes the list's path only in
// refresh(), so a walk can move the list thousands of times a second without
// the view following each move.
class DirListModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit DirListModel(const DirList &dir, QObject *parent = nullptr);

    void setIcons(const QIcon &openFolder, const QIcon &closedFolder);
    // Shows the list's present path; the chain starts at `volumeRoot`.
    void refresh(const QByteArray &volumeRoot);

    QByteArray path(const QModelIndex &index) const;
    // The entry of the list's own path: the last folder of the chain.
    QModelIndex pathIndex() const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    bool isChainEntry(quintptr id) const { return id < quintptr(m_chain.size()); }
    QModelIndex chainIndex(qsizetype depth) const;
    QByteArray subdirectory(qsizetype i) const;
    QString displayName(quintptr id) const;

    const DirList &m_dir;
    QByteArray m_path;
    QList<QByteArray> m_chain; // from the volume's root down to m_path
    // The subdirectories of m_path as of the last refresh: the walk moves
    // the list on between refreshes, the view shows what it was shown.
    std::shared_ptr<const DirectoryListing> m_listing;
    int m_subdirectories = 0;
    QIcon m_openFolder;
    QIcon m_closedFolder;
};
