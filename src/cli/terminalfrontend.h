#pragma once

#include "folderscan.h"
#include "frontend.h"
#include "options.h"
#include "progressline.h"

class DirectoryCursor;
class ReportFile;

// The engine's front end on a terminal, with the walk it drives. The event
// pump turns a stop signal into a Cancel and keeps a progress line up to
// date; messages go to standard error, and the install question is answered
// as the command line says, or by the user on standard input.
class TerminalFrontEnd : public FrontEnd
{
public:
    TerminalFrontEnd(InstallAnswer installAnswer, bool showProgress, DirectoryCursor &cursor,
                     ReportFile &report);

    TerminalFrontEnd(const TerminalFrontEnd &) = delete;
    TerminalFrontEnd &operator=(const TerminalFrontEnd &) = delete;

    // The walk of `cursor` into `report`, which a stop signal cancels.
    FolderScan &scan() { return m_scan; }

    void pumpEvents() override;
    MessageAnswer messageBox(const QString &prompt, MessageStyle style,
                             const QString &title = QString()) override;
    void endProgram() override { m_programEnded = true; }

    bool programEnded() const { return m_programEnded; }
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
    FolderScan m_scan;
    ProgressLine m_progress;
    bool m_inputEnded = false;
    bool m_programEnded = false;
};
