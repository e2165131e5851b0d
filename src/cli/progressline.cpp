// SPDX-License-Identifier: GPL-3.0-or-later
#include "progressline.h"

#include "terminal.h"
#include "terminaltext.h"

namespace {

const QLatin1StringView Ellipsis("...");

// `head` + `tail` in at most `room` columns.
QString fitted(const QString &head, const QString &tail, int room)
{
    const int headColumns = TerminalText::columns(head);
    if (headColumns + TerminalText::columns(tail) <= room)
        return head + tail;
    const int tailRoom = room - headColumns - int(Ellipsis.size());
    if (tailRoom <= 0)
        return TerminalText::leftColumns(head, room);
    return head + Ellipsis + TerminalText::rightColumns(tail, tailRoom);
}

} // namespace

ProgressLine::ProgressLine(bool enabled) : m_enabled(enabled)
{
    // The first line waits one interval: a short run shows none at all.
    m_sinceDrawn.start();
}

// The last column stays free: writing there makes some terminals wrap. A
// terminal made narrower has cut or wrapped the line shown: no more of it
// than fits is overwritten.
int ProgressLine::room()
{
    const int room = Terminal::width(Terminal::StandardError) - 1;
    m_shownColumns = std::min(m_shownColumns, room);
    return room;
}

void ProgressLine::show(const QString &head, const QString &tail)
{
    const int room = this->room();
    const QString text = fitted(TerminalText::cleaned(head), TerminalText::cleaned(tail), room);
    draw(text, TerminalText::columns(text));
    m_sinceDrawn.start();
}

void ProgressLine::clear()
{
    if (m_shownColumns > 0 && room() > 0) {
        const QString blank(m_shownColumns, QLatin1Char(' '));
        Terminal::writeError(QLatin1Char('\r') + blank + QLatin1Char('\r'));
        m_shownColumns = 0;
    }
}

// Overwrites the line shown before, padding over what the new one leaves.
// The cursor stays after the text, short of the last column.
void ProgressLine::draw(const QString &text, int textColumns)
{
    QString line = QLatin1Char('\r') + text;
    if (m_shownColumns > textColumns)
        line += QString(m_shownColumns - textColumns, QLatin1Char(' '));
    Terminal::writeError(line);
    m_shownColumns = textColumns;
}
