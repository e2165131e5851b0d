#include "filelistmodel.h"

#include "platform/filelist.h"
#include "platform/names.h"

#include <limits>

FileListModel::FileListModel(const FileList &files, QObject *parent)
    : QAbstractListModel(parent), m_files(files)
{}

void FileListModel::refresh()
{
    const int rows = int(std::min<qint64>(m_files.ListCount(), std::numeric_limits<int>::max()));
    if (stillShowsRefreshedPath() && rows == m_rows)
        return;
    beginResetModel();
    m_path = m_files.Path();
    m_pattern = m_files.Pattern();
    m_rows = rows;
    endResetModel();
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !stillShowsRefreshedPath() || index.row() >= m_files.ListCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return decodedName(m_files.List(index.row()));
    case Qt::DecorationRole:
        return m_fileIcon;
    default:
        return {};
    }
}

// Between refreshes a walk moves the list and changes its pattern; its
// entries then are others than the rows shown.
bool FileListModel::stillShowsRefreshedPath() const
{
    return m_files.Path() == m_path && m_files.Pattern() == m_pattern;
}
