#pragma once

#include "filesystem.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <vector>

// Where the lists stand: an open directory and the chain of its ancestors
// as far as the lists came down to it, each with its last listing. A walk
// moves up and down this chain all the time; a directory on it is read again
// only when it has been modified since it was last read, so pointing the
// lists at it over and over costs one status query each time.
//
// Every directory is opened relative to its parent, so neither depth nor
// path length is limited but by memory. Only the deepest directories keep
// their handles open, within the process's limit of open files; one whose
// handle was closed is opened again from its child when the lists come back
// up to it.
class DirectoryCache
{
public:
    DirectoryCache();
    ~DirectoryCache();

    DirectoryCache(const DirectoryCache &) = delete;
    DirectoryCache &operator=(const DirectoryCache &) = delete;

    // The directory the lists stand on; empty before the first move.
    const QByteArray &path() const { return m_path; }
    // Its listing, read when the lists moved there or when it had changed.
    std::shared_ptr<const DirectoryListing> listing() const;

    // Moves to any directory. A failed move leaves the position unchanged.
    void setPath(const QByteArray &path);
    // Moves to the subdirectory `name` of the current directory.
    void enterSubdirectory(const QByteArray &name);
    // Moves up to the ancestor whose path is the first `pathLength` bytes
    // of the current path (or stays, when that is the current path).
    void returnTo(qsizetype pathLength);

    // Length of the file `name` in the directory `dirPath`.
    qint64 fileLength(const QByteArray &dirPath, const QByteArray &name) const;

    // Directory listings read since this cache was made.
    qint64 readCount() const { return m_readCount; }

    // Called every so many entries while a directory is read.
    void setWhileReading(std::function<void()> callback) { m_whileReading = std::move(callback); }

    // Closes every directory handle, keeping the position and the listings:
    // an idle program holds nothing open on a volume that may be unmounted.
    // The handles are opened again when they are needed.
    void releaseHandles();

private:
    struct Level;

    Level &bottom();
    DirectoryHandle &bottomHandle();
    void refresh(Level &level);
    void push(Level &&level);
    void closeShallowestHandle();
    void reopen(std::size_t index);
    std::unique_ptr<DirectoryHandle> openChild(const QByteArray &name);
    std::ptrdiff_t levelEndingAt(qsizetype pathLength) const;
    void cutTo(std::size_t index);

    std::vector<Level> m_levels; // from the top of the chain down
    QByteArray m_path;           // the path of the deepest level
    std::size_t m_firstOpen = 0; // levels from here down hold open handles
    std::size_t m_handleBudget;
    qint64 m_readCount = 0;
    std::function<void()> m_whileReading;
};
