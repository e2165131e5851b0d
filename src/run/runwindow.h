// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "folderkind.h"

#include <QString>

#include <array>

// The controls that a run disables while it lasts and enables again after.
enum class RunLockControl {
    exitButton,
    musicBox,
    graphicBox,
    installBox,
    videoBox,
    driveBox,
    directoryView
};

// The run lock set, in the order in which its controls are switched.
inline constexpr std::array<RunLockControl, 7> RunLockSet = {
    RunLockControl::exitButton,    RunLockControl::musicBox, RunLockControl::graphicBox,
    RunLockControl::installBox,    RunLockControl::videoBox, RunLockControl::driveBox,
    RunLockControl::directoryView,
};

// Where a catalogue run stands. The Create/Cancel button's caption follows
// it: "&Cancel" while Walking, "&Create" otherwise.
enum class RunPhase {
    Idle,      // no walk: a click on the button starts a run
    Walking,   // a run is going: a click cancels it
    Unwinding, // cancelled, and the walk is returning: a click does nothing
};

// The main window as a catalogue run sees it: the Create/Cancel button's
// caption, the controls it locks and the four category check boxes.
class RunWindow
{
public:
    virtual ~RunWindow() = default;

    virtual void setCreateButtonCaption(const QString &caption) = 0;
    virtual void setControlEnabled(RunLockControl control, bool enabled) = 0;
    virtual CategorySwitches categorySwitches() const = 0;

    // A run has started, finished or been cancelled.
    virtual void runStateChanged() = 0;
};
