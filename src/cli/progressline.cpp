#include "progressline.h"

#include "terminal.h"

namespace {

const QLatin1StringView Ellipsis("...");

// `head` + `tail` in at most `room` characters.
QString fitted(const QString &head, const QString &tail, qsizetype room)
{
    if (head.size() + tail.size() <= room)
        return head + tail;
    const qsizetype tailRoom = room - head.size() - Ellipsis.size();
    if (tailRoom <= 0)
        return head.left(room);
    return head + Ellipsis + tail.right(tailRoom);
}

} // namespace

ProgressLine::ProgressLine(bool enabled) : m_enabled(enabled)
{
    // The first line waits one interval: a short run shows none at all.
    m_sinceDrawn.start();
}

void ProgressLine::show(const QString &head, const QString &tail)
{
    // The last column stays free: writing there makes some terminals wrap.
    const int room = Terminal::width(Terminal::StandardError) - 1;
    draw(fitted(head, tail, room));
    m_sinceDrawn.start();
}

void ProgressLine::clear()
{
    if (m_shownLength > 0)
        draw(QString());
}

// Overwrites the line shown before, padding over what the new one leaves.
void ProgressLine::draw(const QString &text)
{
    QString line = QLatin1Char('\r') + text;
    const qsizetype leftOver = m_shownLength - text.size();
    if (leftOver > 0)
        line += QString(leftOver, QLatin1Char(' ')) + QLatin1Char('\r');
    Terminal::writeError(line);
    m_shownLength = text.size();
}
