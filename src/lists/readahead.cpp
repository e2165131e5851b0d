// SPDX-License-Identifier: GPL-3.0-or-later
#include "readahead.h"

#include "entryorder.h"
#include "listingreturns.h"
#include "pathsyntax.h"
#include "quietthread.h"
#include "runtimeerror.h"

#include <QHashFunctions>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

// Threads when none are asked for, on a local disk. Only the first few run
// unless reads wait on the disk; then even with few processors several reads
// in flight pay, and beyond eight they only wait for each other.
constexpr int LocalDiskThreads = 8;
// On a network share the reads wait on the server, not on the processors:
// measured over sshfs, 12 to 16 keep it busiest; more only queue up there.
constexpr int NetworkShareThreads = 12;
// How far below the next subdirectory to hand out the walk's choice is
// looked for, when the walk gets there before the workers do.
constexpr qint64 ClaimWindow = 64;
// How many subdirectories the workers leave to the walk when it catches up
// with them: enough for the reads they have under way to end meanwhile.
constexpr qint64 StretchLeftToTheWalk = 16;
// Below paths longer than this the walk reads alone: every directory read
// ahead is named by its whole path, and in a deep tree paths grow long.
constexpr qsizetype LongestPathAhead = 4096;
// How long the walk waits for a directory a worker is reading before it
// calls its function for long waits, and again between calls.
constexpr std::chrono::milliseconds WaitBetweenCalls(20);
// The workers a pool starts with, at most: more run only while reads block.
// On a disk in the cache, or a fast one, more threads than processors only
// take turns on them, and the walk waits its turn among them.
constexpr int FirstWorkers = 3;
// A read that took longer than this and waited on the way waited on the disk
// or the network, not on a processor: another worker may start then. One
// still going after StuckRead is waiting, wherever the system cannot tell.
constexpr std::chrono::milliseconds BlockedRead(1);
constexpr std::chrono::milliseconds StuckRead(20);
// How long the pool's end waits for the reads under way; one still going
// then waits on a mount that no longer answers.
constexpr std::chrono::milliseconds ReadEndingAtTheEnd(250);
// Waits that tell a read blocked on the disk or the network, which waits at
// every step, from one that met a lock held by a thread the system had paused.
constexpr long WaitsOfABlockedRead = 4;
// How many lengths are measured between two looks at a stop.
constexpr std::size_t LengthsBetweenStopChecks = 256;

// What a directory read ahead counts against the budget: its entries, and
// one for itself, so that empty directories count too.
qint64 entryCount(const DirectoryListing &listing)
{
    return 1 + qint64(listing.subdirectories.size() + listing.files.size());
}

} // namespace

struct AheadChild
{
    enum class State { Reading, Ready, Failed };

    State state = State::Reading;
    std::chrono::steady_clock::time_point readSince; // handed to a worker then
    std::optional<PrefetchedDirectory> directory;
    std::shared_ptr<AheadBranch> below;
    qint64 entries = 0;
    bool holdsHandle = false; // the directory's handle counts against the budget
};

struct AheadBranch
{
    std::shared_ptr<DirectoryHandle> handle; // until every subdirectory is handed out
    QByteArray path;
    std::shared_ptr<const DirectoryListing> listing;
    qint64 next = 0;       // subdirectories [0, next) are still to read, the last first
    qint64 stretchEnd = 0; // the stretch last left to the walk ends before this
    // QHash ends the program when it runs out of memory as it grows; the
    // standard table throws, and a worker can take that as a failed task.
    struct NameHash
    {
        std::size_t operator()(const QByteArray &name) const { return qHash(name); }
    };
    std::unordered_map<QByteArray, AheadChild, NameHash> children;
    bool dropped = false;
    // Linked in place, so that neither beginning nor dropping a branch can
    // run out of memory: among the branches the walk began, when it is one,
    bool isRoot = false;
    AheadBranch *previousRoot = nullptr;
    AheadBranch *nextRoot = nullptr;
    // and among those still to drop, while a drop goes on below it.
    std::shared_ptr<AheadBranch> nextDropped;
};

