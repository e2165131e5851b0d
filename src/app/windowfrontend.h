#pragma once

#include "messagebox.h"
#include "platform/frontend.h"

#include <QElapsedTimer>

#include <functional>

class QWidget;

// The engine's front end in the window program. The walk's event pump lets
// the window handle everything pending, a Cancel click among it; at most
// about ten times a second it also has the window show the run's progress.
class WindowFrontEnd : public FrontEnd
{
public:
    static constexpr int ProgressIntervalMs = 100;

    WindowFrontEnd(QWidget *window, std::function<void()> showProgress,
                   std::function<void()> endProgram);

    void pumpEvents() override;
    MessageAnswer messageBox(const QString &prompt, MessageStyle style,
                             const QString &title = QString()) override;
    void endProgram() override;

private:
    QWidget *m_window;
    std::function<void()> m_showProgress;
    std::function<void()> m_endProgram;
    QElapsedTimer m_sinceProgress;
    MessageBoxes m_messageBoxes;
};
