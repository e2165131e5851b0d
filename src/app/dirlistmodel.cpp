// SPDX-License-Identifier: GPL-3.0-or-later
#include "dirlistmodel.h"

#include "dirlist.h"
#include "filesystem.h"
#include "names.h"
#include "pathsyntax.h"

#include <limits>

namespace {

// The folders from `root` down to `path`; from the root of its volume when
// `root` does not hold `path`.
QList<QByteArray> folderChain(QByteArray root, const QByteArray &path)
{
    if (path != root && !isAncestorPath(root, path))
        root = volumeRoot(path);
    QList<QByteArray> chain{root};
    const QList<QByteArray> names = path.mid(root.size()).split(PathSeparator);
    for (const QByteArray &name : names) {
        if (!name.isEmpty())
            chain.append(childPath(chain.last(), name));
    }
    return chain;
}

} // namespace

DirListModel::DirListModel(const DirList &dir, QObject *parent)
    : QAbstractItemModel(parent), m_dir(dir)
{}

void DirListModel::setIcons(const QIcon &openFolder, const QIcon &closedFolder)
{
    m_openFolder = openFolder;
    m_closedFolder = closedFolder;
}

void DirListModel::refresh(const QByteArray &volumeRoot)
{
    const qint64 count = std::min<qint64>(m_dir.ListCount(), std::numeric_limits<int>::max());
    beginResetModel();
    m_path = m_dir.Path();
    m_listing = m_dir.listing();
    m_chain = m_path.isEmpty() ? QList<QByteArray>() : folderChain(volumeRoot, m_path);
    m_subdirectories = int(count);
    endResetModel();
}

QByteArray DirListModel::path(const QModelIndex &index) const
{
    if (!index.isValid())
        return {};
    const quintptr id = index.internalId();
    return isChainEntry(id) ? m_chain.at(qsizetype(id)) : subdirectory(index.row());
}

QModelIndex DirListModel::pathIndex() const
{
    return m_chain.isEmpty() ? QModelIndex() : chainIndex(m_chain.size() - 1);
}

QModelIndex DirListModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return chainIndex(0);
    const quintptr parentId = parent.internalId();
    if (parentId + 1 < quintptr(m_chain.size()))
        return chainIndex(qsizetype(parentId) + 1);
    return createIndex(row, column, quintptr(m_chain.size()) + quintptr(row));
}

QModelIndex DirListModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    const quintptr id = child.internalId();
    if (id == 0)
        return {};
    return chainIndex(isChainEntry(id) ? qsizetype(id) - 1 : m_chain.size() - 1);
}

int DirListModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_chain.isEmpty() ? 0 : 1;
    const quintptr id = parent.internalId();
    if (!isChainEntry(id))
        return 0;
    return id + 1 < quintptr(m_chain.size()) ? 1 : m_subdirectories;
}

int DirListModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant DirListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const quintptr id = index.internalId();
    switch (role) {
    case Qt::DisplayRole:
        return displayName(id);
    case Qt::DecorationRole:
        return isChainEntry(id) ? m_openFolder : m_closedFolder;
    default:
        return {};
    }
}

QModelIndex DirListModel::chainIndex(qsizetype depth) const
{
    return createIndex(0, 0, quintptr(depth));
}

// Subdirectory i of the path shown.
QByteArray DirListModel::subdirectory(qsizetype i) const
{
    if (!m_listing || i >= qsizetype(m_listing->subdirectories.size()))
        return {};
    return childPath(m_path, m_listing->subdirectories[std::size_t(i)].name);
}

QString DirListModel::displayName(quintptr id) const
{
    if (id == 0)
        return decodedName(m_chain.first());
    if (isChainEntry(id))
        return decodedName(finalName(m_chain.at(qsizetype(id))));
    return decodedName(finalName(subdirectory(qsizetype(id) - m_chain.size())));
}
