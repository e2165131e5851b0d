#include "windowfrontend.h"

#include <QCoreApplication>

WindowFrontEnd::WindowFrontEnd(QWidget *window, std::function<void()> showProgress,
                               std::function<void()> endProgram)
    : m_window(window), m_showProgress(std::move(showProgress)), m_endProgram(std::move(endProgram))
{
    m_sinceProgress.start();
}

void WindowFrontEnd::pumpEvents()
{
    QCoreApplication::processEvents();
    if (m_sinceProgress.elapsed() >= ProgressIntervalMs) {
        m_sinceProgress.restart();
        m_showProgress();
    }
}

MessageAnswer WindowFrontEnd::messageBox(const QString &prompt, MessageStyle style,
                                         const QString &title)
{
    return m_messageBoxes.show(m_window, prompt, style, title);
}

// Closes the report and the windows and leaves the event loop. The walk that
// called this unwinds to the Create click by throwing ProgramEnded.
void WindowFrontEnd::endProgram()
{
    m_endProgram();
}
