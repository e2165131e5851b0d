// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// True when a directory adds nothing to the report: it has no files, or it
// belongs to a multi-disk package without being its first disk. The path is
// as the file system gives it.
bool IsSkippedFolder(qint64 fileCount, const QByteArray &path);

// What the names of a path say of the multi-disk rule: a path lies on a
// later disk of a package when it holds a name beginning with "disk" (in any
// case) and no name "disk1". Everything below such a directory adds nothing
// to the report either, but for a "disk1" further down.
struct DiskNames
{
    bool someDisk = false;  // a name beginning with "disk"
    bool firstDisk = false; // a name "disk1"
    bool onLaterDisk() const { return someDisk && !firstDisk; }
};

// Of a whole path, as the file system gives it.
DiskNames diskNamesOf(const QByteArray &path);
// Of the path of a directory's entry `name`, the directory's being `parent`:
// a walk learns it name by name, never going over its whole path again.
DiskNames diskNamesBelow(DiskNames parent, const QByteArray &name);
