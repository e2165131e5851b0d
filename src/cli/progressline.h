// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "walkprogress.h"

#include <QElapsedTimer>
#include <QString>

// One line on a terminal that is redrawn in place while a run goes on and
// cleared when it ends. Redraws are spaced out, so a caller may ask for one
// as often as it likes: isDue() costs a clock read.
class ProgressLine
{
public:
    // A disabled line never draws anything.
    explicit ProgressLine(bool enabled);

    bool isDue() const { return m_enabled && m_sinceDrawn.hasExpired(ProgressIntervalMs); }

    // Draws `head` followed by `tail`, cleaned of control characters and cut
    // to the terminal's width in columns (a wide character takes two). A
    // tail too long is shortened from its start, keeping its most telling end.
    void show(const QString &head, const QString &tail);
    // Removes the line, so that other output starts on a clean line. Writes
    // nothing when no line is shown.
    void clear();

private:
    int room();
    void draw(const QString &text, int textColumns);

    bool m_enabled;
    QElapsedTimer m_sinceDrawn;
    int m_shownColumns = 0; // of the line on the terminal; 0: none is shown
};
