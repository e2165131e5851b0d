// SPDX-License-Identifier: GPL-3.0-or-later
#include "interrupt.h"

#include <csignal>

#include <windows.h>

// Ctrl-C and Ctrl-Break in the console come to a handler that the system
// runs on a thread of its own. The first is noted; a second finds the
// handler declining it, and the system's default action ends the process.

namespace {

volatile std::sig_atomic_t g_pendingSignal = 0;

BOOL WINAPI noteControlEvent(DWORD event)
{
    if (g_pendingSignal != 0)
        return FALSE;
    switch (event) {
    case CTRL_C_EVENT:
        g_pendingSignal = SIGINT;
        return TRUE;
    case CTRL_BREAK_EVENT:
        g_pendingSignal = SIGBREAK;
        return TRUE;
    default:
        return FALSE; // the console closing, the user logging off
    }
}

} // namespace

void Interrupt::install()
{
    SetConsoleCtrlHandler(noteControlEvent, TRUE);
}

// A read of the console that Ctrl-C interrupts returns at once, so there is
// nothing to wait for beforehand.
bool Interrupt::waitForInput(int)
{
    return g_pendingSignal == 0;
}

// Windows has no death by a signal to show a parent: the exit status tells.
void Interrupt::endByPendingSignal() {}

int Interrupt::endByBrokenPipe()
{
    return 141; // the status a POSIX shell shows for SIGPIPE
}

int Interrupt::pendingSignal()
{
    return g_pendingSignal;
}
