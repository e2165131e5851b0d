// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cataloguewriter.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <variant>
#include <vector>

class FrontEnd;
class ReportFile;

// The catalogue for machines: one record per file the report covers, a
// summarised directory's files included, in the order of the walk.
enum class ExportFormat {
    Csv,       // RFC 4180, a header row first
    JsonLines, // one JSON object per line, a description of the catalogue first
};

// What the first record of a JSON Lines export tells of the catalogue.
struct CatalogueDescription
{
    using Value = std::variant<bool, qint64, QString>;

    QByteArray root;    // the directory catalogued, as the file system gives it
    QString volume;     // the label of the volume it lies on; empty when unknown
    qint64 created = 0; // seconds since 1970 UTC
    QString program;
    QString version;
    std::vector<std::pair<QString, Value>> options; // as the run was asked for
};

// Every record is one line, ending in carriage return and line feed, so the
// report file's rules for whole lines hold for whole records. A name or path
// is written as text; where the text cannot give it exactly (bytes that are
// not UTF-8, or control characters, each shown as U+FFFD), a field of its own
// gives the exact bytes in hexadecimal.
class ExportWriter : public CatalogueWriter
{
public:
    // `scanActive` is the walk's run flag: once a Cancel has cleared it, no
    // more records are written.
    ExportWriter(ReportFile &report, FrontEnd &frontEnd, const bool &scanActive);

    void setFormat(ExportFormat format) { m_format = format; }
    // The header row of a CSV export, or the description that starts a JSON
    // Lines export. A CSV export appended to one that has rows already gets
    // no second header.
    void WriteStart(const CatalogueDescription &catalogue);

    void ListFolderFiles(const FileList &files, qint64 fileCount) override;
    void WriteSummary(QLatin1String marker, const FileList &files, qint64 fileCount) override;

private:
    void writeRecords(const FileList &files, qint64 fileCount, QLatin1String summary);
    void writeRecord(const QByteArray &directory, const QByteArray &name, qint64 size,
                     qint64 modified, QLatin1String summary);

    ReportFile &m_report;
    FrontEnd &m_frontEnd;
    const bool &m_scanActive;
    ExportFormat m_format = ExportFormat::Csv;
    QByteArray m_record;
};
