#pragma once

#include <QByteArray>
#include <QString>

// File names and paths are kept as the file system's raw bytes for every disk
// operation; these helpers give the forms the lists sort by and show. Where
// the system names files in UTF-16 (Windows), the bytes are their UTF-8 form.

// The text of a raw name: UTF-8, with every invalid byte shown as U+FFFD.
QString decodedName(const QByteArray &raw);

// A raw name or path as a message or a terminal may show it: decoded, and
// with every control character (below U+0020, U+007F, and U+0080 to U+009F)
// shown as "?", so that it can neither break a line nor steer a terminal.
QString printableName(const QByteArray &raw);
// `text` with the same control characters shown as "?".
QString printableText(QString text);

// `text` lower-cased by Unicode's default rules: QString::toLower(), and a
// capital sigma at the end of a word becomes the final small sigma.
QString lowerCased(const QString &text);

// The name lower-cased and encoded as UTF-8. Comparing these keys byte by
// byte compares the lower-cased names code point by code point.
QByteArray collationKey(const QByteArray &raw);