struct ReadAhead::Task
{
    std::shared_ptr<AheadBranch> branch;
    std::shared_ptr<DirectoryHandle> parent;
    QByteArray name;
    QByteArray path;
    quint64 generation = 0;
    std::shared_ptr<const MeasureFilter> measureFilter;
    std::shared_ptr<const ReadAheadFaults> faults;
};

// Everything the walk and the workers share. Nothing that may fail in a
// worker leaves its thread: a task that fails in any way ends as failed,
// and the walk reads that directory itself.
struct ReadAhead::Pool : std::enable_shared_from_this<ReadAhead::Pool>
{
    struct Child
    {
        std::optional<PrefetchedDirectory> directory;
        std::shared_ptr<AheadBranch> below;
    };

    Pool(qint64 entries, std::size_t handles)
        : entryBudget(entries), handleBudget(handles), keptHandleBudget(takeOverHandleBudget())
    {}

    std::shared_ptr<AheadBranch>
    beginBranch(const std::shared_ptr<DirectoryHandle> &handle, const QByteArray &path,
                const std::shared_ptr<const DirectoryListing> &listing);
    Child take(AheadBranch &branch, const QByteArray &name,
               const std::function<void()> &whileWaiting);
    bool isWorthWaitingFor(const AheadChild &child) const;
    void waitForTask(std::unique_lock<std::mutex> &lock, const std::function<void()> &whileWaiting);
    void claim(AheadBranch &branch, const QByteArray &name);
    static bool isInStretch(const AheadBranch &branch, const QByteArray &name);
    static void leaveStretchToTheWalk(AheadBranch &branch);

    void startWorker();
    void startWorkerIfBlocked();
    void work(std::size_t worker);
    bool nextTask(std::unique_lock<std::mutex> &lock, Task &task);
    bool assign(const std::shared_ptr<AheadBranch> &branch, qint64 index, Task &task) const;
    void popBranch();
    std::optional<PrefetchedDirectory>
    perform(const Task &task, std::shared_ptr<DirectoryHandle> &handle,
            const std::shared_ptr<ListingReturns> &returns) const;
    std::optional<PrefetchedDirectory>
    readDirectory(DirectoryHandle &handle, const Task &task,
                  const std::shared_ptr<ListingReturns> &returns) const;
    void finishTask(const Task &task, std::optional<PrefetchedDirectory> &directory,
                    const std::shared_ptr<DirectoryHandle> &handle);
    void keep(AheadChild &child, const Task &task, std::optional<PrefetchedDirectory> &directory,
              const std::shared_ptr<DirectoryHandle> &handle);

    std::shared_ptr<AheadBranch> makeBranch(const std::shared_ptr<DirectoryHandle> &handle,
                                            const QByteArray &path,
                                            const std::shared_ptr<const DirectoryListing> &listing);
    void addRoot(AheadBranch &branch);
    void removeRoot(AheadBranch &branch);
    void stopLocked();
    void dropLocked(AheadBranch &branch);
    void dropOne(AheadBranch &branch, std::shared_ptr<AheadBranch> &pending);
    bool hasRoomAgain();
    void wakeFor(qint64 tasks);
    void wakeWorkers(std::unique_lock<std::mutex> &lock);
    void releaseHandle(AheadBranch &branch);

