// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtualmounts.h"

#include "mounttablewatch.h"
#include "pathsyntax.h"

#include <QHash>

#include <chrono>
#include <mutex>

namespace {

// The mount table changes seldom, and asking whether it has takes a system
// call: it is asked at most once a second.
class ThrottledWatch
{
public:
    bool changed()
    {
        const auto now = std::chrono::steady_clock::now();
        if (now < m_nextLook)
            return false;
        m_nextLook = now + std::chrono::seconds(1);
        return m_watch.hasChanged();
    }

private:
    MountTableWatch m_watch;
    std::chrono::steady_clock::time_point m_nextLook;
};

} // namespace

VirtualMounts::VirtualMounts(const std::vector<MountEntry> &table)
{
    QHash<QByteArray, const MountEntry *> byMountPoint; // a later mount hides an earlier one
    for (const MountEntry &mount : table)
        byMountPoint.insert(mount.mountPoint, &mount);

    for (const MountEntry *mount : std::as_const(byMountPoint)) {
        if (!isKernelFileSystem(mount->type) || finalName(mount->mountPoint).isEmpty())
            continue;
        m_finalNames.insert(finalName(mount->mountPoint));
        m_devices.insert(mount->device);
    }
}

std::shared_ptr<const VirtualMounts> VirtualMounts::current()
{
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    static ThrottledWatch watch; // before the first reading, so no change is missed
    static std::shared_ptr<const VirtualMounts> mounts =
        std::make_shared<const VirtualMounts>(readMountTable());
    if (watch.changed())
        mounts = std::make_shared<const VirtualMounts>(readMountTable());
    return mounts;
}
