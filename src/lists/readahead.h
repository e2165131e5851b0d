// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filesystem.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class ReadAhead;
struct AheadBranch;

// A directory whose subdirectories are read ahead, as the walk holds it:
// everything read below it is dropped when the walk lets go of it.
class ReadAheadBranch
{
public:
    ReadAheadBranch() = default;
    ReadAheadBranch(ReadAhead &owner, std::shared_ptr<AheadBranch> branch)
        : m_owner(&owner), m_branch(std::move(branch))
    {}
    ReadAheadBranch(ReadAheadBranch &&other) noexcept { swap(other); }
    ReadAheadBranch &operator=(ReadAheadBranch &&other) noexcept
    {
        ReadAheadBranch(std::move(other)).swap(*this);
        return *this;
    }
    ~ReadAheadBranch();

    const std::shared_ptr<AheadBranch> &get() const { return m_branch; }
    explicit operator bool() const { return bool(m_branch); }

private:
    void swap(ReadAheadBranch &other) noexcept
    {
        std::swap(m_owner, other.m_owner);
        std::swap(m_branch, other.m_branch);
    }

    ReadAhead *m_owner = nullptr;
    std::shared_ptr<AheadBranch> m_branch;
};

// Whether the files of the directory at a path, so listed, are measured
// when it is read ahead.
using MeasureFilter = std::function<bool(const QByteArray &path, const DirectoryListing &)>;

// One directory as a worker read it ahead of the walk.
struct PrefetchedDirectory
{
    DirectoryIdentity identity;
    DirectoryStamp stamp;      // taken before the entries were read
    bool stampTrusted = false; // as isTrustworthyStamp() judged it then
    std::shared_ptr<const DirectoryListing> listing;
    std::vector<qint64> fileLengths; // one per listed file, -1 where it failed; or none
    // The handle it was read through, still open, while the budget of
    // handles allows: the walk takes it over rather than open it again.
    // Never kept where ReadAhead::closesWhenRead().
    std::shared_ptr<DirectoryHandle> handle;
};

// Faults the tests set off in the workers, each given the path of the
// directory at hand; never set in the program. `beforeRead` stands for a read
// that fails (it throws) or a mount that hangs (it blocks); `whileStoring`
// for running out of memory as the branch below a directory read ahead is
// stored.
struct ReadAheadFaults
{
    std::function<void(const QByteArray &path)> beforeRead;
    std::function<void(const QByteArray &path)> whileStoring;
};

// Worker threads that read directories before the walk reaches them. The
// walk's order is known in advance: the subdirectories of a directory from
// the last to the first, each with everything below it before the next. The
// workers follow that order from where the walk stands, open each directory
// relative to its parent, read, sort and measure it, and keep the result
// until the walk takes it or passes it by.
//
// Nothing met ahead is final: the walk checks that a directory is still the
// one that was read, in the same state, and reads it itself otherwise, so
// that every error is met where and when the walk would meet it. Errors met
// by the workers are dropped: whatever fails in a worker, running out of
// memory included, leaves that directory to the walk.
//
// The workers run at a lower priority than the walk: on few processors the
// walk, which writes the report, never waits its turn behind them.
//
// Entries held ahead stay within a budget, and open directories within a
// share of the process's limit of open files, whatever the tree's size.
class ReadAhead
{
public:
    // What the walk gets when it enters a subdirectory of a branch.
    struct Taken
    {
        std::optional<PrefetchedDirectory> directory;
        ReadAheadBranch below; // its own subdirectories, read ahead further
    };

    // `threads` counts the walk's own thread: 1 means no workers at all.
    // A few workers start at once; more, up to `threads` - 1, while reads
    // block (a cold disk, a network share). Never more than a quarter of the
    // walk's handles can keep busy, nor than the system has threads to give.
    explicit ReadAhead(int threads, qint64 entryBudget = DefaultEntryBudget);
    // Waits a moment for the reads under way; a worker whose read goes on
    // longer (a mount that no longer answers) is not waited for.
    ~ReadAhead();

    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    bool isActive() const { return m_active; }
    // Whether a directory so listed has subdirectories for the workers to read.
    static bool hasWorkBelow(const DirectoryListing &listing);
    // Whether a directory so listed is closed by the worker that read it: with
    // nothing below it, the walk needs its handle only by exception.
    static bool closesWhenRead(const DirectoryListing &listing);

    // The walk holds the directory `path`, open as `handle`, with `listing`:
    // the workers read its subdirectories next. Null when there is nothing
    // to read, or no handle or memory to spare.
    ReadAheadBranch follow(const std::shared_ptr<DirectoryHandle> &handle, const QByteArray &path,
                           const std::shared_ptr<const DirectoryListing> &listing);
    // The walk enters the subdirectory `name` of `branch`. While a worker
    // reads it, the walk waits, calling `whileWaiting` now and then, as
    // reading it itself would; what `whileWaiting` throws ends the wait and
    // leaves everything as it was. A subdirectory not reached yet is left to
    // the walk, and so is one whose read has just begun where reads do not
    // block: the walk is quicker than the worker, which gives way to it.
    Taken take(const std::shared_ptr<AheadBranch> &branch, const QByteArray &name,
               const std::function<void()> &whileWaiting = nullptr);
    // The walk is done with `branch`: whatever was read below it goes.
    void drop(AheadBranch &branch);
    // Directories read from now on have their files measured only where
    // `filter` says so; without a filter, everywhere.
    void setMeasureFilter(MeasureFilter filter);
    // Drops everything; the workers stop at once and wait for new work.
    void stop();
    // For the tests: faults the workers meet from now on.
    void injectFaults(ReadAheadFaults faults);

    // Entries held ahead of the walk right now: the files and subdirectories
    // of each directory read ahead, and the directory itself.
    qint64 entriesAhead() const;

    static constexpr qint64 DefaultEntryBudget = qint64{16} * 1024;

private:
    struct Task;
    struct Pool;

    static std::size_t handleBudget(int workers);
    static int workerLimit();

    // Shared with the workers: one stuck in a read is let go at the end, and
    // what it touches when its read returns at last is still there.
    std::shared_ptr<Pool> m_pool;
    bool m_active = false; // some workers started
};

// Threads for a walk when none are asked for: 8, and 12 on a network share.
// Beyond the first few they start only while reads block.
int automaticThreadCount(bool onNetworkShare);
