// SPDX-License-Identifier: GPL-3.0-or-later
// Directory reading and length queries on POSIX systems.

#include "filesystem.h"

#include "entryorder.h"
#include "names.h"
#include "pathsyntax.h"
#include "runtimeerror.h"
#include "virtualmounts.h"

#include <QByteArrayList>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif
#include <unistd.h>

namespace {

// A modification time this close to the moment of reading may still change
// within the same tick of a coarse file system clock; such a stamp proves
// nothing, and the directory is read again next time.
constexpr qint64 UntrustedStampSeconds = 2;

// Handles kept open at most, and the share of the process's limit of open
// files they may take: the rest is for the report, the window and the like.
constexpr std::size_t MaximumHandles = 128;
constexpr rlim_t HandleShareDivisor = 2;
// Handles of directories read ahead, kept until the walk gets there: a
// quarter of the limit, so that they never crowd out the rest.
constexpr std::size_t MaximumTakeOverHandles = 4096;
constexpr rlim_t TakeOverShareDivisor = 4;

constexpr int DirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

bool isHidden(const char *name)
{
    return name[0] == '.';
}

// 0 when the user may open and read the subdirectory `name`, or why not.
int accessError(int dirFd, const char *name)
{
    return faccessat(dirFd, name, R_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// The subdirectory `name` is where a kernel file system is mounted.
bool isKernelMountPoint(int dirFd, const char *name, const VirtualMounts &mounts)
{
    if (!mounts.mayBeMountPoint(name))
        return false;
    struct stat status;
    return fstatat(dirFd, name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           mounts.isKernelDevice(quint64(status.st_dev));
}

enum class EntryType { Directory, File, Other };

EntryType typeFromMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return EntryType::Directory;
    if (S_ISREG(mode))
        return EntryType::File;
    return EntryType::Other;
}

// What an entry is as the lists see it. A link counts as a file when it
// leads to a regular file; a link to a directory is not a directory.
EntryType entryType(int dirFd, const char *name, unsigned char type)
{
    struct stat status;
    switch (type) {
    case DT_DIR:
        return EntryType::Directory;
    case DT_REG:
        return EntryType::File;
    case DT_LNK:
        if (fstatat(dirFd, name, &status, 0) != 0)
            return EntryType::Other;
        return S_ISREG(status.st_mode) ? EntryType::File : EntryType::Other;
    case DT_UNKNOWN:
        if (fstatat(dirFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryType::Other;
        if (S_ISLNK(status.st_mode)) {
            if (fstatat(dirFd, name, &status, 0) != 0)
                return EntryType::Other;
            return S_ISREG(status.st_mode) ? EntryType::File : EntryType::Other;
        }
        return typeFromMode(status.st_mode);
    default:
        return EntryType::Other;
    }
}

// A path too long to hand to the system whole is opened one name at a time.
int openByNames(const QByteArray &path)
{
    int fd = ::open(path.startsWith('/') ? "/" : ".", DirectoryFlags);
    for (const QByteArray &name : path.split('/')) {
        if (fd < 0 || name.isEmpty())
            continue;
        const int next = ::openat(fd, name.constData(), DirectoryFlags);
        const int error = errno;
        ::close(fd);
        fd = next;
        errno = error;
    }
    return fd;
}

} // namespace

// How the entries of a directory are read: on Linux straight from the
// kernel, elsewhere through a stream of the C library.
struct DirectoryHandle::Stream
{
    DIR *dir = nullptr;
    bool read = false; // once read, a directory is read again from its start

    // Calls visit(name, type) for each entry; 0, or the error number.
    template <typename Visit> int forEachEntry(int descriptor, Visit visit);
};

#ifdef __linux__
// Two system calls fewer per directory than with a stream, and no buffer
// to allocate.
template <typename Visit> int DirectoryHandle::Stream::forEachEntry(int descriptor, Visit visit)
{
    if (std::exchange(read, true) && ::lseek(descriptor, 0, SEEK_SET) != 0)
        return errno;
    alignas(dirent64) char buffer[16 * 1024];
    for (;;) {
        const ssize_t size = getdents64(descriptor, buffer, sizeof buffer);
        if (size <= 0)
            return size == 0 ? 0 : errno;
        for (ssize_t at = 0; at < size;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer + at);
            visit(entry->d_name, entry->d_type);
            at += entry->d_reclen;
        }
    }
}
#else
template <typename Visit> int DirectoryHandle::Stream::forEachEntry(int descriptor, Visit visit)
{
    if (!dir) {
        dir = fdopendir(descriptor);
        if (!dir)
            return errno;
    } else {
        rewinddir(dir);
    }
    errno = 0;
    while (const dirent *entry = readdir(dir)) {
        visit(entry->d_name, entry->d_type);
        errno = 0;
    }
    return errno;
}
#endif

DirectoryHandle::DirectoryHandle(int descriptor)
    : m_stream(std::make_unique<Stream>()), m_descriptor(descriptor)
{}

DirectoryHandle::~DirectoryHandle()
{
    if (m_stream->dir)
        closedir(m_stream->dir);
    else
        ::close(m_descriptor);
}

std::unique_ptr<DirectoryHandle> DirectoryHandle::open(const QByteArray &path)
{
    int fd = path.size() < PATH_MAX ? ::open(path.constData(), DirectoryFlags) : -1;
    if (path.size() >= PATH_MAX || (fd < 0 && errno == ENAMETOOLONG))
        fd = openByNames(path);
    if (fd < 0)
        throw RuntimeError::forDirectory(errno, path);
    return std::unique_ptr<DirectoryHandle>(new DirectoryHandle(fd));
}

std::unique_ptr<DirectoryHandle> DirectoryHandle::openChild(const DirectoryHandle &parent,
                                                            const QByteArray &name,
                                                            const QByteArray &parentPath)
{
    const int fd = ::openat(parent.m_descriptor, name.constData(), DirectoryFlags | O_NOFOLLOW);
    if (fd < 0) {
        // A link where a directory was listed is no directory to enter.
        const int error = errno == ELOOP ? ENOTDIR : errno;
        throw RuntimeError::forDirectory(error, childPath(parentPath, name));
    }
    return std::unique_ptr<DirectoryHandle>(new DirectoryHandle(fd));
}

std::unique_ptr<DirectoryHandle>
DirectoryHandle::openParent(const DirectoryIdentity &expected) const
{
    const int fd = ::openat(m_descriptor, "..", DirectoryFlags);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<DirectoryHandle> parent(new DirectoryHandle(fd));
    if (!parent->stamp().isValid() || parent->identity() != expected)
        return nullptr;
    return parent;
}

DirectoryStamp DirectoryHandle::stamp() const
{
    struct stat status;
    if (fstat(m_descriptor, &status) != 0 || status.st_nlink == 0)
        return {}; // gone: never equal to the stamp of a read
    m_identity = {quint64(status.st_dev), quint64(status.st_ino)};
    return {status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
}

DirectoryListing DirectoryHandle::read(const QByteArray &path,
                                       const std::function<void()> &whileReading)
{
    DirectoryListing listing;
    const std::shared_ptr<const VirtualMounts> mounts = VirtualMounts::current();
    std::size_t entries = 0;
    const int error =
        m_stream->forEachEntry(m_descriptor, [&](const char *name, unsigned char type) {
            if (whileReading && ++entries % EntriesBetweenCalls == 0)
                whileReading();
            if (isHidden(name))
                return;
            switch (entryType(m_descriptor, name, type)) {
            case EntryType::Directory:
                if (isKernelMountPoint(m_descriptor, name, *mounts))
                    break;
                if (const int denied = accessError(m_descriptor, name))
                    listing.unreadable.push_back({QByteArray(name), denied});
                else
                    listing.subdirectories.push_back(makeEntry(QByteArray(name)));
                break;
            case EntryType::File:
                listing.files.push_back(makeEntry(QByteArray(name)));
                break;
            case EntryType::Other:
                break;
            }
        });
    if (error != 0)
        throw RuntimeError::forDirectory(error, path);

    sortEntries(listing.subdirectories, whileReading);
    sortEntries(listing.files, whileReading);
    return listing;
}

qint64 DirectoryHandle::fileLength(const QByteArray &name, const QByteArray &path) const
{
    return fileStatus(name, path).length;
}

FileStatus DirectoryHandle::fileStatus(const QByteArray &name, const QByteArray &path) const
{
    struct stat status;
    if (fstatat(m_descriptor, name.constData(), &status, 0) != 0)
        throw RuntimeError::forFile(errno, childPath(path, name));
    // A file replaced by a directory (or anything else) since it was listed
    // is no longer the file the list shows.
    if (!S_ISREG(status.st_mode))
        throw RuntimeError::forFile(ENOENT, childPath(path, name));
    return {status.st_size, status.st_mtim.tv_sec};
}

std::optional<DirectoryStatus> DirectoryHandle::subdirectoryStatus(const QByteArray &name) const
{
    struct stat status;
    if (fstatat(m_descriptor, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(status.st_mode) || status.st_nlink == 0)
        return std::nullopt;
    return DirectoryStatus{{quint64(status.st_dev), quint64(status.st_ino)},
                           {status.st_mtim.tv_sec, status.st_mtim.tv_nsec}};
}

#ifdef __linux__
bool DirectoryHandle::isOnNetworkShare() const
{
    // Magic numbers of statfs(2): NFS, SMB, CIFS, SMB2, AFS, Coda, Ceph, 9P
    // and FUSE, which serves sshfs and the like.
    constexpr std::array<quint32, 9> networkTypes = {0x6969,     0x517B,     0xFF534D42,
                                                     0xFE534D42, 0x5346414F, 0x73757245,
                                                     0x00C36400, 0x01021997, 0x65735546};
    struct statfs status;
    if (fstatfs(m_descriptor, &status) != 0)
        return false;
    const auto type = quint32(status.f_type);
    return std::find(networkTypes.begin(), networkTypes.end(), type) != networkTypes.end();
}
#else
bool DirectoryHandle::isOnNetworkShare() const
{
    return false;
}
#endif

bool isTrustworthyStamp(const DirectoryStamp &stamp)
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const qint64 age = now.tv_sec - stamp.seconds;
    return age < 0 || age >= UntrustedStampSeconds;
}

qint64 fileLength(const QByteArray &path)
{
    return fileStatus(path).length;
}

FileStatus fileStatus(const QByteArray &path)
{
    struct stat status;
    if (stat(path.constData(), &status) != 0)
        throw RuntimeError::forFile(errno, path);
    return {status.st_size, status.st_mtim.tv_sec};
}

std::size_t directoryHandleBudget()
{
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return MaximumHandles;
    const rlim_t share = limit.rlim_cur / HandleShareDivisor;
    return std::clamp<std::size_t>(std::size_t(share), 1, MaximumHandles);
}

std::size_t takeOverHandleBudget()
{
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return MaximumTakeOverHandles;
    const rlim_t share = limit.rlim_cur / TakeOverShareDivisor;
    return std::min<std::size_t>(std::size_t(share), MaximumTakeOverHandles);
}
