// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cataloguewriter.h"
#include "reportline.h"

#include <QByteArray>
#include <QLatin1String>
#include <QString>

class FileList;
class FrontEnd;
class ReportFile;

// Writes the two kinds of report line. Both end with the directory's path,
// lower-cased, starting in column 28.
class ReportWriter : public CatalogueWriter
{
public:
    // `scanActive` is the walk's run flag: once a Cancel has cleared it, no
    // more lines are written.
    ReportWriter(ReportFile &report, FrontEnd &frontEnd, const bool &scanActive);

    // One file line for each entry 0 .. fileCount - 1 of the file list. The
    // front end may pump events between two lines; after a Cancel there the
    // listing stops.
    void ListFolderFiles(const FileList &files, qint64 fileCount) override;
    // One summary line.
    void WriteSummary(QLatin1String marker, const FileList &files, qint64 fileCount) override;
    // The file's name cut to 18 characters, its size, and the directory.
    void WriteFileLine(const QByteArray &name, qint64 length, const QByteArray &dirPath);
    // The kind's marker, the directory's file count, and the directory.
    void WriteSummaryLine(QLatin1String marker, qint64 fileCount, const QByteArray &dirPath);

private:
    const ReportLine &pathColumn(const QByteArray &dirPath);

    ReportFile &m_report;
    FrontEnd &m_frontEnd;
    const bool &m_scanActive;
    ReportLine m_line;
    QByteArray m_lastPath;
    ReportLine m_lastPathColumn;
};
