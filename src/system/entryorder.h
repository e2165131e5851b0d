// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filesystem.h"

#include <QByteArray>

#include <cstddef>
#include <functional>
#include <vector>

// Entries read between two calls of a reader's function while it reads.
inline constexpr std::size_t EntriesBetweenCalls = 256;

// A listing's entry for the raw `name`, with its collation key.
DirectoryEntry makeEntry(QByteArray name);

// Whether `a` comes before `b` in the lists' order.
bool collatesBefore(const DirectoryEntry &a, const DirectoryEntry &b);

// Sorts entries by collation key, then by raw name: the lists' order on
// every system. A large directory's sort takes long enough to call
// `whileReading` along the way too.
void sortEntries(std::vector<DirectoryEntry> &entries, const std::function<void()> &whileReading);