    const qint64 entryBudget;
    const std::size_t handleBudget;
    const std::size_t keptHandleBudget;
    std::mutex mutex;
    std::condition_variable workAvailable;
    std::condition_variable taskFinished;
    std::vector<std::shared_ptr<AheadBranch>> stack; // the next to read on top
    AheadBranch *firstRoot = nullptr;                // the branches the walk began
    std::shared_ptr<const MeasureFilter> measureFilter;
    std::shared_ptr<const ReadAheadFaults> faults;
    std::atomic<quint64> generation = 0; // counts the stops
    qint64 entriesAhead = 0;
    std::size_t handlesHeld = 0; // by the branches, to read their subdirectories
    std::size_t handlesKept = 0; // by directories read, for the walk to take over
    bool quitting = false;
    bool full = false; // the budget of entries was reached
    bool walkWaiting = false;
    int idleWorkers = 0;
    // The workers started, at most `workerLimit`; they start as reads block.
    std::size_t workerLimit = 0;
    std::vector<std::thread> workers;
    std::vector<bool> busy; // of each worker: in the middle of a task
    std::vector<std::chrono::steady_clock::time_point> busySince;
    bool readBlocked = false; // a read has waited since the last worker started
    bool readsBlock = false;  // reads have waited on the disk or the network
    std::chrono::steady_clock::time_point lastReadEnded = std::chrono::steady_clock::now();
};

// Directories the workers may keep open to read their subdirectories: half
// as many as the walk may, less the one each worker has open as it reads.
// None when that leaves nothing: then there are no workers either.
std::size_t ReadAhead::handleBudget(int workers)
{
    const std::ptrdiff_t budget = std::ptrdiff_t(directoryHandleBudget() / 2) - workers;
    return std::size_t(std::max<std::ptrdiff_t>(budget, 0));
}

int automaticThreadCount(bool onNetworkShare)
{
    // Each read from a share waits on the other end: more of them at once
    // keep it busy, whatever the processors here.
    return onNetworkShare ? NetworkShareThreads : LocalDiskThreads;
}

// Workers beyond a quarter of the walk's handles would leave the branches
// they read from too few handles: more of them would only wait on each other.
int ReadAhead::workerLimit()
{
    return std::max(1, int(directoryHandleBudget() / 4));
}

ReadAhead::ReadAhead(int threads, qint64 entryBudget)
    : m_pool(
          std::make_shared<Pool>(entryBudget, handleBudget(std::min(threads - 1, workerLimit()))))
{
    const int workers = std::min(threads - 1, workerLimit());
    if (m_pool->handleBudget == 0 || workers <= 0)
        return;
    const std::lock_guard lock(m_pool->mutex);
    try {
        // Room for every worker that may start: a worker started is never
        // dropped for want of room to keep it.
        m_pool->workers.reserve(std::size_t(workers));
        m_pool->busy.assign(std::size_t(workers), false);
        m_pool->busySince.resize(std::size_t(workers));
    } catch (const std::bad_alloc &) {
        return; // no memory to give: the walk reads alone
    }
    m_pool->workerLimit = std::size_t(workers);
    for (int worker = 0; worker < std::min(workers, FirstWorkers); ++worker)
        m_pool->startWorker();
    m_active = !m_pool->workers.empty();
}

// With the mutex held. When the system has no more threads or memory to
// give, the pool makes do with the workers it has.
void ReadAhead::Pool::startWorker()
{
    if (quitting || workers.size() >= workerLimit)
        return;
    try {
        const std::size_t worker = workers.size();
        workers.push_back( // reserved: never throws
            startQuietThread([pool = shared_from_this(), worker] { pool->work(worker); }));
    } catch (...) {
        workerLimit = workers.size();
    }
}

// With the mutex held: one worker more when every worker is busy and reads
// wait: one has lately, or one has been going on for long while no other
// read ended. A worker that only waits its turn for a processor, while the
// others' reads end, is no reason for one more.
void ReadAhead::Pool::startWorkerIfBlocked()
{
    if (idleWorkers > 0 || workers.size() >= workerLimit || full)
        return;
    const auto stuckSince = std::chrono::steady_clock::now() - StuckRead;
    bool stuck = false;
    if (lastReadEnded < stuckSince)
        for (std::size_t worker = 0; worker < workers.size() && !stuck; ++worker)
            stuck = busy[worker] && busySince[worker] < stuckSince;
    if (readBlocked || stuck) {
        readBlocked = false;
        startWorker();
    }
}

