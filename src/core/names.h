// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// File names and paths are kept as the file system's raw bytes for every disk
// operation; these helpers give the forms the lists sort by and show. Where
// the system names files in UTF-16 (Windows), the bytes are their UTF-8 form.

// True when every byte of `bytes` is ASCII (below 0x80).
bool isAsciiOnly(const QByteArray &bytes);

// The text of a raw name: UTF-8, with every invalid byte shown as U+FFFD.
QString decodedName(const QByteArray &raw);

// C0 controls (below U+0020) and DEL: what a report line shows as "?".
inline constexpr bool isAsciiControl(char32_t c)
{
    return c < 0x20 || c == 0x7F;
}
// These and the C1 controls (U+0080 to U+009F): what a message shows as "?".
inline constexpr bool isControlCharacter(char32_t c)
{
    return isAsciiControl(c) || (c >= 0x80 && c <= 0x9F);
}

// A raw name or path as a message or a terminal may show it: decoded, and
// with every control character shown as "?", so that it can neither break
// a line nor steer a terminal.
QString printableName(const QByteArray &raw);
// `text` with the same control characters shown as "?".
QString printableText(QString text);

// `text` lower-cased by Unicode's default rules: QString::toLower(), and a
// capital sigma at the end of a word becomes the final small sigma.
QString lowerCased(const QString &text);

// The name lower-cased and encoded as UTF-8. Comparing these keys byte by
// byte compares the lower-cased names code point by code point.
QByteArray collationKey(const QByteArray &raw);
