// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "systemvolumes.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The drive list: the volumes a user would browse. On systems with drive
// letters these are the drives; elsewhere "/" and the mount points of real
// storage (disks, USB sticks, network shares), without the kernel's virtual
// file systems. Entries are ordered by mount point.
class DriveList
{
public:
    DriveList() = default;
    explicit DriveList(std::vector<DriveEntry> drives);

    // The volumes of this machine as they are mounted now.
    static DriveList systemDrives();

    qint64 ListCount() const { return qint64(m_drives.size()); }
    const DriveEntry &List(qint64 i) const { return m_drives[std::size_t(i)]; }

    // The entry shown as `text`, or -1.
    qint64 indexOfText(const QString &text) const;
    // The entry whose volume holds `path`: the deepest mount point above it,
    // or -1 when no entry holds it.
    qint64 indexOfPath(const QByteArray &path) const;

private:
    std::vector<DriveEntry> m_drives;
};

// The folder that holds the program's executable.
QByteArray programFolder();
