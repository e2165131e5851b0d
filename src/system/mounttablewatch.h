// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Tells when a volume has been mounted or unmounted. On Linux the kernel
// flags every change of the mount table as an urgent condition on an open
// /proc/self/mountinfo; elsewhere nothing is watched.
class MountTableWatch
{
public:
    MountTableWatch();
    ~MountTableWatch();

    MountTableWatch(const MountTableWatch &) = delete;
    MountTableWatch &operator=(const MountTableWatch &) = delete;

    // What an event loop watches for the urgent condition (an exception on
    // a socket notifier); -1 when nothing is watched.
    int descriptor() const { return m_descriptor; }

    // Whether the table has changed since it was opened, asked of the
    // system now.
    bool hasChanged() const;

private:
    int m_descriptor = -1;
};
