#include "names.h"

#include <algorithm>

namespace {

bool isAsciiOnly(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

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

} // namespace

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
    return decodedName(raw).toLower().toUtf8();
}

QByteArray childPath(const QByteArray &dirPath, const QByteArray &name)
{
    QByteArray path;
    path.reserve(dirPath.size() + 1 + name.size());
    path += dirPath;
    if (!path.endsWith('/'))
        path += '/';
    path += name;
    return path;
}
