// SPDX-License-Identifier: GPL-3.0-or-later
#include "quietthread.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>

// A new thread starts with the signal mask of the thread that makes it: made
// with every signal blocked, it never runs a moment without.
std::thread startQuietThread(std::function<void()> body)
{
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    try {
        std::thread thread(std::move(body));
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return thread;
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        throw;
    }
}

long waitsOfThisThread()
{
#ifdef RUSAGE_THREAD
    rusage usage;
    if (getrusage(RUSAGE_THREAD, &usage) == 0)
        return usage.ru_nvcsw;
#endif
    return -1;
}
