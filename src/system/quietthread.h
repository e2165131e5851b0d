// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <thread>

// Starts a thread that never receives the signals a program handles (an
// interrupt from the terminal and the like), so that they always reach the
// thread that waits for them. For threads that only read the disk.
std::thread startQuietThread(std::function<void()> body);

// How many times the calling thread has given up its processor to wait (for
// a disk, the network, a lock) since it started, as against being made to
// give it up to another thread; -1 where the system does not tell.
long waitsOfThisThread();

// Lowers the calling thread's priority below the program's other threads:
// it runs on the processors they leave, and never keeps one of them waiting
// for its turn. For threads whose work only saves the others time.
void giveWayToOtherThreads();
