// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportline.h"

#include "names.h"

#include <QChar>
#include <QString>

namespace {

char *encodeUtf8(char *out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        *out++ = char(codePoint);
    } else if (codePoint < 0x800) {
        *out++ = char(0xC0 | (codePoint >> 6));
        *out++ = char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        *out++ = char(0xE0 | (codePoint >> 12));
        *out++ = char(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = char(0x80 | (codePoint & 0x3F));
    } else {
        *out++ = char(0xF0 | (codePoint >> 18));
        *out++ = char(0x80 | ((codePoint >> 12) & 0x3F));
        *out++ = char(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = char(0x80 | (codePoint & 0x3F));
    }
    return out;
}

} // namespace

void ReportLine::clear()
{
    m_utf8.resize(0); // keeps the allocation for the next line
    m_length = 0;
}

// Encodes straight into the line's buffer: a UTF-16 unit never takes more
// than three bytes of UTF-8 (a surrogate pair takes four for two units).
void ReportLine::append(QStringView text)
{
    const qsizetype start = m_utf8.size();
    m_utf8.resize(start + 3 * text.size());
    char *out = m_utf8.data() + start;

    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t codePoint = text[i].unicode();
        if (QChar::isHighSurrogate(codePoint) && i + 1 < size && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(codePoint)) {
            codePoint = QChar::ReplacementCharacter;
        }
        out = encodeUtf8(out, isAsciiControl(codePoint) ? U'?' : codePoint);
        ++m_length;
    }
    m_utf8.resize(out - m_utf8.constData());
}

void ReportLine::appendLatin1(QLatin1StringView text)
{
    const qsizetype start = m_utf8.size();
    m_utf8.resize(start + 2 * text.size());
    char *out = m_utf8.data() + start;
    for (char c : text) {
        const char32_t codePoint = static_cast<unsigned char>(c);
        out = encodeUtf8(out, isAsciiControl(codePoint) ? U'?' : codePoint);
    }
    m_length += int(text.size());
    m_utf8.resize(out - m_utf8.constData());
}

void ReportLine::appendLowerCasedAscii(QByteArrayView ascii)
{
    const qsizetype start = m_utf8.size();
    m_utf8.resize(start + ascii.size());
    char *out = m_utf8.data() + start;
    for (char c : ascii) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        *out++ = isAsciiControl(static_cast<unsigned char>(c)) ? '?' : c;
    }
    m_length += int(ascii.size());
}

void ReportLine::append(const ReportLine &piece)
{
    m_utf8 += piece.m_utf8;
    m_length += piece.m_length;
}

void ReportLine::tabTo(int column)
{
    const int spaces = column > this->column() ? column - this->column() : 1;
    m_utf8.append(spaces, ' ');
    m_length += spaces;
}
