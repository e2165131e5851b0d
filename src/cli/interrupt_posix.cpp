// SPDX-License-Identifier: GPL-3.0-or-later
#include "interrupt.h"

#include <QtGlobal>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <sys/select.h>

namespace {

volatile std::sig_atomic_t g_pendingSignal = 0;
// SIGPIPE was ignored when the program started (by its parent).
bool g_pipeSignalIgnored = false;

void noteSignal(int signal)
{
    if (g_pendingSignal == 0)
        g_pendingSignal = signal;
}

} // namespace

namespace {

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void catchOnce(int signal)
{
    struct sigaction current = {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
        return;
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking read, or the opening of a FIFO that waits for
    // its reader, returns at once with EINTR.
    action.sa_flags = static_cast<int>(SA_RESETHAND); // an unsigned bit in an int field
    sigaction(signal, &action, nullptr);
}

sigset_t stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : StopSignals)
        sigaddset(&signals, signal);
    return signals;
}

} // namespace

void Interrupt::install()
{
    for (const int signal : StopSignals)
        catchOnce(signal);
    g_pipeSignalIgnored = std::signal(SIGPIPE, SIG_IGN) == SIG_IGN;
}

int Interrupt::endByBrokenPipe()
{
    if (!g_pipeSignalIgnored) {
        std::signal(SIGPIPE, SIG_DFL);
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        sigprocmask(SIG_UNBLOCK, &pipeSignal, nullptr);
        std::raise(SIGPIPE);
    }
    return 128 + SIGPIPE;
}

// The stop signals stay blocked from the test of the flag until pselect()
// starts waiting, so one that comes in between still wakes the wait.
bool Interrupt::waitForInput(int fd)
{
    const sigset_t signals = stopSignals();
    sigset_t original;
    sigprocmask(SIG_BLOCK, &signals, &original);
    int ready = -1;
    while (g_pendingSignal == 0 && ready < 0) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        ready = pselect(fd + 1, &readable, nullptr, nullptr, nullptr, &original);
        if (ready < 0 && errno != EINTR)
            break; // a bad descriptor: let the read report it
    }
    sigprocmask(SIG_SETMASK, &original, nullptr);
    return g_pendingSignal == 0;
}

void Interrupt::endByPendingSignal()
{
    const int signal = g_pendingSignal;
    if (signal == 0)
        return;
    std::fflush(nullptr);
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
}

int Interrupt::pendingSignal()
{
    return g_pendingSignal;
}
