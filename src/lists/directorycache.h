// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filesystem.h"
#include "readahead.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <optional>
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
//
// With more than one thread, workers read the directories the walk will
// enter next (see ReadAhead); a directory read ahead is taken only when it
// is still the same directory with the same stamp as the walk finds it. One
// without subdirectories comes without its handle, which the deepest level
// then opens only if it needs it after all.
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
    // How a move up treats the listing it finds there: read again when the
    // directory has changed since, or kept as it was (a visit in progress
    // walks the subdirectories it began with, however often the directory
    // changes meanwhile).
    enum class Listing { Checked, Kept };

    // Moves up to the ancestor whose path is the first `pathLength` bytes
    // of the current path (or stays, when that is the current path).
    void returnTo(qsizetype pathLength, Listing listing = Listing::Checked);

    // Length of the file `name` in the directory `dirPath`. In a directory
    // read ahead, the length measured then.
    qint64 fileLength(const QByteArray &dirPath, const QByteArray &name);
    // Its length and last modification as they are now.
    FileStatus fileStatus(const QByteArray &dirPath, const QByteArray &name);
    // Time has passed at the current directory (the user was asked
    // something): lengths measured ahead are used only while the directory
    // is still as it was read.
    void timePassedHere();

    // Threads that read directories, the caller's own included: 1 reads
    // everything on the caller's thread; 0 chooses by the processors and by
    // the file system the walk starts on.
    void setThreads(int threads);
    int threads() const { return m_threads; }
    // Which directories read ahead have their files measured then.
    void setMeasureFilter(MeasureFilter filter);
    // Stops reading ahead at once, until the lists move down again.
    void stopReadAhead();
    // Entries held ahead of the lists right now.
    qint64 entriesAhead() const { return m_readAhead->entriesAhead(); }

    // Directory listings read since this cache was made, by the caller's
    // thread and ahead of it.
    qint64 readCount() const { return m_readCount; }
    // Of these, those read ahead.
    qint64 readAheadCount() const { return m_readAheadCount; }

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
    // `known`: the directory's stamp as just found, when it is.
    void refresh(Level &level, ReadAhead::Taken *ahead = nullptr,
                 const DirectoryStamp *known = nullptr);
    bool adopt(Level &level, ReadAhead::Taken &ahead, const DirectoryStamp &stamp);
    void startReadAhead(const DirectoryHandle *from);
    void followBelow(Level &level);
    bool isHereAndOpen(const QByteArray &dirPath) const;
    qint64 measuredLength(const QByteArray &name);
    void push(Level &&level);
    void closeShallowestHandle();
    void descendTo(std::size_t holder, const QByteArray &path);
    std::ptrdiff_t deepestLevelHolding(const QByteArray &path) const;
    void reopen(std::size_t index);
    std::shared_ptr<DirectoryHandle> openBelowParent(std::size_t index);
    std::shared_ptr<DirectoryHandle> openFromTop(std::size_t index) const;
    std::shared_ptr<DirectoryHandle> takeOverOrOpen(const QByteArray &name, ReadAhead::Taken &ahead,
                                                    std::optional<DirectoryStamp> &stamp);
    std::shared_ptr<DirectoryHandle> openChild(const QByteArray &name);
    std::ptrdiff_t levelEndingAt(qsizetype pathLength) const;
    void cutTo(std::size_t index);

    std::unique_ptr<ReadAhead> m_readAhead; // outlives the levels' branches
    std::vector<Level> m_levels;            // from the top of the chain down
    QByteArray m_path;                      // the path of the deepest level
    std::size_t m_firstOpen = 0;            // levels from here down hold open handles
    std::size_t m_handleBudget;
    qint64 m_readCount = 0;
    qint64 m_readAheadCount = 0;
    int m_threads; // 0: chosen when the workers start
    bool m_readAheadStarted = false;
    bool m_readAheadStopped = false; // until the lists move down again
    MeasureFilter m_measureFilter;
    std::function<void()> m_whileReading;
};
