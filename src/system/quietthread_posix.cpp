// SPDX-License-Identifier: GPL-3.0-or-later
#include "quietthread.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {
// The nice value of a thread that gives way: the lowest priority there is.
constexpr int LowestPriority = 19;
} // namespace

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

void giveWayToOtherThreads()
{
#ifdef __linux__
    // Linux gives each thread its own nice value; elsewhere this would lower
    // the whole process.
    setpriority(PRIO_PROCESS, id_t(gettid()), LowestPriority);
#endif
}