// The reads under way are waited for a moment. A worker still in the middle
// of one then may be stuck there for good, in a mount whose server has gone:
// it is let go, and ends whenever the read returns. The others are idle, or
// about to see that the pool is quitting.
ReadAhead::~ReadAhead()
{
    {
        std::unique_lock lock(m_pool->mutex);
        m_pool->quitting = true; // no worker starts from now on
        m_pool->stopLocked();
        // A read under way ends in a moment: waited for, it is over before
        // the program ends, and nothing of the program goes from under it.
        const auto isBusy = [this] {
            return std::find(m_pool->busy.begin(), m_pool->busy.end(), true) != m_pool->busy.end();
        };
        m_pool->walkWaiting = true;
        m_pool->taskFinished.wait_for(lock, ReadEndingAtTheEnd, [&] { return !isBusy(); });
        m_pool->walkWaiting = false;
        for (std::size_t worker = 0; worker < m_pool->workers.size(); ++worker)
            if (m_pool->busy[worker])
                m_pool->workers[worker].detach();
    }
    m_pool->workAvailable.notify_all();
    m_pool->taskFinished.notify_all();
    for (std::thread &worker : m_pool->workers)
        if (worker.joinable())
            worker.join();
}

ReadAheadBranch::~ReadAheadBranch()
{
    if (m_owner && m_branch)
        m_owner->drop(*m_branch);
}

// The walk enters the last subdirectory as soon as it has read this one,
// before any worker could be done with it: it reads that one itself, rather
// than wait for a worker. The workers take the others, when there are any.
bool ReadAhead::hasWorkBelow(const DirectoryListing &listing)
{
    return listing.subdirectories.size() >= 2;
}

bool ReadAhead::closesWhenRead(const DirectoryListing &listing)
{
    return listing.subdirectories.empty();
}

ReadAheadBranch ReadAhead::follow(const std::shared_ptr<DirectoryHandle> &handle,
                                  const QByteArray &path,
                                  const std::shared_ptr<const DirectoryListing> &listing)
{
    if (!isActive() || !hasWorkBelow(*listing) || path.size() > LongestPathAhead)
        return {};
    std::shared_ptr<AheadBranch> branch = m_pool->beginBranch(handle, path, listing);
    if (!branch)
        return {};
    return ReadAheadBranch(*this, std::move(branch));
}

std::shared_ptr<AheadBranch>
ReadAhead::Pool::beginBranch(const std::shared_ptr<DirectoryHandle> &handle, const QByteArray &path,
                             const std::shared_ptr<const DirectoryListing> &listing)
{
    const std::lock_guard lock(mutex);
    if (handlesHeld >= handleBudget)
        return nullptr;
    std::shared_ptr<AheadBranch> branch;
    try {
        branch = makeBranch(handle, path, listing);
    } catch (const std::bad_alloc &) {
        return nullptr; // the walk reads alone, as it does with no handle to spare
    }
    --branch->next; // the walk's own
    addRoot(*branch);
    wakeFor(branch->next);
    return branch;
}

ReadAhead::Taken ReadAhead::take(const std::shared_ptr<AheadBranch> &held, const QByteArray &name,
                                 const std::function<void()> &whileWaiting)
{
    // Held here: a stop while waiting lets go of the walk's own reference.
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): the copy is the point
    const std::shared_ptr<AheadBranch> keep = held;
    Pool::Child child = m_pool->take(*keep, name, whileWaiting);
    Taken taken;
    taken.directory = std::move(child.directory);
    if (child.below)
        taken.below = ReadAheadBranch(*this, std::move(child.below));
    return taken;
}

ReadAhead::Pool::Child ReadAhead::Pool::take(AheadBranch &branch, const QByteArray &name,
                                             const std::function<void()> &whileWaiting)
{
    std::unique_lock lock(mutex);
    for (;;) {
        if (branch.dropped)
            return {};
        const auto found = branch.children.find(name);
        if (found == branch.children.end()) {
            claim(branch, name);
            return {};
        }
        AheadChild &reached = found->second;
        if (reached.state == AheadChild::State::Reading) {
            if (!isWorthWaitingFor(reached)) {
                branch.children.erase(found); // the worker's result goes when it comes
                leaveStretchToTheWalk(branch);
                return {};
            }
            waitForTask(lock, whileWaiting);
            continue;
        }
        Child child{std::move(reached.directory), std::move(reached.below)};
        if (child.below)
            addRoot(*child.below); // the walk's own now: a stop must find it
        if (reached.holdsHandle)
            --handlesKept; // the walk's own too, within its own budget
        entriesAhead -= reached.entries;
        branch.children.erase(found);
        if (hasRoomAgain())
            wakeWorkers(lock);
        return child;
    }
}

