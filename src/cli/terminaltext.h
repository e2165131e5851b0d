// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Text made safe and short enough for a terminal, and measured in its
// columns. Every character counts as a code point: a surrogate pair is
// never split.
namespace TerminalText {

// The longest message, or path line of a question, that is shown whole.
constexpr qsizetype MaxMessageLength = 400;

// `text` with every control character (below U+0020, U+007F and the C1
// controls U+0080 to U+009F) replaced by "?", so that it can neither move
// the cursor nor send the terminal a command, and stays on one line.
QString cleaned(const QString &text);

// `text` cut to at most `maxLength` characters by replacing its middle with
// "...": its start and its end, usually the most telling parts, stay.
QString shortenedInMiddle(const QString &text, qsizetype maxLength = MaxMessageLength);

// cleaned() and shortenedInMiddle() together: one message line.
QString messageLine(const QString &text);

// The columns that a terminal gives `text`: two for a wide (East Asian)
// character, none for a combining mark or a format character, one for the
// rest.
int columns(const QString &text);

// The longest start and end of `text` that fit in `room` columns.
QString leftColumns(const QString &text, int room);
QString rightColumns(const QString &text, int room);

} // namespace TerminalText
