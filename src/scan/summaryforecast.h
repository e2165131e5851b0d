// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "folderkind.h"

#include <QByteArray>

struct DirectoryListing;

// Whether the files of a directory will surely be written without their
// lengths: the directory is skipped, or one of the switched-on collection
// kinds, or an installable package known by an installer's name. Asked from
// the threads that read ahead of the walk, which measure only the files of
// the other directories; a wrong guess costs time, never a wrong line.
bool needsNoLengths(const CategorySwitches &switches, const DirectoryListing &listing,
                    const QByteArray &path);