// A read a worker has just begun, where reads do not wait on the disk or the
// network, the walk does sooner itself than wait for a thread that gives way
// to it. One that waits there, or has gone on for long, it waits for: the
// worker is further on than the walk would be, and the walk calls its
// function for long waits meanwhile, which a read of its own could not.
bool ReadAhead::Pool::isWorthWaitingFor(const AheadChild &child) const
{
    return readsBlock || std::chrono::steady_clock::now() - child.readSince > StuckRead;
}

// The walk has caught up with the workers and reads a directory one of them
// has begun. Were they to go on with the next ones, it would catch up with
// them there again, and each of those would be read twice: they skip a
// stretch instead, which the walk reads while they get ahead of it.
void ReadAhead::Pool::leaveStretchToTheWalk(AheadBranch &branch)
{
    branch.stretchEnd = branch.next;
    branch.next = std::max<qint64>(0, branch.next - StretchLeftToTheWalk);
}

// Whatever `whileWaiting` throws leaves the pool unlocked and as it was.
void ReadAhead::Pool::waitForTask(std::unique_lock<std::mutex> &lock,
                                  const std::function<void()> &whileWaiting)
{
    startWorkerIfBlocked();
    walkWaiting = true;
    const bool finished =
        taskFinished.wait_for(lock, WaitBetweenCalls) == std::cv_status::no_timeout;
    walkWaiting = false;
    if (!finished && whileWaiting) {
        lock.unlock();
        whileWaiting();
        lock.lock();
    }
}

void ReadAhead::drop(AheadBranch &branch)
{
    const std::lock_guard lock(m_pool->mutex);
    m_pool->dropLocked(branch);
}

void ReadAhead::setMeasureFilter(MeasureFilter filter)
{
    auto shared = filter ? std::make_shared<const MeasureFilter>(std::move(filter)) : nullptr;
    const std::lock_guard lock(m_pool->mutex);
    m_pool->measureFilter = std::move(shared);
}

void ReadAhead::stop()
{
    const std::lock_guard lock(m_pool->mutex);
    m_pool->stopLocked();
}

void ReadAhead::injectFaults(ReadAheadFaults faults)
{
    auto shared = std::make_shared<const ReadAheadFaults>(std::move(faults));
    const std::lock_guard lock(m_pool->mutex);
    m_pool->faults = std::move(shared);
}

qint64 ReadAhead::entriesAhead() const
{
    const std::lock_guard lock(m_pool->mutex);
    return m_pool->entriesAhead;
}

void ReadAhead::Pool::addRoot(AheadBranch &branch)
{
    branch.isRoot = true;
    branch.previousRoot = nullptr;
    branch.nextRoot = firstRoot;
    if (firstRoot)
        firstRoot->previousRoot = &branch;
    firstRoot = &branch;
}

void ReadAhead::Pool::removeRoot(AheadBranch &branch)
{
    if (!branch.isRoot)
        return;
    (branch.previousRoot ? branch.previousRoot->nextRoot : firstRoot) = branch.nextRoot;
    if (branch.nextRoot)
        branch.nextRoot->previousRoot = branch.previousRoot;
    branch.isRoot = false;
    branch.previousRoot = branch.nextRoot = nullptr;
}

void ReadAhead::Pool::stopLocked()
{
    ++generation;
    while (firstRoot)
        dropLocked(*firstRoot);
    for (const std::shared_ptr<AheadBranch> &branch : stack)
        releaseHandle(*branch);
    stack.clear();
}

