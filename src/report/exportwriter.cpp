// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportwriter.h"

#include "filelist.h"
#include "filesystem.h"
#include "frontend.h"
#include "names.h"
#include "reportfile.h"

#include <algorithm>

namespace {

// A name or path as text, and whether that text is the name exactly.
struct ExportText
{
    QByteArray utf8;
    bool exact = true;
};

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

ExportText exportText(const QByteArray &raw)
{
    if (isAsciiOnly(raw)) {
        if (std::none_of(raw.begin(), raw.end(), [](char c) { return isControl(char32_t(c)); }))
            return {raw, true};
        QByteArray text;
        for (const char c : raw)
            text += isControl(char32_t(c)) ? QByteArrayView("\xEF\xBF\xBD") : QByteArrayView(&c, 1);
        return {text, false};
    }
    // Bytes that are not UTF-8 come back as U+FFFD, and so do controls.
    QString text = decodedName(raw);
    bool changed = false;
    for (QChar &c : text) {
        if (isControl(c.unicode())) {
            c = QChar::ReplacementCharacter;
            changed = true;
        }
    }
    QByteArray utf8 = text.toUtf8();
    const bool exact = !changed && utf8 == raw;
    return {std::move(utf8), exact};
}

// The date and time of `seconds` since 1970, UTC, as ISO 8601 gives it:
// "2026-12-07T19:20:31Z". The civil date follows the proleptic Gregorian
// calendar, days counted from 1970-01-01.
QByteArray isoTime(qint64 seconds)
{
    constexpr qint64 SecondsPerDay = 86'400;
    qint64 days = seconds / SecondsPerDay;
    qint64 rest = seconds % SecondsPerDay;
    if (rest < 0) {
        rest += SecondsPerDay;
        --days;
    }
    // Days to year, month and day, with years starting on 1 March.
    const qint64 shifted = days + 719'468;
    const qint64 era = (shifted >= 0 ? shifted : shifted - 146'096) / 146'097;
    const qint64 dayOfEra = shifted - era * 146'097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthFromMarch = (5 * dayOfYear + 2) / 153;
    const qint64 day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const qint64 month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return QByteArray::number(year).rightJustified(4, '0') + '-' +
           QByteArray::number(month).rightJustified(2, '0') + '-' +
           QByteArray::number(day).rightJustified(2, '0') + 'T' +
           QByteArray::number(rest / 3600).rightJustified(2, '0') + ':' +
           QByteArray::number(rest / 60 % 60).rightJustified(2, '0') + ':' +
           QByteArray::number(rest % 60).rightJustified(2, '0') + 'Z';
}

void appendCsvField(QByteArray &record, const QByteArray &utf8)
{
    record += '"';
    for (const char c : utf8) {
        if (c == '"')
            record += '"';
        record += c;
    }
    record += '"';
}

void appendJsonString(QByteArray &record, const QByteArray &utf8)
{
    record += '"';
    for (const char c : utf8) {
        if (c == '"' || c == '\\')
            record += '\\';
        record += c;
    }
    record += '"';
}

void appendJsonString(QByteArray &record, const QString &text)
{
    appendJsonString(record, exportText(text.toUtf8()).utf8);
}

// "key":"text" and, where the text is not exact, ,"key_hex":"..."
void appendJsonName(QByteArray &record, const char *key, const QByteArray &raw)
{
    const ExportText text = exportText(raw);
    record += '"';
    record += key;
    record += "\":";
    appendJsonString(record, text.utf8);
    if (!text.exact) {
        record += ",\"";
        record += key;
        record += "_hex\":\"";
        record += raw.toHex();
        record += '"';
    }
}

void appendJsonValue(QByteArray &record, const CatalogueDescription::Value &value)
{
    if (const bool *flag = std::get_if<bool>(&value))
        record += *flag ? "true" : "false";
    else if (const qint64 *number = std::get_if<qint64>(&value))
        record += QByteArray::number(*number);
    else
        appendJsonString(record, std::get<QString>(value));
}

QByteArray csvHeader()
{
    return "directory,name,size,modified,summary,directory_hex,name_hex";
}

QByteArray jsonDescription(const CatalogueDescription &catalogue)
{
    QByteArray record = "{\"catalogue\":{\"format\":1,\"program\":";
    appendJsonString(record, catalogue.program);
    record += ",\"version\":";
    appendJsonString(record, catalogue.version);
    record += ",\"created\":\"" + isoTime(catalogue.created) + "\",";
    appendJsonName(record, "root", catalogue.root);
    record += ",\"volume\":";
    if (catalogue.volume.isEmpty())
        record += "null";
    else
        appendJsonString(record, catalogue.volume);
    record += ",\"options\":{";
    for (std::size_t i = 0; i < catalogue.options.size(); ++i) {
        if (i > 0)
            record += ',';
        appendJsonString(record, catalogue.options[i].first);
        record += ':';
        appendJsonValue(record, catalogue.options[i].second);
    }
    record += "}}}";
    return record;
}

} // namespace

ExportWriter::ExportWriter(ReportFile &report, FrontEnd &frontEnd, const bool &scanActive)
    : m_report(report), m_frontEnd(frontEnd), m_scanActive(scanActive)
{}

void ExportWriter::WriteStart(const CatalogueDescription &catalogue)
{
    if (m_format == ExportFormat::JsonLines)
        m_report.printLine(jsonDescription(catalogue));
    else if (m_report.lineCount() == 0)
        m_report.printLine(csvHeader());
}

void ExportWriter::ListFolderFiles(const FileList &files, qint64 fileCount)
{
    writeRecords(files, fileCount, QLatin1String());
}

void ExportWriter::WriteSummary(QLatin1String marker, const FileList &files, qint64 fileCount)
{
    writeRecords(files, fileCount, marker);
}

void ExportWriter::writeRecords(const FileList &files, qint64 fileCount, QLatin1String summary)
{
    for (qint64 i = 0; i < fileCount && m_scanActive; ++i) {
        const QByteArray name = files.List(i);
        const FileStatus status = files.statusOf(name);
        writeRecord(files.Path(), name, status.length, status.modified, summary);
        m_frontEnd.pumpEventsWhileBusy();
    }
}

void ExportWriter::writeRecord(const QByteArray &directory, const QByteArray &name, qint64 size,
                               qint64 modified, QLatin1String summary)
{
    m_record.resize(0);
    if (m_format == ExportFormat::Csv) {
        const ExportText directoryText = exportText(directory);
        const ExportText nameText = exportText(name);
        appendCsvField(m_record, directoryText.utf8);
        m_record += ',';
        appendCsvField(m_record, nameText.utf8);
        m_record += ',' + QByteArray::number(size) + ',' + isoTime(modified) + ',';
        m_record += QByteArrayView(summary.data(), summary.size());
        m_record += ',';
        if (!directoryText.exact)
            m_record += directory.toHex();
        m_record += ',';
        if (!nameText.exact)
            m_record += name.toHex();
    } else {
        m_record += '{';
        appendJsonName(m_record, "directory", directory);
        m_record += ',';
        appendJsonName(m_record, "name", name);
        m_record += ",\"size\":" + QByteArray::number(size);
        m_record += ",\"modified\":\"" + isoTime(modified) + "\",\"summary\":";
        if (summary.isEmpty()) {
            m_record += "null";
        } else {
            m_record += '"';
            m_record += QByteArrayView(summary.data(), summary.size());
            m_record += '"';
        }
        m_record += '}';
    }
    m_report.printLine(m_record);
}
