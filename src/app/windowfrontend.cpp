// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowfrontend.h"

#include <QCoreApplication>

WindowFrontEnd::WindowFrontEnd(QWidget *window, WindowHooks hooks)
    : m_window(window), m_hooks(std::move(hooks))
{
    m_sinceProgress.start();
    m_sincePump.start();
}

// The progress is shown before the events are handled, so that the lists are
// painted while they still show the walk's directory.
void WindowFrontEnd::pumpEvents()
{
    showProgressWhenDue();
    QCoreApplication::processEvents();
    m_sincePump.restart();
}

void WindowFrontEnd::pumpEventsWhileBusy()
{
    if (m_sincePump.elapsed() >= BusyPumpIntervalMs) [[unlikely]]
        pumpEvents();
}

MessageAnswer WindowFrontEnd::messageBox(const QString &prompt, MessageStyle style,
                                         const QString &title)
{
    if (!showProgressWhenDue())
        m_hooks.showStatus();
    return m_messageBoxes.show(m_window, prompt, style, title);
}

// Closes the report and the windows and leaves the event loop. The walk that
// called this unwinds to the Create click by throwing ProgramEnded.
void WindowFrontEnd::endProgram()
{
    m_hooks.endProgram();
}

bool WindowFrontEnd::showProgressWhenDue()
{
    if (m_sinceProgress.elapsed() < ProgressIntervalMs)
        return false;
    m_sinceProgress.restart();
    m_hooks.showProgress();
    return true;
}