// The walk has come to a subdirectory of the stretch the workers left it.
bool ReadAhead::Pool::isInStretch(const AheadBranch &branch, const QByteArray &name)
{
    const std::vector<DirectoryEntry> &subdirectories = branch.listing->subdirectories;
    const qint64 first = std::max<qint64>(0, branch.stretchEnd - StretchLeftToTheWalk);
    for (qint64 index = first; index < branch.stretchEnd; ++index) {
        if (subdirectories[std::size_t(index)].name == name)
            return true;
    }
    return false;
}

// The walk reads the subdirectory `name` itself: the workers go on below
// it, and leave alone those the walk has passed. It is nearly always among
// the next few; otherwise it is looked up in the sorted listing.
void ReadAhead::Pool::claim(AheadBranch &branch, const QByteArray &name)
{
    const std::vector<DirectoryEntry> &subdirectories = branch.listing->subdirectories;
    const qint64 lowest = std::max<qint64>(0, branch.next - ClaimWindow);
    for (qint64 index = branch.next - 1; index >= lowest; --index) {
        if (subdirectories[std::size_t(index)].name == name) {
            branch.next = index;
            return;
        }
    }
    if (lowest == 0 || isInStretch(branch, name))
        return;
    try {
        const DirectoryEntry wanted = makeEntry(name);
        const auto end = subdirectories.begin() + std::ptrdiff_t(lowest);
        const auto found = std::lower_bound(subdirectories.begin(), end, wanted, collatesBefore);
        if (found != end && found->name == name)
            branch.next = found - subdirectories.begin();
    } catch (const std::bad_alloc &) {
        // The workers read on where they are: only time is lost.
    }
}

void ReadAhead::Pool::work(std::size_t worker)
{
    giveWayToOtherThreads(); // the walk first: it writes the report
    std::shared_ptr<ListingReturns> returns;
    try {
        returns = std::make_shared<ListingReturns>();
    } catch (const std::bad_alloc &) {
        // The listings are freed where they are let go.
    }
    std::unique_lock lock(mutex);
    Task task;
    // The waits of a read are counted only after a slow one: counting them
    // costs a system call each time, and nearly every read is quick.
    bool countWaits = false;
    while (nextTask(lock, task)) {
        const auto started = std::chrono::steady_clock::now();
        busy[worker] = true;
        busySince[worker] = started;
        lock.unlock();
        const long waitsBefore = countWaits ? waitsOfThisThread() : 0;
        std::shared_ptr<DirectoryHandle> handle;
        std::optional<PrefetchedDirectory> directory = perform(task, handle, returns);
        task.parent.reset();
        const auto ended = std::chrono::steady_clock::now();
        const bool slow = ended - started > BlockedRead;
        const bool blocked =
            countWaits && slow &&
            (waitsBefore < 0 || waitsOfThisThread() - waitsBefore >= WaitsOfABlockedRead);
        countWaits = slow;
        lock.lock();
        readBlocked = readBlocked || blocked;
        readsBlock = readsBlock || blocked;
        busy[worker] = false;
        lastReadEnded = ended;
        finishTask(task, directory, handle);
        if (walkWaiting)
            taskFinished.notify_one();
        // What the task leaves (a result the walk no longer wants, a handle
        // not kept open) goes without the lock: closing a directory takes a
        // while, and the walk may be waiting for the lock meanwhile. So do
        // the listings the walk is done with.
        lock.unlock();
        task = Task();
        directory.reset();
        handle.reset();
        if (returns)
            returns->freeReturned();
        lock.lock();
    }
    lock.unlock();
    if (returns)
        returns->close();
}

bool ReadAhead::Pool::nextTask(std::unique_lock<std::mutex> &lock, Task &task)
{
    for (;;) {
        if (quitting)
            return false;
        if (entriesAhead >= entryBudget)
            full = true;
        while (!full && !stack.empty()) {
            const std::shared_ptr<AheadBranch> branch = stack.back();
            if (branch->dropped || branch->next == 0) {
                popBranch();
                continue;
            }
            const bool assigned = assign(branch, --branch->next, task);
            if (branch->next == 0)
                popBranch();
            if (assigned)
                return true;
        }
        ++idleWorkers;
        workAvailable.wait(lock);
        --idleWorkers;
    }
}

