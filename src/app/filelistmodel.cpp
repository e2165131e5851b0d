// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelistmodel.h"

#include "filelist.h"
#include "names.h"

#include <limits>

FileListModel::FileListModel(const FileList &files, QObject *parent)
    : QAbstractListModel(parent), m_files(files)
{}

namespace {

// Rows read at every refresh: more than a list shows at once.
constexpr int RowsReadAhead = 64;

} // namespace

void FileListModel::refresh()
{
    const int rows = int(std::min<qint64>(m_files.ListCount(), std::numeric_limits<int>::max()));
    if (stillShowsRefreshedPath() && rows == m_rows)
        return;
    beginResetModel();
    m_path = m_files.Path();
    m_pattern = m_files.Pattern();
    m_rows = rows;
    m_names.clear();
    for (int row = 0; row < std::min(rows, RowsReadAhead); ++row)
        name(row);
    endResetModel();
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    const QString text = name(index.row());
    if (text.isNull())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text;
    case Qt::DecorationRole:
        return m_fileIcon;
    default:
        return {};
    }
}

// The name of `row` as of the last refresh; null when the list has moved on
// since and the name was not read before.
QString FileListModel::name(int row) const
{
    const auto known = m_names.constFind(row);
    if (known != m_names.cend())
        return *known;
    if (!stillShowsRefreshedPath() || row >= m_files.ListCount())
        return QString();
    return *m_names.insert(row, decodedName(m_files.List(row)));
}

// Between refreshes a walk moves the list and changes its pattern; its
// entries then are others than the rows shown.
bool FileListModel::stillShowsRefreshedPath() const
{
    return m_files.Path() == m_path && m_files.Pattern() == m_pattern;
}
