// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// `path` made absolute against the working directory and cleaned lexically:
// "." and empty parts dropped, ".." taking away the part before it. Symbolic
// links are not resolved, and the bytes of the names are kept as they are.
// The root keeps its separator ("/"); other paths have no trailing one.
QByteArray absoluteCleanPath(const QByteArray &path);

// The error (an errno value) that looking up names in the directory `path`
// meets, as this user: EACCES where it lacks the search (execute)
// permission; 0 where names can be looked up, or where it cannot be told.
int searchError(const QByteArray &path);