// Makes the subdirectory `index` of `branch` the next task; false when there
// is no memory for it, and the walk is left to read it.
bool ReadAhead::Pool::assign(const std::shared_ptr<AheadBranch> &branch, qint64 index,
                             Task &task) const
{
    const QByteArray &name = branch->listing->subdirectories[std::size_t(index)].name;
    try {
        task = {branch,     branch->handle, name,  childPath(branch->path, name),
                generation, measureFilter,  faults};
        AheadChild child;
        child.readSince = std::chrono::steady_clock::now();
        branch->children.emplace(name, std::move(child));
        return true;
    } catch (const std::bad_alloc &) {
        task = Task();
        return false;
    }
}

void ReadAhead::Pool::popBranch()
{
    releaseHandle(*stack.back());
    stack.pop_back();
}

// Opens and reads the directory of `task`; nothing when that fails in any
// way: the walk meets the failure again if it gets there.
std::optional<PrefetchedDirectory>
ReadAhead::Pool::perform(const Task &task, std::shared_ptr<DirectoryHandle> &handle,
                         const std::shared_ptr<ListingReturns> &returns) const
{
    try {
        if (task.faults && task.faults->beforeRead)
            task.faults->beforeRead(task.path);
        handle = DirectoryHandle::openChild(*task.parent, task.name, task.branch->path);
        return readDirectory(*handle, task, returns);
    } catch (...) {
        return std::nullopt;
    }
}

// Reads and measures one directory. The stamp comes first: a change while
// the entries are read leaves a stamp the walk will not find again.
std::optional<PrefetchedDirectory>
ReadAhead::Pool::readDirectory(DirectoryHandle &handle, const Task &task,
                               const std::shared_ptr<ListingReturns> &returns) const
{
    PrefetchedDirectory directory;
    directory.stamp = handle.stamp();
    if (!directory.stamp.isValid())
        return std::nullopt;
    directory.identity = handle.identity();
    directory.stampTrusted = isTrustworthyStamp(directory.stamp);
    auto listing = ListingReturns::share(returns, handle.read(task.path));
    directory.listing = listing;
    if (task.measureFilter && !(*task.measureFilter)(task.path, *listing))
        return directory;
    directory.fileLengths.reserve(listing->files.size());
    for (const DirectoryEntry &file : listing->files) {
        if (directory.fileLengths.size() % LengthsBetweenStopChecks == 0 &&
            generation.load(std::memory_order_relaxed) != task.generation)
            return std::nullopt;
        try {
            directory.fileLengths.push_back(
                file.length >= 0 ? file.length : handle.fileLength(file.name, task.path));
        } catch (const RuntimeError &) {
            directory.fileLengths.push_back(-1);
        }
    }
    return directory;
}

// The task ends Ready with its result, or Failed when there is none or it
// cannot be kept: never still Reading, where the walk would wait for it.
// What is not kept stays with the caller.
void ReadAhead::Pool::finishTask(const Task &task, std::optional<PrefetchedDirectory> &directory,
                                 const std::shared_ptr<DirectoryHandle> &handle)
{
    AheadBranch &branch = *task.branch;
    const auto found = branch.children.find(task.name);
    if (branch.dropped || found == branch.children.end())
        return;
    AheadChild &child = found->second;
    try {
        if (directory)
            keep(child, task, directory, handle);
    } catch (...) {
        // Out of memory while keeping the result: the walk reads it itself.
    }
    child.state = child.directory ? AheadChild::State::Ready : AheadChild::State::Failed;
    if (child.below)
        wakeFor(child.below->next);
}

