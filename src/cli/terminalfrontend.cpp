// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminalfrontend.h"

#include "catalogue.h"
#include "directorycursor.h"
#include "errortext.h"
#include "interrupt.h"
#include "names.h"
#include "reportfile.h"
#include "runtimeerror.h"
#include "terminal.h"
#include "terminaltext.h"
#include "walkprogress.h"

namespace {

bool isQuestion(MessageStyle style)
{
    return style == MessageStyle::YesNoQuestion || style == MessageStyle::YesNoCancelQuestion;
}

} // namespace

TerminalFrontEnd::TerminalFrontEnd(InstallAnswer installAnswer, bool showProgress,
                                   Catalogue &catalogue)
    : m_installAnswer(installAnswer), m_catalogue(catalogue), m_progress(showProgress)
{}

// Runs once per directory of the walk: a flag test and, at most, a clock read.
void TerminalFrontEnd::pumpEvents()
{
    if (Interrupt::pendingSignal() != 0) [[unlikely]]
        cancel();
    else if (m_progress.isDue()) [[unlikely]]
        showProgress();
}

// The progress line is cleared only for what is written: a question answered
// by the command line leaves it as it is.
MessageAnswer TerminalFrontEnd::messageBox(const QString &prompt, MessageStyle style,
                                           const QString &)
{
    if (isQuestion(style))
        return answerQuestion(prompt);
    m_progress.clear();
    // A report piped to a reader that has gone ends the run without a word,
    // as a closed pipe ends other tools.
    if (!m_catalogue.report.readerGone())
        Terminal::showError(prompt);
    return MessageAnswer::Ok;
}

// One line each, as du and find say what they could not read.
void TerminalFrontEnd::directoryLeftOut(const QByteArray &path, LeftOutReason reason, int error)
{
    m_progress.clear();
    if (reason == LeftOutReason::Unreadable)
        Terminal::showError(QStringLiteral("cannot read directory %1: %2")
                                .arg(printableName(path), systemErrorText(error)));
    else
        Terminal::showError(QStringLiteral("left out %1 and everything below it: a later disk "
                                           "of a multi-disk package (a name beginning with "
                                           "\"disk\" and no \"disk1\" in its path)")
                                .arg(printableName(path)));
}

void TerminalFrontEnd::showLeftOutCount()
{
    const FolderScan::LeftOut &leftOut = m_catalogue.scan.leftOut();
    if (leftOut.total() > 0)
        Terminal::showError(leftOutSummary(leftOut.unreadable, leftOut.laterDisks));
}

// Like Cancel in the window: the walk writes nothing more once the
// directory at hand is done, and enters no other directory.
void TerminalFrontEnd::cancel()
{
    m_catalogue.scan.setScanActive(false);
}

void TerminalFrontEnd::showProgress()
{
    m_progress.show(
        walkCounts(m_catalogue.scan.foldersVisited(), m_catalogue.report.linesWritten()) +
            QStringLiteral(": "),
        printableName(m_catalogue.cursor.dir.Path()));
}

MessageAnswer TerminalFrontEnd::answerQuestion(const QString &prompt)
{
    switch (m_installAnswer) {
    case InstallAnswer::Yes:
        return MessageAnswer::Yes;
    case InstallAnswer::No:
        return MessageAnswer::No;
    case InstallAnswer::Ask:
        break;
    }
    return askOnTerminal(prompt);
}

// Asks until the answer is yes or no. The end of the input, and a stop
// signal while waiting, count as No; once the input has ended, later
// questions are answered No without asking. After a stop signal the walk
// finishes the directory asked about and stops there.
MessageAnswer TerminalFrontEnd::askOnTerminal(const QString &prompt)
{
    if (m_inputEnded)
        return MessageAnswer::No;
    const QString question = RuntimeError::pathText(m_catalogue.cursor.dir.Path()) +
                             QLatin1Char('\n') + TerminalText::messageLine(prompt) +
                             QLatin1String(" [y/n] ");
    const bool echo = !Terminal::isTerminal(Terminal::StandardInput);
    m_progress.clear();
    for (;;) {
        Terminal::writeError(question);
        QByteArray line;
        const Terminal::ReadResult result = Terminal::readLine(line);
        if (result != Terminal::ReadResult::Line) {
            Terminal::writeError(QStringLiteral("\n"));
            if (result == Terminal::ReadResult::Interrupted)
                cancel();
            m_inputEnded = result == Terminal::ReadResult::EndOfInput;
            return MessageAnswer::No;
        }
        // Typed answers are echoed by the terminal; others are shown here.
        if (echo)
            Terminal::writeError(TerminalText::messageLine(QString::fromLocal8Bit(line)) +
                                 QLatin1Char('\n'));
        const QByteArray answer = line.trimmed().toLower();
        if (answer == "y" || answer == "yes")
            return MessageAnswer::Yes;
        if (answer == "n" || answer == "no")
            return MessageAnswer::No;
    }
}
