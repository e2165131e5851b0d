#pragma once

#include "platform/reportline.h"

#include <QByteArray>
#include <QLatin1String>
#include <QString>

class DirectoryCache;
class FileList;
class ReportFile;

// Writes the two kinds of report line. Both end with the directory's path,
// lower-cased, starting in column 28.
class ReportWriter
{
public:
    ReportWriter(ReportFile &report, const DirectoryCache &cache);

    // One file line for each entry 0 .. fileCount - 1 of the file list.
    void ListFolderFiles(const FileList &files, qint64 fileCount);
    // The file's name cut to 18 characters, its size, and the directory.
    void WriteFileLine(const QByteArray &name, const QByteArray &dirPath);
    // The kind's marker, the directory's file count, and the directory.
    void WriteSummaryLine(QLatin1String marker, qint64 fileCount, const QByteArray &dirPath);

private:
    const ReportLine &pathColumn(const QByteArray &dirPath);

    ReportFile &m_report;
    const DirectoryCache &m_cache;
    ReportLine m_line;
    QByteArray m_lastPath;
    ReportLine m_lastPathColumn;
};