// Keeps the result of `task` in `child`, or nothing of it when this runs
// out of memory: what may throw comes first.
void ReadAhead::Pool::keep(AheadChild &child, const Task &task,
                           std::optional<PrefetchedDirectory> &directory,
                           const std::shared_ptr<DirectoryHandle> &handle)
{
    const std::shared_ptr<const DirectoryListing> &listing = directory->listing;
    if (!listing->subdirectories.empty() && handlesHeld < handleBudget &&
        task.path.size() <= LongestPathAhead)
        child.below = makeBranch(handle, task.path, listing);
    // Otherwise closed here and now, while the worker has it at hand; the
    // walk opens it again if it must.
    if (!closesWhenRead(*listing) && handlesKept < keptHandleBudget) {
        directory->handle = handle;
        child.holdsHandle = true;
        ++handlesKept;
    }
    child.entries = entryCount(*listing);
    entriesAhead += child.entries;
    child.directory = std::move(directory);
}

// A branch on the stack, its handle counted once it is there.
std::shared_ptr<AheadBranch>
ReadAhead::Pool::makeBranch(const std::shared_ptr<DirectoryHandle> &handle, const QByteArray &path,
                            const std::shared_ptr<const DirectoryListing> &listing)
{
    auto branch = std::make_shared<AheadBranch>();
    branch->handle = handle;
    branch->path = path;
    branch->listing = listing;
    branch->next = qint64(listing->subdirectories.size());
    if (faults && faults->whileStoring)
        faults->whileStoring(path);
    stack.push_back(branch);
    ++handlesHeld;
    return branch;
}

// Everything read below `first` goes, without recursion (a chain of branches
// may be as long as the budget of entries) and without allocating: the
// branches still to drop are chained through themselves, and each is freed
// only once nothing is left below it.
void ReadAhead::Pool::dropLocked(AheadBranch &first)
{
    std::shared_ptr<AheadBranch> pending;
    std::shared_ptr<AheadBranch> current;
    for (AheadBranch *branch = &first; branch; branch = current.get()) {
        dropOne(*branch, pending);
        current = std::move(pending);
        if (current)
            pending = std::move(current->nextDropped);
    }
    if (hasRoomAgain() && idleWorkers > 0)
        workAvailable.notify_all();
}

void ReadAhead::Pool::dropOne(AheadBranch &branch, std::shared_ptr<AheadBranch> &pending)
{
    if (branch.dropped)
        return;
    branch.dropped = true;
    removeRoot(branch);
    releaseHandle(branch);
    for (auto &entry : branch.children) {
        AheadChild &child = entry.second;
        entriesAhead -= child.entries;
        if (child.holdsHandle)
            --handlesKept;
        if (child.below) {
            child.below->nextDropped = std::move(pending);
            pending = std::move(child.below);
        }
    }
    branch.children.clear();
}

// Workers that filled the budget wait until a quarter of it is free again,
// rather than waking for every directory the walk takes.
bool ReadAhead::Pool::hasRoomAgain()
{
    if (!full || entriesAhead >= entryBudget - entryBudget / 4)
        return false;
    full = false;
    return true;
}

// Wakes as many idle workers as there are new tasks: woken all for a few
// tasks, they only fight over them and sleep again. While the budget is
// full they would only sleep again at once: room made wakes them then.
void ReadAhead::Pool::wakeFor(qint64 tasks)
{
    if (full)
        return;
    if (tasks > idleWorkers)
        startWorkerIfBlocked();
    if (tasks >= idleWorkers) {
        if (idleWorkers > 0)
            workAvailable.notify_all();
        return;
    }
    for (qint64 woken = 0; woken < tasks; ++woken)
        workAvailable.notify_one();
}

// Room was made ahead: idle workers may go on.
void ReadAhead::Pool::wakeWorkers(std::unique_lock<std::mutex> &lock)
{
    const bool idle = idleWorkers > 0;
    lock.unlock();
    if (idle)
        workAvailable.notify_all();
}

void ReadAhead::Pool::releaseHandle(AheadBranch &branch)
{
    if (!branch.handle)
        return;
    branch.handle.reset();
    --handlesHeld;
}
