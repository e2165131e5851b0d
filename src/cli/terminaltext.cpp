// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminaltext.h"

#include "middlecut.h"
#include "names.h"

#include <QList>

#include <algorithm>
#include <iterator>

namespace {

struct CodePoint
{
    char32_t value;
    qsizetype size; // in UTF-16 units: 1, or 2 for a surrogate pair
};

CodePoint codePointAt(const QString &text, qsizetype i)
{
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return {QChar::surrogateToUcs4(c, text.at(i + 1)), 2};
    return {c.unicode(), 1};
}

CodePoint codePointBefore(const QString &text, qsizetype end)
{
    const QChar c = text.at(end - 1);
    if (c.isLowSurrogate() && end >= 2 && text.at(end - 2).isHighSurrogate())
        return {QChar::surrogateToUcs4(text.at(end - 2), c), 2};
    return {c.unicode(), 1};
}

struct Range
{
    char32_t first;
    char32_t last;
};

// The characters that terminals show two columns wide: East Asian Wide and
// Fullwidth, as the C library's wcwidth() has them in a UTF-8 locale (glibc
// 2.36, Unicode 14). Neighbouring ranges are joined where only unassigned
// code points or combining marks lie between them.
constexpr Range WideRanges[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
    {0x3041, 0xA4C6},   {0xA960, 0xA97C},   {0xAC00, 0xD7A3},   {0xF900, 0xFAD9},
    {0xFE10, 0xFE6B},   {0xFF01, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x1B2FB},
    {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A},
    {0x1F200, 0x1F320}, {0x1F32D, 0x1F335}, {0x1F337, 0x1F37C}, {0x1F37E, 0x1F393},
    {0x1F3A0, 0x1F3CA}, {0x1F3CF, 0x1F3D3}, {0x1F3E0, 0x1F3F0}, {0x1F3F4, 0x1F3F4},
    {0x1F3F8, 0x1F43E}, {0x1F440, 0x1F440}, {0x1F442, 0x1F4FC}, {0x1F4FF, 0x1F53D},
    {0x1F54B, 0x1F54E}, {0x1F550, 0x1F567}, {0x1F57A, 0x1F57A}, {0x1F595, 0x1F596},
    {0x1F5A4, 0x1F5A4}, {0x1F5FB, 0x1F64F}, {0x1F680, 0x1F6C5}, {0x1F6CC, 0x1F6CC},
    {0x1F6D0, 0x1F6D2}, {0x1F6D5, 0x1F6DF}, {0x1F6EB, 0x1F6EC}, {0x1F6F4, 0x1F6FC},
    {0x1F7E0, 0x1F7F0}, {0x1F90C, 0x1F93A}, {0x1F93C, 0x1F945}, {0x1F947, 0x1F9FF},
    {0x1FA70, 0x1FAF6}, {0x20000, 0x3FFFD},
};

bool isWide(char32_t c)
{
    const auto after =
        std::upper_bound(std::begin(WideRanges), std::end(WideRanges), c,
                         [](char32_t value, const Range &range) { return value < range.first; });
    return after != std::begin(WideRanges) && c <= std::prev(after)->last;
}

// Format characters that take a column, as wcwidth() has them: the
// prepended concatenation marks of Arabic, Syriac and Kaithi.
bool isVisibleFormat(char32_t c)
{
    return (c >= 0x600 && c <= 0x605) || c == 0x6DD || c == 0x70F || c == 0x890 || c == 0x891 ||
           c == 0x8E2 || c == 0x110BD || c == 0x110CD;
}

// Like wcwidth() in a UTF-8 locale, but the same in every locale and on every
// system. A control character counts one column: it is shown as "?".
int columnsOf(char32_t c)
{
    if (c < 0x300) // Latin, the soft hyphen included
        return 1;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
        return 0;
    case QChar::Other_Format:
        return isVisibleFormat(c) ? 1 : 0;
    default:
        break;
    }
    // Hangul vowels and final consonants that join the syllable before them.
    if ((c >= 0x1160 && c <= 0x11FF) || (c >= 0xD7B0 && c <= 0xD7FF))
        return 0;
    return isWide(c) ? 2 : 1;
}

} // namespace

QString TerminalText::cleaned(const QString &text)
{
    return printableText(text);
}

QString TerminalText::shortenedInMiddle(const QString &text, qsizetype maxLength)
{
    if (text.size() <= maxLength)
        return text;
    const QList<uint> codePoints = text.toUcs4();
    if (codePoints.size() <= maxLength)
        return text;
    const qsizetype kept = std::max<qsizetype>(maxLength - 3, 0); // room for "..."
    return cutInMiddle(codePoints, kept, kept - kept / 2);
}

QString TerminalText::messageLine(const QString &text)
{
    return shortenedInMiddle(cleaned(text));
}

int TerminalText::columns(const QString &text)
{
    int total = 0;
    for (qsizetype i = 0; i < text.size();) {
        const CodePoint c = codePointAt(text, i);
        total += columnsOf(c.value);
        i += c.size;
    }
    return total;
}

QString TerminalText::leftColumns(const QString &text, int room)
{
    int used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const CodePoint c = codePointAt(text, end);
        used += columnsOf(c.value);
        if (used > room)
            break;
        end += c.size;
    }
    return text.left(end);
}

QString TerminalText::rightColumns(const QString &text, int room)
{
    int used = 0;
    qsizetype start = text.size();
    while (start > 0) {
        const CodePoint c = codePointBefore(text, start);
        used += columnsOf(c.value);
        if (used > room)
            break;
        start -= c.size;
    }
    return text.mid(start);
}
