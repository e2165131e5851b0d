// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1String>
#include <QtGlobal>

class FileList;

// What the walk writes for each directory that adds to the catalogue: its
// files one by one, or the directory as a collection of one kind. The report
// and the exports for machines each write it their own way.
class CatalogueWriter
{
public:
    CatalogueWriter() = default;
    virtual ~CatalogueWriter() = default;

    CatalogueWriter(const CatalogueWriter &) = delete;
    CatalogueWriter &operator=(const CatalogueWriter &) = delete;

    // The files 0 .. fileCount - 1 of the file list, one after the other.
    // The front end may pump events between two; after a Cancel there the
    // writing stops.
    virtual void ListFolderFiles(const FileList &files, qint64 fileCount) = 0;
    // The directory of the file list, holding `fileCount` files, as a
    // collection: `marker` names its kind as the report does.
    virtual void WriteSummary(QLatin1String marker, const FileList &files, qint64 fileCount) = 0;
};
