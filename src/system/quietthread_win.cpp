// SPDX-License-Identifier: GPL-3.0-or-later
#include "quietthread.h"

#include <windows.h>

// Windows delivers a console's interrupt on a thread of its own: any thread
// may start as it is.
std::thread startQuietThread(std::function<void()> body)
{
    return std::thread(std::move(body));
}

long waitsOfThisThread()
{
    return -1;
}

void giveWayToOtherThreads()
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}
