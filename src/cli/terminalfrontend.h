#pragma once

#include "frontend.h"
#include "options.h"
#include "progressline.h"

class DirectoryCursor;
class FolderScan;
class ReportFile;

// The engine's front end on a terminal. The event pump turns a stop signal
// into a Cancel and keeps a progress line up to date; messages go to
// standard error, and the install question is answered as the command line
// says, or by the user on standard input.
class TerminalFrontEnd : public FrontEnd
{
public:
    TerminalFrontEnd(InstallAnswer installAnswer, bool showProgress, const DirectoryCursor &cursor,
                     const ReportFile &report);

    // The walk that a Cancel stops; it must be set before the walk starts.
    void setScan(FolderScan &scan) { m_scan = &scan; }

    void pumpEvents() override;
    MessageAnswer messageBox(const QString &prompt, MessageStyle style,
                             const QString &title = QString()) override;
    void endProgram() override { m_programEnded = true; }

    bool programEnded() const { return m_programEnded; }
    // The text of the last message shown, so that it is not shown twice.
    const QString &lastMessage() const { return m_lastMessage; }
    // Takes the progress line away for good.
    void finish() { m_progress.clear(); }

private:
    void cancel();
    void showProgress();
    MessageAnswer answerQuestion(const QString &prompt);
    MessageAnswer askOnTerminal(const QString &prompt);

    const InstallAnswer m_installAnswer;
    const DirectoryCursor &m_cursor;
    const ReportFile &m_report;
    FolderScan *m_scan = nullptr;
    ProgressLine m_progress;
    QString m_lastMessage;
    bool m_inputEnded = false;
    bool m_programEnded = false;
};
