// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding raw file names and lower-casing them: any bytes decode to
// well-formed text, valid UTF-8 decodes without loss, invalid bytes become
// U+FFFD and nothing else is invented, and the lower-cased forms used for
// sorting are stable.

#include "fuzzcheck.h"

#include "names.h"

namespace {

// True when the characters of `text` other than U+FFFD, in UTF-8, appear in
// `raw` in the same order.
bool keepsOnlyInputCharacters(const QString &text, const QByteArray &raw)
{
    QString kept = text;
    kept.remove(QChar(QChar::ReplacementCharacter));
    const QByteArray bytes = kept.toUtf8();
    qsizetype at = 0;
    for (char c : bytes) {
        at = raw.indexOf(c, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

bool hasAsciiCapitals(const QString &text)
{
    for (QChar c : text) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            return true;
    }
    return false;
}

bool hasControlCharacters(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            return true;
    }
    return false;
}

bool isAscii(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray raw = fuzzBytes(data, size);

    const QString name = decodedName(raw);
    FUZZ_CHECK(isWellFormedUtf16(name));
    FUZZ_CHECK(name.size() <= raw.size());
    FUZZ_CHECK(keepsOnlyInputCharacters(name, raw));
    if (isWellFormedUtf8(raw))
        FUZZ_CHECK(name.toUtf8() == raw);
    else
        FUZZ_CHECK(name.contains(QChar(QChar::ReplacementCharacter)));

    const QString printable = printableName(raw);
    FUZZ_CHECK(printable.size() == name.size());
    FUZZ_CHECK(!hasControlCharacters(printable));

    const QString lower = lowerCased(name);
    FUZZ_CHECK(isWellFormedUtf16(lower));
    FUZZ_CHECK(!hasAsciiCapitals(lower));
    FUZZ_CHECK(!lower.contains(QChar(u'\u03A3')));

    const QByteArray key = collationKey(raw);
    FUZZ_CHECK(isWellFormedUtf8(key));
    FUZZ_CHECK(collationKey(key) == key);
    if (isAscii(raw))
        FUZZ_CHECK(key == raw.toLower());
    else
        FUZZ_CHECK(key == lower.toUtf8());
    return 0;
}
