// Directory reading and length queries on POSIX systems.

#include "filesystem.h"

#include "names.h"
#include "runtimeerror.h"
#include "virtualmounts.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A modification time this close to the moment of reading may still change
// within the same tick of a coarse file system clock; such a stamp proves
// nothing, and the directory is read again next time.
constexpr qint64 UntrustedStampSeconds = 2;

bool isHidden(const char *name)
{
    return name[0] == '.';
}

bool canOpenAndRead(int dirFd, const char *name)
{
    return faccessat(dirFd, name, R_OK | X_OK, AT_EACCESS) == 0;
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
EntryType entryType(int dirFd, const dirent *entry)
{
    struct stat status;
    switch (entry->d_type) {
    case DT_DIR:
        return EntryType::Directory;
    case DT_REG:
        return EntryType::File;
    case DT_LNK:
        if (fstatat(dirFd, entry->d_name, &status, 0) != 0)
            return EntryType::Other;
        return S_ISREG(status.st_mode) ? EntryType::File : EntryType::Other;
    case DT_UNKNOWN:
        if (fstatat(dirFd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryType::Other;
        if (S_ISLNK(status.st_mode)) {
            if (fstatat(dirFd, entry->d_name, &status, 0) != 0)
                return EntryType::Other;
            return S_ISREG(status.st_mode) ? EntryType::File : EntryType::Other;
        }
        return typeFromMode(status.st_mode);
    default:
        return EntryType::Other;
    }
}

bool collatesBefore(const DirectoryEntry &a, const DirectoryEntry &b)
{
    const int byKey =
        std::memcmp(a.key.constData(), b.key.constData(), std::min(a.key.size(), b.key.size()));
    if (byKey != 0)
        return byKey < 0;
    if (a.key.size() != b.key.size())
        return a.key.size() < b.key.size();
    const int byName =
        std::memcmp(a.name.constData(), b.name.constData(), std::min(a.name.size(), b.name.size()));
    if (byName != 0)
        return byName < 0;
    return a.name.size() < b.name.size();
}

DirectoryEntry makeEntry(const char *name)
{
    QByteArray raw(name);
    QByteArray key = collationKey(raw);
    return {std::move(raw), std::move(key)};
}

qint64 nowInSeconds()
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec;
}

} // namespace

DirectoryHandle::DirectoryHandle(int descriptor, QByteArray path)
    : m_descriptor(descriptor), m_path(std::move(path))
{}

DirectoryHandle::~DirectoryHandle()
{
    ::close(m_descriptor);
}

std::unique_ptr<DirectoryHandle> DirectoryHandle::open(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw RuntimeError::forDirectory(errno, path);
    return std::unique_ptr<DirectoryHandle>(new DirectoryHandle(fd, path));
}

std::unique_ptr<DirectoryHandle> DirectoryHandle::openChild(const DirectoryHandle &parent,
                                                            const QByteArray &name,
                                                            const QByteArray &path)
{
    const int fd =
        ::openat(parent.m_descriptor, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw RuntimeError::forDirectory(errno, path);
    return std::unique_ptr<DirectoryHandle>(new DirectoryHandle(fd, path));
}

DirectoryHandle::Stamp DirectoryHandle::currentStamp() const
{
    struct stat status;
    if (fstat(m_descriptor, &status) != 0 || status.st_nlink == 0)
        return {}; // gone: never equal to the stamp of a read
    return {status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
}

bool DirectoryHandle::changedSinceRead() const
{
    return m_stamp == Stamp{} || currentStamp() != m_stamp;
}

DirectoryListing DirectoryHandle::read()
{
    const Stamp stamp = currentStamp();
    if (stamp == Stamp{})
        throw RuntimeError::forDirectory(ENOENT, m_path);

    const int streamFd = ::dup(m_descriptor);
    DIR *stream = streamFd < 0 ? nullptr : fdopendir(streamFd);
    if (!stream) {
        const int error = errno;
        if (streamFd >= 0)
            ::close(streamFd);
        throw RuntimeError::forDirectory(error, m_path);
    }
    rewinddir(stream);

    DirectoryListing listing;
    const VirtualMounts::InDirectory kernelMounts = VirtualMounts::current().in(m_path);
    errno = 0;
    while (const dirent *entry = readdir(stream)) {
        if (isHidden(entry->d_name))
            continue;
        switch (entryType(m_descriptor, entry)) {
        case EntryType::Directory:
            if (!kernelMounts.contains(entry->d_name) &&
                canOpenAndRead(m_descriptor, entry->d_name))
                listing.subdirectories.push_back(makeEntry(entry->d_name));
            break;
        case EntryType::File:
            listing.files.push_back(makeEntry(entry->d_name));
            break;
        case EntryType::Other:
            break;
        }
        errno = 0;
    }
    const int readError = errno;
    closedir(stream);
    if (readError != 0)
        throw RuntimeError::forDirectory(readError, m_path);

    std::sort(listing.subdirectories.begin(), listing.subdirectories.end(), collatesBefore);
    std::sort(listing.files.begin(), listing.files.end(), collatesBefore);

    const bool stampIsRecent = nowInSeconds() - stamp.seconds < UntrustedStampSeconds;
    m_stamp = stampIsRecent ? Stamp{} : stamp;
    return listing;
}

qint64 DirectoryHandle::fileLength(const QByteArray &name) const
{
    struct stat status;
    if (fstatat(m_descriptor, name.constData(), &status, 0) != 0)
        throw RuntimeError::forFile(errno, childPath(m_path, name));
    return status.st_size;
}

qint64 fileLength(const QByteArray &path)
{
    struct stat status;
    if (stat(path.constData(), &status) != 0)
        throw RuntimeError::forFile(errno, path);
    return status.st_size;
}
