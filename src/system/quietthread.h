// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <thread>

// Starts a thread that never receives the signals a program handles (an
// interrupt from the terminal and the like), so that they always reach the
// thread that waits for them. For threads that only read the disk.
std::thread startQuietThread(std::function<void()> body);
