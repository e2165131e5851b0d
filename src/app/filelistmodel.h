// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>
#include <QIcon>

class FileList;

// The file list's entries for a view. Names are read from the engine's list
// when the view asks for them, so a directory of 100,000 files costs no more
// than the rows on screen. The model takes the list's path and pattern only
// in refresh(), so a walk moving the list is not followed at every step;
// until the next refresh it shows the names it read while the list still
// showed its directory, the first rows among them.
class FileListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit FileListModel(const FileList &files, QObject *parent = nullptr);

    void setIcon(const QIcon &fileIcon) { m_fileIcon = fileIcon; }
    void refresh();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    bool stillShowsRefreshedPath() const;
    QString name(int row) const;

    const FileList &m_files;
    QByteArray m_path;
    QString m_pattern;
    int m_rows = 0;
    mutable QHash<int, QString> m_names; // read since the last refresh
    QIcon m_fileIcon;
};
