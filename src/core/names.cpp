// SPDX-License-Identifier: GPL-3.0-or-later
#include "names.h"

#include <algorithm>

bool isAsciiOnly(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

namespace {

// How a UTF-8 sequence goes on after its first byte: its length, the bits
// the first byte carries, and the range the second byte must lie in (which
// rules out overlong forms, surrogates and code points beyond U+10FFFF).
struct SequenceStart
{
    int length; // 0: the byte cannot start a sequence
    char32_t initialBits;
    unsigned char secondLow;
    unsigned char secondHigh;
};

SequenceStart sequenceStart(unsigned char lead)
{
    if (lead < 0x80)
        return {1, lead, 0, 0};
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, char32_t(lead & 0x1F), 0x80, 0xBF};
    if (lead == 0xE0)
        return {3, char32_t(lead & 0x0F), 0xA0, 0xBF};
    if (lead == 0xED)
        return {3, char32_t(lead & 0x0F), 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3, char32_t(lead & 0x0F), 0x80, 0xBF};
    if (lead == 0xF0)
        return {4, char32_t(lead & 0x07), 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4, char32_t(lead & 0x07), 0x80, 0xBF};
    if (lead == 0xF4)
        return {4, char32_t(lead & 0x07), 0x80, 0x8F};
    return {0, 0, 0, 0};
}

constexpr char16_t CapitalSigma = u'\u03A3';
constexpr char16_t SmallSigma = u'\u03C3';
constexpr char16_t FinalSigma = u'\u03C2';

bool isCased(char32_t c)
{
    return QChar::isLower(c) || QChar::isUpper(c) || QChar::isTitleCase(c);
}

// Characters a word may hold without ending it: marks, format characters,
// modifiers, and the apostrophes, points and colons inside words.
bool isCaseIgnorable(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Letter_Modifier:
    case QChar::Symbol_Modifier:
        return true;
    default:
        break;
    }
    static constexpr char32_t insideWords[] = {
        U'\'',     U'.',      U':',      U'\u00B7', U'\u0387', U'\u055F',
        U'\u05F4', U'\u2018', U'\u2019', U'\u2024', U'\u2027', U'\uFE13',
        U'\uFE52', U'\uFE55', U'\uFF07', U'\uFF0E', U'\uFF1A'};
    return std::find(std::begin(insideWords), std::end(insideWords), c) != std::end(insideWords);
}

// The first cased character met from `from` on in the direction `step`,
// past case-ignorable ones; false when there is none.
bool casedLetterNear(QStringView text, qsizetype from, int step)
{
    for (qsizetype i = from; i >= 0 && i < text.size(); i += step) {
        char32_t c = text[i].unicode();
        if (QChar::isSurrogate(c)) {
            const qsizetype pair = step > 0 ? i + 1 : i - 1;
            if (pair < 0 || pair >= text.size())
                return false;
            const QChar high = step > 0 ? text[i] : text[pair];
            const QChar low = step > 0 ? text[pair] : text[i];
            c = QChar::surrogateToUcs4(high, low);
            i = pair;
        }
        if (!isCaseIgnorable(c))
            return isCased(c);
    }
    return false;
}

bool endsWord(QStringView text, qsizetype sigma)
{
    return casedLetterNear(text, sigma - 1, -1) && !casedLetterNear(text, sigma + 1, +1);
}

} // namespace

QString lowerCased(const QString &text)
{
    if (!text.contains(QChar(CapitalSigma)))
        return text.toLower();
    // Everything else lower-cases the same whatever stands around it.
    QString lower;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QChar(CapitalSigma))
            continue;
        lower += QStringView(text).mid(start, i - start).toString().toLower();
        lower += QChar(endsWord(text, i) ? FinalSigma : SmallSigma);
        start = i + 1;
    }
    lower += QStringView(text).mid(start).toString().toLower();
    return lower;
}

// Decodes UTF-8, putting one U+FFFD in the place of each maximal ill-formed
// part (a byte that cannot start a character, or a character cut short), as
// most decoders do, so that a name always shows the same.
QString decodedName(const QByteArray &raw)
{
    if (isAsciiOnly(raw))
        return QString::fromLatin1(raw);

    QString text;
    text.reserve(raw.size());
    const qsizetype size = raw.size();
    qsizetype i = 0;
    while (i < size) {
        const SequenceStart start = sequenceStart(static_cast<unsigned char>(raw[i]));
        char32_t codePoint = start.initialBits;
        qsizetype next = i + 1;
        bool complete = start.length > 0;
        for (int k = 1; complete && k < start.length; ++k, ++next) {
            const auto byte = next < size ? static_cast<unsigned char>(raw[next]) : 0;
            const unsigned char low = k == 1 ? start.secondLow : 0x80;
            const unsigned char high = k == 1 ? start.secondHigh : 0xBF;
            complete = byte >= low && byte <= high;
            if (complete)
                codePoint = (codePoint << 6) | (byte & 0x3F);
        }
        if (!complete) {
            text += QChar(QChar::ReplacementCharacter);
            i = std::max(i + 1, next - 1);
            continue;
        }
        text += QStringView(QChar::fromUcs4(codePoint));
        i = next;
    }
    return text;
}

QString printableName(const QByteArray &raw)
{
    return printableText(decodedName(raw));
}

QString printableText(QString text)
{
    for (QChar &c : text) {
        if (isControlCharacter(c.unicode()))
            c = QLatin1Char('?');
    }
    return text;
}

QByteArray collationKey(const QByteArray &raw)
{
    if (isAsciiOnly(raw)) {
        // Most names are plain ASCII, and most of those are lower case already:
        // share the raw bytes then instead of copying them.
        for (char c : raw) {
            if (c >= 'A' && c <= 'Z')
                return raw.toLower();
        }
        return raw;
    }
    return lowerCased(decodedName(raw)).toUtf8();
}
