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
    if (!isAsciiOnly(name)) {
        line.append(leftCharacters(lowerCased(decodedName(name)), NameWidth));
        return;
    }
    line.appendLowerCasedAscii(
        QByteArrayView(name).first(std::min<qsizetype>(name.size(), NameWidth)));
}

// A number flush right in its field. A longer number is written whole and
// moves the rest of the line right, rather than losing digits.
void appendRightAligned(ReportLine &line, const QString &number)
{
    if (number.size() < NumberWidth)
        line.appendLatin1(QLatin1String("     ", NumberWidth - number.size()));
    line.append(number);
}

// The same for a file's size. Nearly every size is below a thousand units,
// with no separator to place: written straight, without a string.
void appendRightAligned(ReportLine &line, const FileSize &size)
{
    constexpr qint64 Ungrouped = 1000;
    if (size.amount <= 0 || size.amount >= Ungrouped) {
        appendRightAligned(line, size.number());
        return;
    }
    char field[NumberWidth] = {' ', ' ', ' ', ' ', ' '};
    for (qint64 rest = size.amount, at = NumberWidth - 1; rest > 0; rest /= 10, --at)
        field[at] = char('0' + rest % 10);
    line.appendLatin1(QLatin1StringView(field, NumberWidth));
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
    appendRightAligned(m_line, size);
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
        if (isAsciiOnly(dirPath))
            m_lastPathColumn.appendLowerCasedAscii(dirPath);
        else
            m_lastPathColumn.append(lowerCased(decodedName(dirPath)));
    }
    return m_lastPathColumn;
}
