#include "interrupt.h"

#include <QtGlobal>

#include <cerrno>
#include <csignal>

#include <sys/select.h>

namespace {

volatile std::sig_atomic_t g_pendingSignal = 0;

void noteSignal(int signal)
{
    g_pendingSignal = signal;
}

} // namespace

namespace {

void catchOnce(int signal)
{
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking read returns at once with EINTR.
    action.sa_flags = SA_RESETHAND;
    sigaction(signal, &action, nullptr);
}

sigset_t stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

void Interrupt::install()
{
    catchOnce(SIGINT);
    catchOnce(SIGTERM);
    std::signal(SIGPIPE, SIG_IGN);
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

int Interrupt::pendingSignal()
{
    return g_pendingSignal;
}
