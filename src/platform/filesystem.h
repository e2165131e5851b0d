#pragma once

#include <QByteArray>

#include <memory>
#include <vector>

// The operating-system side of the lists: reading one directory and querying
// file lengths. Every call that fails throws RuntimeError.

struct DirectoryEntry
{
    QByteArray name; // raw bytes, as the file system gives them
    QByteArray key;  // collationKey(name)
};

// The entries of one directory as the lists show them: visible real
// subdirectories the user can open and read, and visible regular files or
// links to regular files, each sorted by key and then by raw name.
struct DirectoryListing
{
    std::vector<DirectoryEntry> subdirectories;
    std::vector<DirectoryEntry> files;
};

// An open directory. It stays open while the lists keep its listing, so that
// the listing can be revalidated and its files measured without resolving the
// whole path again.
class DirectoryHandle
{
public:
    // Opens `path`, or the entry `name` of the already open `parent`.
    static std::unique_ptr<DirectoryHandle> open(const QByteArray &path);
    static std::unique_ptr<DirectoryHandle>
    openChild(const DirectoryHandle &parent, const QByteArray &name, const QByteArray &path);
    ~DirectoryHandle();

    DirectoryHandle(const DirectoryHandle &) = delete;
    DirectoryHandle &operator=(const DirectoryHandle &) = delete;

    const QByteArray &path() const { return m_path; }

    // Reads the entries afresh and remembers the directory's modification time.
    DirectoryListing read();
    // True when the directory has been modified since the last read().
    bool changedSinceRead() const;
    // Length in bytes of the file `name` in this directory, links followed.
    qint64 fileLength(const QByteArray &name) const;

private:
    struct Stamp
    {
        qint64 seconds = -1;
        qint64 nanoseconds = -1;
        bool operator==(const Stamp &) const = default;
    };

    DirectoryHandle(int descriptor, QByteArray path);
    Stamp currentStamp() const;

    int m_descriptor;
    QByteArray m_path;
    Stamp m_stamp;
};

// Length in bytes of the file at `path`, links followed (error 53 if missing).
qint64 fileLength(const QByteArray &path);
