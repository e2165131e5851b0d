// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <vector>

// One mounted file system as the system's mount table lists it.
struct MountEntry
{
    QByteArray mountPoint; // raw bytes, unescaped
    QByteArray type;       // "ext4", "proc", "tmpfs"
    QByteArray source;     // the device or the source the system names
    quint64 device = 0;    // what its files give as their device (Linux only)
};

// The file systems mounted now, in the order they were mounted: a later
// entry on the same mount point hides an earlier one. Empty when the table
// cannot be read.
std::vector<MountEntry> readMountTable();

// True for file systems whose entries are the kernel's state rather than
// stored files (proc, sysfs, devpts, cgroup and the like). Memory-backed
// file systems that hold real files (tmpfs, ramfs) are not among them.
bool isKernelFileSystem(const QByteArray &type);
