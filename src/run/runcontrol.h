// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue.h"
#include "reportfolder.h"
#include "runprogress.h"
#include "runwindow.h"

// The Create/Cancel button: starts a catalogue run when none is going and
// cancels the running one. A Cancel click comes through the walk's event
// pump, so createButtonClicked() runs nested inside the click that started
// the run.
class RunControl
{
public:
    RunControl(RunWindow &window, Catalogue &catalogue, ReportFolder folder);

    RunControl(const RunControl &) = delete;
    RunControl &operator=(const RunControl &) = delete;

    void createButtonClicked();
    RunPhase phase() const { return m_phase; }
    // The button's caption in `phase`.
    static QString buttonCaption(RunPhase phase);
    void lockWindow();
    void unlockWindow();

    // For the end of the program during a run: the walk writes nothing more
    // and stops at its next directory, and the report is closed.
    void stopForProgramEnd();

    // From the start of a walk until it has returned, Cancel or not.
    bool walkInProgress() const { return m_phase != RunPhase::Idle; }
    RunProgress progress() const;
    const ReportFolder &reportFolder() const { return m_folder; }
    const ReportFile &report() const { return m_catalogue.report; }

private:
    void createRun();
    void cancelRun();
    void startProgress();
    void walk();
    void returnToStart(const QByteArray &start);
    void tail();
    void closeReport();

    RunWindow &m_window;
    Catalogue &m_catalogue;
    ReportFolder m_folder;
    RunPhase m_phase = RunPhase::Idle;

    RunProgress::Stage m_stage = RunProgress::Stage::NotStarted;
    qint64 m_foldersBefore = 0; // folders visited by earlier runs
};
