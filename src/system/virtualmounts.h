// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mounttable.h"

#include <QByteArray>
#include <QSet>

#include <memory>
#include <vector>

// The kernel's file systems (proc, sysfs, devpts, cgroup and the like) as
// they are mounted now. The directory list leaves them out, so that a walk
// of "/" never enters /proc or /sys. A mount point is known by what it is,
// the device its entries are on, never by how its path is spelled: the same
// one is reached through a link, or by another name for a folder above it.
class VirtualMounts
{
public:
    explicit VirtualMounts(const std::vector<MountEntry> &table);

    // Whether an entry of this name may be the mount point of a kernel file
    // system: the final name of one. One hash lookup, false for almost every
    // name; only then is the entry's device worth asking for.
    bool mayBeMountPoint(const char *name) const
    {
        return !m_finalNames.isEmpty() && m_finalNames.contains(QByteArray::fromRawData(
                                              name, static_cast<qsizetype>(qstrlen(name))));
    }
    // Whether entries on `device` are a kernel file system's.
    bool isKernelDevice(quint64 device) const { return m_devices.contains(device); }

    // Those of this system: the mount table read at first use, and read
    // again when it has changed (looked at no more than once a second).
    // Any thread may ask; each keeps the table it got as long as it needs.
    static std::shared_ptr<const VirtualMounts> current();

private:
    QSet<QByteArray> m_finalNames;
    QSet<quint64> m_devices;
};
