// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// One line of the report being put together: items written back to back,
// with column stops between some of them. Columns count characters (code
// points) from 1. Control characters are written as "?", so that a line of
// the report always stays one line.
class ReportLine
{
public:
    void clear();

    void append(QStringView text);
    void appendLatin1(QLatin1StringView text);
    // Appends plain ASCII text lower-cased, as lowerCased() would have it.
    void appendLowerCasedAscii(QByteArrayView ascii);
    // Appends a piece of text made ready beforehand, such as a path that
    // ends many lines.
    void append(const ReportLine &piece);

    // Pads with spaces so that the next item starts in `column`. A line that
    // already reaches that column gets one space, keeping the items apart.
    void tabTo(int column);

    int column() const { return m_length + 1; }
    const QByteArray &utf8() const { return m_utf8; }

private:
    QByteArray m_utf8;
    int m_length = 0; // in characters
};
