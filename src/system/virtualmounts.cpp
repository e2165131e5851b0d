#include "virtualmounts.h"

#include "pathsyntax.h"

#include <QHash>

#include <chrono>
#include <mutex>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_LINUX

// Tells when the mount table has changed. The system flags a change as an
// urgent condition on an open mountinfo file; asking takes a system call, so
// it is asked at most once a second.
class MountTableWatch
{
public:
    MountTableWatch() : m_fd(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC)) {}
    ~MountTableWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    MountTableWatch(const MountTableWatch &) = delete;
    MountTableWatch &operator=(const MountTableWatch &) = delete;

    bool changed()
    {
        if (m_fd < 0)
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now < m_nextLook)
            return false;
        m_nextLook = now + std::chrono::seconds(1);
        pollfd watch{m_fd, POLLPRI, 0};
        return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLPRI | POLLERR));
    }

private:
    int m_fd;
    std::chrono::steady_clock::time_point m_nextLook;
};

#else

class MountTableWatch
{
public:
    bool changed() { return false; }
};

#endif

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
    static MountTableWatch watch; // before the first reading, so no change is missed
    static std::shared_ptr<const VirtualMounts> mounts =
        std::make_shared<const VirtualMounts>(readMountTable());
    if (watch.changed())
        mounts = std::make_shared<const VirtualMounts>(readMountTable());
    return mounts;
}
