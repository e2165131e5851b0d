// SPDX-License-Identifier: GPL-3.0-or-later
#include "runcontrol.h"

#include "directorycursor.h"
#include "frontend.h"
#include "names.h"
#include "reportchoice.h"
#include "runtimeerror.h"
#include "runwindow.h"

#include <QScopeGuard>

RunControl::RunControl(RunWindow &window, Catalogue &catalogue, ReportFolder folder)
    : m_window(window), m_catalogue(catalogue), m_folder(std::move(folder))
{}

void RunControl::createButtonClicked()
{
    try {
        switch (m_phase) {
        case RunPhase::Idle:
            createRun();
            break;
        case RunPhase::Walking:
            // A click sent before the run began is the second of a double
            // click on Create: it neither cancels the run nor starts another.
            if (m_catalogue.scan.hasPumped())
                cancelRun();
            break;
        case RunPhase::Unwinding:
            break; // a new run waits for the cancelled walk's end
        }
    } catch (const ProgramEnded &) {
        // The program is ending; nothing of the run goes on, and ending
        // closes the report with what it holds.
        try {
            closeReport();
        } catch (const RuntimeError &) {
            // The end has been announced already; there is no one left to tell.
        }
    }
}

QString RunControl::buttonCaption(RunPhase phase)
{
    return phase == RunPhase::Walking ? QStringLiteral("&Cancel") : QStringLiteral("&Create");
}

void RunControl::lockWindow()
{
    m_window.setCreateButtonCaption(buttonCaption(RunPhase::Walking));
    for (RunLockControl control : RunLockSet)
        m_window.setControlEnabled(control, false);
}

void RunControl::unlockWindow()
{
    m_window.setCreateButtonCaption(buttonCaption(RunPhase::Idle));
    for (RunLockControl control : RunLockSet)
        m_window.setControlEnabled(control, true);
}

void RunControl::stopForProgramEnd()
{
    m_catalogue.scan.setScanActive(false);
    closeReport();
}

RunProgress RunControl::progress() const
{
    RunProgress progress;
    progress.stage = m_stage;
    progress.foldersVisited = m_catalogue.scan.foldersVisited() - m_foldersBefore;
    progress.reportLines = m_catalogue.report.lineCount();
    progress.reportPath = decodedName(m_catalogue.report.path());
    progress.unreadable = m_catalogue.scan.leftOut().unreadable;
    progress.laterDisks = m_catalogue.scan.leftOut().laterDisks;
    if (m_stage == RunProgress::Stage::Running)
        progress.currentFolder = decodedName(m_catalogue.cursor.dir.Path());
    return progress;
}

void RunControl::createRun()
{
    m_catalogue.cursor.files.setPattern(QStringLiteral("*.*"));
    if (ChooseReportFile(m_catalogue.report, m_catalogue.frontEnd, m_folder) ==
        ReportChoice::Abandoned)
        return;
    startProgress();
    m_phase = RunPhase::Walking;
    lockWindow();
    m_window.runStateChanged();
    walk();
    if (m_stage == RunProgress::Stage::Running)
        m_stage = RunProgress::Stage::Finished;
    tail();
}

void RunControl::cancelRun()
{
    m_catalogue.scan.setScanActive(false);
    m_stage = RunProgress::Stage::Cancelled;
    m_phase = RunPhase::Unwinding;
    tail();
}

void RunControl::startProgress()
{
    m_stage = RunProgress::Stage::Running;
    m_foldersBefore = m_catalogue.scan.foldersVisited();
}

void RunControl::walk()
{
    m_catalogue.scan.setSwitches(m_window.categorySwitches());
    const auto walkEnded = qScopeGuard([this] { m_phase = RunPhase::Idle; });
    const QByteArray start = m_catalogue.cursor.dir.Path();
    m_catalogue.scan.ScanFolder(start, QByteArray());
    returnToStart(start);
}

// A walk stopped by a Cancel or by running out of memory leaves the
// directory list where it stopped; the next Create is to catalogue the same
// tree again. A start directory removed meanwhile leaves the list as it is.
void RunControl::returnToStart(const QByteArray &start)
{
    if (m_catalogue.cursor.dir.Path() == start)
        return;
    try {
        m_catalogue.cursor.dir.setPath(start);
    } catch (const RuntimeError &) {
        // Gone during the run: the list stays where the walk left it.
    }
}

// The end of every click that got this far: after the walk, and at a Cancel.
// After a Cancel it runs twice; the second time changes nothing.
void RunControl::tail()
{
    unlockWindow();
    closeReport();
    m_window.runStateChanged();
}

void RunControl::closeReport()
{
    if (!m_catalogue.report.isOpen())
        return;
    m_catalogue.report.close();
}
