// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frontend.h"
#include "options.h"
#include "progressline.h"

class Catalogue;

// The engine's front end on a terminal, for the catalogue it drives. The
// event pump turns a stop signal into a Cancel and keeps a progress line up to
// date; messages go to standard error, and the install question is answered
// as the command line says, or by the user on standard input.
class TerminalFrontEnd : public FrontEnd
{
public:
    // Keeps `catalogue`, which may be made after the front end.
    TerminalFrontEnd(InstallAnswer installAnswer, bool showProgress, Catalogue &catalogue);

    TerminalFrontEnd(const TerminalFrontEnd &) = delete;
    TerminalFrontEnd &operator=(const TerminalFrontEnd &) = delete;

    void pumpEvents() override;
    MessageAnswer messageBox(const QString &prompt, MessageStyle style,
                             const QString &title = QString()) override;
    void endProgram() override { m_programEnded = true; }
    void directoryLeftOut(const QByteArray &path, LeftOutReason reason, int error) override;
    // One closing line with the count of directories left out, if any.
    void showLeftOutCount();

    bool programEnded() const { return m_programEnded; }
    // Takes the progress line away for good.
    void finish() { m_progress.clear(); }

private:
    void cancel();
    void showProgress();
    MessageAnswer answerQuestion(const QString &prompt);
    MessageAnswer askOnTerminal(const QString &prompt);

    const InstallAnswer m_installAnswer;
    Catalogue &m_catalogue;
    ProgressLine m_progress;
    bool m_inputEnded = false;
    bool m_programEnded = false;
};
