#include "windowfrontend.h"

#include <QCoreApplication>

WindowFrontEnd::WindowFrontEnd(QWidget *window, WindowHooks hooks)
    : m_window(window), m_hooks(std::move(hooks))
{
    m_sinceProgress.start();
}

void WindowFrontEnd::pumpEvents()
{
    QCoreApplication::processEvents();
    if (m_sinceProgress.elapsed() >= ProgressIntervalMs) {
        m_sinceProgress.restart();
        m_hooks.showProgress();
    }
}

MessageAnswer WindowFrontEnd::messageBox(const QString &prompt, MessageStyle style,
                                         const QString &title)
{
    m_hooks.showProgress();
    return m_messageBoxes.show(m_window, prompt, style, title);
}

// Closes the report and the windows and leaves the event loop. The walk that
// called this unwinds to the Create click by throwing ProgramEnded.
void WindowFrontEnd::endProgram()
{
    m_hooks.endProgram();
}
