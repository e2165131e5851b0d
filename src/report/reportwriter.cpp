// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportwriter.h"

#include "filelist.h"
#include "filesize.h"
#include "frontend.h"
#include "names.h"
#include "reportfile.h"

#include <algorithm>

namespace {

constexpr int NameWidth = 18;
constexpr int NumberColumn = 20;
constexpr int NumberWidth = 5;
constexpr int PathColumn = 28;

// The first `count` characters (code points) of `text`.
QStringView leftCharacters(QStringView text, int count)
{
    qsizetype end = 0;
    for (int taken = 0; taken < count && end < text.size(); ++taken) {
        const bool pair =
            text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

// The name lower-cased and cut to its first characters. Plain ASCII names,
// by far the most common, are done without decoding them first.
void appendName(ReportLine &line, const QByteArray &name)
{
    const qsizetype size = std::min<qsizetype>(name.size(), NameWidth);
    char lowered[NameWidth];
    bool ascii = true;
    for (qsizetype i = 0; i < name.size() && ascii; ++i)
        ascii = static_cast<unsigned char>(name[i]) < 0x80;
    if (!ascii) {
        line.append(leftCharacters(lowerCased(decodedName(name)), NameWidth));
        return;
    }
    for (qsizetype i = 0; i < size; ++i) {
        const char c = name[i];
        lowered[i] = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    line.appendLatin1(QLatin1StringView(lowered, size));
}

// A number flush right in its field. A longer number is written whole and
// moves the rest of the line right, rather than losing digits.
void appendRightAligned(ReportLine &line, const QString &number)
{
    if (number.size() < NumberWidth)
        line.appendLatin1(QLatin1String("     ", NumberWidth - number.size()));
    line.append(number);
}

} // namespace

ReportWriter::ReportWriter(ReportFile &report, FrontEnd &frontEnd, const bool &scanActive)
    : m_report(report), m_frontEnd(frontEnd), m_scanActive(scanActive)
{}

void ReportWriter::ListFolderFiles(const FileList &files, qint64 fileCount)
{
    for (qint64 i = 0; i < fileCount && m_scanActive; ++i) {
        const QByteArray name = files.List(i);
        WriteFileLine(name, files.lengthOf(name), files.Path());
        m_frontEnd.pumpEventsWhileBusy();
    }
}

void ReportWriter::WriteSummary(QLatin1String marker, const FileList &files, qint64 fileCount)
{
    WriteSummaryLine(marker, fileCount, files.Path());
}

void ReportWriter::WriteFileLine(const QByteArray &name, qint64 length, const QByteArray &dirPath)
{
    const FileSize size = FormatFileSize(length);

    m_line.clear();
    appendName(m_line, name);
    m_line.tabTo(NumberColumn);
    appendRightAligned(m_line, size.number);
    m_line.appendLatin1(size.unit);
    m_line.appendLatin1(QLatin1String(" "));
    m_line.append(pathColumn(dirPath));
    m_report.printLine(m_line);
}

void ReportWriter::WriteSummaryLine(QLatin1String marker, qint64 fileCount,
                                    const QByteArray &dirPath)
{
    m_line.clear();
    m_line.appendLatin1(marker);
    m_line.tabTo(NumberColumn);
    appendRightAligned(m_line, QString::number(fileCount));
    m_line.appendLatin1(QLatin1String("Fs"));
    m_line.tabTo(PathColumn);
    m_line.append(pathColumn(dirPath));
    m_report.printLine(m_line);
}

// Every line of a directory ends with the same path: prepare it once.
const ReportLine &ReportWriter::pathColumn(const QByteArray &dirPath)
{
    if (dirPath != m_lastPath || m_lastPath.isNull()) {
        m_lastPath = dirPath;
        m_lastPathColumn.clear();
        m_lastPathColumn.append(lowerCased(decodedName(dirPath)));
    }
    return m_lastPathColumn;
}
