// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The operating-system side of the lists: reading one directory and querying
// file lengths. Every call that fails throws RuntimeError; the paths these
// calls take are used for the messages only, never to find a file.

struct DirectoryEntry
{
    QByteArray name;    // raw bytes, as the file system gives them
    QByteArray key;     // collationKey(name)
    qint64 length = -1; // of a file, where the listing itself tells it (Windows)
};

// What a file's entry tells besides its name.
struct FileStatus
{
    qint64 length = 0;   // in bytes
    qint64 modified = 0; // last modification, in seconds since 1970 UTC
};

// A visible real subdirectory the user cannot open or read, and why (an
// errno value).
struct UnreadableSubdirectory
{
    QByteArray name;
    int error = 0;
};

// The entries of one directory as the lists show them: visible real
// subdirectories the user can open and read, and visible regular files or
// links to regular files, each sorted by key and then by raw name. The
// subdirectories the lists leave out for want of access are kept apart, in
// the order read.
struct DirectoryListing
{
    std::vector<DirectoryEntry> subdirectories;
    std::vector<DirectoryEntry> files;
    std::vector<UnreadableSubdirectory> unreadable;
};

// What tells one directory from another on its volume.
struct DirectoryIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const DirectoryIdentity &) const = default;
};

// The moment a directory was last modified, as its file system keeps it.
struct DirectoryStamp
{
    qint64 seconds = -1;
    qint64 nanoseconds = -1;
    bool operator==(const DirectoryStamp &) const = default;
    bool isValid() const { return seconds != -1 || nanoseconds != -1; }
};

// A directory as its parent's entry shows it, without opening it.
struct DirectoryStatus
{
    DirectoryIdentity identity;
    DirectoryStamp stamp;
};

// An open directory. Directories are opened relative to open parents, so no
// path is ever handed to the system whole, whatever its length.
class DirectoryHandle
{
public:
    // Opens the directory at `path`, following symbolic links on the way as
    // any program does with a path a user gave it.
    static std::unique_ptr<DirectoryHandle> open(const QByteArray &path);
    // Opens the subdirectory `name` of `parent`; a symbolic link is refused,
    // even one that has replaced a directory since the parent was read.
    static std::unique_ptr<DirectoryHandle>
    openChild(const DirectoryHandle &parent, const QByteArray &name, const QByteArray &parentPath);
    // Opens the directory above this one; null when there is none, or when
    // it is not the directory `expected` (the tree was moved meanwhile).
    std::unique_ptr<DirectoryHandle> openParent(const DirectoryIdentity &expected) const;
    ~DirectoryHandle();

    DirectoryHandle(const DirectoryHandle &) = delete;
    DirectoryHandle &operator=(const DirectoryHandle &) = delete;

    DirectoryIdentity identity() const { return m_identity; }
    // The current modification stamp; invalid when the directory is gone.
    DirectoryStamp stamp() const;
    // Reads the entries afresh. `path` names the directory in messages;
    // `whileReading`, when set, is called every so many entries, so that a
    // program stays responsive while a very large directory is read.
    DirectoryListing read(const QByteArray &path,
                          const std::function<void()> &whileReading = nullptr);
    // Length in bytes of the regular file `name` here, links followed.
    qint64 fileLength(const QByteArray &name, const QByteArray &path) const;
    // Its length and last modification, from one look at it.
    FileStatus fileStatus(const QByteArray &name, const QByteArray &path) const;
    // The subdirectory `name` as it is now, links not followed; none when it
    // is no directory, is gone, or the system cannot tell without opening it.
    std::optional<DirectoryStatus> subdirectoryStatus(const QByteArray &name) const;
    // The directory lies on a file system served over a network (or by a
    // user-space server), where each read waits on the other end.
    bool isOnNetworkShare() const;

private:
    // A file descriptor on POSIX systems, a HANDLE on Windows.
#ifdef Q_OS_WIN
    using NativeHandle = void *;
#else
    using NativeHandle = int;
#endif
    struct Stream;
    explicit DirectoryHandle(NativeHandle descriptor);

    std::unique_ptr<Stream> m_stream;
    NativeHandle m_descriptor;
    mutable DirectoryIdentity m_identity; // learnt from every stamp()
};

// True when a listing read at `stamp` may be kept while the stamp stays the
// same: the stamp does not lie so close to the present that a change within
// the same tick of the file system's clock could have left it unchanged.
bool isTrustworthyStamp(const DirectoryStamp &stamp);

// Length in bytes of the file at `path`, links followed (error 53 if missing).
qint64 fileLength(const QByteArray &path);
FileStatus fileStatus(const QByteArray &path);

// How many directory handles may be open at once, within the process's
// limit of open files.
std::size_t directoryHandleBudget();
// How many handles of directories read ahead may be kept for the walk to
// take over (see DirectoryHandle::subdirectoryStatus), besides those.
std::size_t takeOverHandleBudget();
