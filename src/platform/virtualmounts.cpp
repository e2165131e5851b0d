#include "virtualmounts.h"

#include "pathsyntax.h"

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
    QHash<QByteArray, QByteArray> typeByMountPoint; // a later mount hides an earlier one
    for (const MountEntry &mount : table)
        typeByMountPoint.insert(mount.mountPoint, mount.type);

    for (auto mount = typeByMountPoint.cbegin(); mount != typeByMountPoint.cend(); ++mount) {
        const QByteArray &path = mount.key();
        if (isKernelFileSystem(mount.value()) && !finalName(path).isEmpty())
            m_namesByParent[parentPath(path)].insert(finalName(path));
    }
}

VirtualMounts::InDirectory VirtualMounts::in(const QByteArray &path) const
{
    InDirectory names;
    const auto found = m_namesByParent.constFind(path);
    if (found != m_namesByParent.cend())
        names.m_names = &found.value();
    return names;
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
