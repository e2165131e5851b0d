// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frontend.h"
#include "messagebox.h"
#include "walkprogress.h"

#include <QElapsedTimer>

#include <functional>

class QWidget;

// The engine's front end in the window program. The walk's event pump lets
// the window handle everything pending, a Cancel click among it; at most
// about ten times a second it also has the window show the run's progress.
// Inside a directory of many files the pump runs again whenever
// BusyPumpIntervalMs have passed since the last one, so that input never
// waits long.
// Before a message the status line is brought up to date, so that it names
// the directory that a question is about; the lists follow within the same
// limit of ten times a second.
class WindowFrontEnd : public FrontEnd
{
public:
    static constexpr int BusyPumpIntervalMs = 20;

    // What the window does for its front end.
    struct WindowHooks
    {
        std::function<void()> showProgress; // the status line and the lists
        std::function<void()> showStatus;   // the status line alone
        std::function<void()> endProgram;
    };

    WindowFrontEnd(QWidget *window, WindowHooks hooks);

    void pumpEvents() override;
    void pumpEventsWhileBusy() override;
    MessageAnswer messageBox(const QString &prompt, MessageStyle style,
                             const QString &title = QString()) override;
    void endProgram() override;

private:
    bool showProgressWhenDue();

    QWidget *m_window;
    WindowHooks m_hooks;
    QElapsedTimer m_sinceProgress;
    QElapsedTimer m_sincePump;
    MessageBoxes m_messageBoxes;
};
