#include "readahead.h"

#include "pathsyntax.h"
#include "quietthread.h"
#include "runtimeerror.h"

#include <QHash>

#include <algorithm>
#include <chrono>
#include <list>
#include <system_error>

namespace {

// Threads when none are asked for: one per processor within these bounds.
// Even with few processors several reads in flight pay on a disk read for
// the first time; beyond eight they only wait for each other.
constexpr int MinimumAutomaticThreads = 4;
constexpr int MaximumAutomaticThreads = 8;
// How far below the next subdirectory to hand out the walk's choice is
// looked for, when the walk gets there before the workers do.
constexpr qint64 ClaimWindow = 64;
// Below paths longer than this the walk reads alone: every directory read
// ahead is named by its whole path, and in a deep tree paths grow long.
constexpr qsizetype LongestPathAhead = 4096;
// How long the walk waits for a directory a worker is reading before it
// calls its function for long waits, and again between calls.
constexpr std::chrono::milliseconds WaitBetweenCalls(20);
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
    std::optional<PrefetchedDirectory> directory;
    std::shared_ptr<AheadBranch> below;
    qint64 entries = 0;
};

struct AheadBranch
{
    std::shared_ptr<DirectoryHandle> handle; // until every subdirectory is handed out
    QByteArray path;
    std::shared_ptr<const DirectoryListing> listing;
    qint64 next = 0; // subdirectories [0, next) are still to read, the last first
    QHash<QByteArray, AheadChild> children;
    bool dropped = false;
    std::optional<std::list<AheadBranch *>::iterator> root; // when the walk began it
};

struct ReadAhead::Task
{
    std::shared_ptr<AheadBranch> branch;
    std::shared_ptr<DirectoryHandle> parent;
    QByteArray name;
    QByteArray path;
    quint64 generation = 0;
    std::shared_ptr<const MeasureFilter> measureFilter;
};

// The branches the walk began, so that a stop can find everything.
struct ReadAhead::Roots
{
    std::list<AheadBranch *> branches;
};

// Directories the workers may keep open to read their subdirectories: half
// as many as the walk may, less the one each worker has open as it reads.
// None when that leaves nothing: then there are no workers either.
std::size_t ReadAhead::handleBudget(int workers)
{
    const std::ptrdiff_t budget = std::ptrdiff_t(directoryHandleBudget() / 2) - workers;
    return std::size_t(std::max<std::ptrdiff_t>(budget, 0));
}

int automaticThreadCount()
{
    const int processors = int(std::thread::hardware_concurrency());
    return std::clamp(processors, MinimumAutomaticThreads, MaximumAutomaticThreads);
}

ReadAhead::ReadAhead(int threads, qint64 entryBudget)
    : m_entryBudget(entryBudget), m_handleBudget(handleBudget(threads - 1)),
      m_roots(std::make_unique<Roots>())
{
    if (m_handleBudget == 0)
        return;
    try {
        for (int i = 1; i < threads; ++i)
            m_workers.push_back(startQuietThread([this] { work(); }));
    } catch (const std::system_error &) {
        // The system has no more threads to give: fewer workers then.
    }
}

ReadAhead::~ReadAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quitting = true;
        stopLocked();
    }
    m_workAvailable.notify_all();
    m_taskFinished.notify_all();
    for (std::thread &worker : m_workers)
        worker.join();
}

ReadAheadBranch::~ReadAheadBranch()
{
    if (m_owner && m_branch)
        m_owner->drop(*m_branch);
}

ReadAheadBranch ReadAhead::follow(const std::shared_ptr<DirectoryHandle> &handle,
                                  const QByteArray &path,
                                  const std::shared_ptr<const DirectoryListing> &listing)
{
    if (!isActive() || listing->subdirectories.empty() || path.size() > LongestPathAhead)
        return {};
    std::shared_ptr<AheadBranch> branch;
    {
        const std::lock_guard lock(m_mutex);
        if (m_handlesHeld >= m_handleBudget)
            return {};
        branch = makeBranch(handle, path, listing);
        addRoot(branch);
        if (m_idleWorkers > 0)
            m_workAvailable.notify_all();
    }
    return ReadAheadBranch(*this, std::move(branch));
}

ReadAhead::Taken ReadAhead::take(const std::shared_ptr<AheadBranch> &held, const QByteArray &name,
                                 const std::function<void()> &whileWaiting)
{
    // Held here: a stop while waiting lets go of the walk's own reference.
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): the copy is the point
    const std::shared_ptr<AheadBranch> keep = held;
    AheadBranch &branch = *keep;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (branch.dropped)
            return {};
        const auto found = branch.children.find(name);
        if (found == branch.children.end()) {
            claim(branch, name);
            return {};
        }
        if (found->state == AheadChild::State::Reading) {
            m_walkWaiting = true;
            const bool finished =
                m_taskFinished.wait_for(lock, WaitBetweenCalls) == std::cv_status::no_timeout;
            m_walkWaiting = false;
            if (!finished && whileWaiting) {
                lock.unlock();
                whileWaiting();
                lock.lock();
            }
            continue;
        }
        Taken taken;
        taken.directory = std::move(found->directory);
        if (found->below) {
            addRoot(found->below); // the walk's own now: a stop must find it
            taken.below = ReadAheadBranch(*this, std::move(found->below));
        }
        m_entriesAhead -= found->entries;
        branch.children.erase(found);
        if (hasRoomAgain())
            wakeWorkers(lock);
        return taken;
    }
}

void ReadAhead::drop(AheadBranch &branch)
{
    const std::lock_guard lock(m_mutex);
    dropLocked(branch);
}

void ReadAhead::setMeasureFilter(MeasureFilter filter)
{
    auto shared = filter ? std::make_shared<const MeasureFilter>(std::move(filter)) : nullptr;
    const std::lock_guard lock(m_mutex);
    m_measureFilter = std::move(shared);
}

void ReadAhead::stop()
{
    const std::lock_guard lock(m_mutex);
    stopLocked();
}

void ReadAhead::injectFaults(ReadAheadFaults faults)
{
    auto shared = std::make_shared<const ReadAheadFaults>(std::move(faults));
    const std::lock_guard lock(m_mutex);
    m_faults = std::move(shared);
}

qint64 ReadAhead::entriesAhead() const
{
    const std::lock_guard lock(m_mutex);
    return m_entriesAhead;
}

void ReadAhead::addRoot(const std::shared_ptr<AheadBranch> &branch)
{
    branch->root = m_roots->branches.insert(m_roots->branches.end(), branch.get());
}

void ReadAhead::stopLocked()
{
    ++m_generation;
    while (!m_roots->branches.empty())
        dropLocked(*m_roots->branches.front());
    for (const std::shared_ptr<AheadBranch> &branch : m_stack)
        releaseHandle(*branch);
    m_stack.clear();
}

// The walk reads the subdirectory `name` itself: the workers go on below it.
void ReadAhead::claim(AheadBranch &branch, const QByteArray &name)
{
    const qint64 lowest = std::max<qint64>(0, branch.next - ClaimWindow);
    for (qint64 index = branch.next - 1; index >= lowest; --index) {
        if (branch.listing->subdirectories[std::size_t(index)].name == name) {
            branch.next = index;
            return;
        }
    }
}

void ReadAhead::work()
{
    std::unique_lock lock(m_mutex);
    Task task;
    while (nextTask(lock, task)) {
        lock.unlock();
        std::shared_ptr<DirectoryHandle> handle;
        std::optional<PrefetchedDirectory> directory;
        try {
            if (m_faults && m_faults->beforeRead)
                m_faults->beforeRead(task.path);
            handle = DirectoryHandle::openChild(*task.parent, task.name, task.branch->path);
            directory = readDirectory(*handle, task);
        } catch (...) {
            // Whatever failed here, the walk meets again if it gets there.
            directory.reset();
        }
        task.parent.reset();
        lock.lock();
        try {
            finishTask(task, std::move(directory), handle);
        } catch (...) {
            // Out of memory while keeping the result: it is simply not kept.
        }
        task = Task();
        if (m_walkWaiting)
            m_taskFinished.notify_one();
    }
}

bool ReadAhead::nextTask(std::unique_lock<std::mutex> &lock, Task &task)
{
    for (;;) {
        if (m_quitting)
            return false;
        if (m_entriesAhead >= m_entryBudget)
            m_full = true;
        while (!m_full && !m_stack.empty()) {
            const std::shared_ptr<AheadBranch> branch = m_stack.back();
            if (branch->dropped || branch->next == 0) {
                releaseHandle(*branch);
                m_stack.pop_back();
                continue;
            }
            const qint64 index = --branch->next;
            const QByteArray &name = branch->listing->subdirectories[std::size_t(index)].name;
            branch->children.insert(name, AheadChild());
            task = {branch,       branch->handle, name, childPath(branch->path, name),
                    m_generation, m_measureFilter};
            if (branch->next == 0) {
                releaseHandle(*branch);
                m_stack.pop_back();
            }
            return true;
        }
        ++m_idleWorkers;
        m_workAvailable.wait(lock);
        --m_idleWorkers;
    }
}

// Reads and measures one directory. The stamp comes first: a change while
// the entries are read leaves a stamp the walk will not find again.
std::optional<PrefetchedDirectory> ReadAhead::readDirectory(DirectoryHandle &handle,
                                                            const Task &task) const
{
    PrefetchedDirectory directory;
    directory.stamp = handle.stamp();
    if (!directory.stamp.isValid())
        return std::nullopt;
    directory.identity = handle.identity();
    directory.stampTrusted = isTrustworthyStamp(directory.stamp);
    auto listing = std::make_shared<const DirectoryListing>(handle.read(task.path));
    directory.listing = listing;
    if (task.measureFilter && !(*task.measureFilter)(task.path, *listing))
        return directory;
    directory.fileLengths.reserve(listing->files.size());
    for (const DirectoryEntry &file : listing->files) {
        if (directory.fileLengths.size() % LengthsBetweenStopChecks == 0 &&
            m_generation.load(std::memory_order_relaxed) != task.generation)
            return std::nullopt;
        try {
            directory.fileLengths.push_back(handle.fileLength(file.name, task.path));
        } catch (const RuntimeError &) {
            directory.fileLengths.push_back(-1);
        }
    }
    return directory;
}

void ReadAhead::finishTask(Task &task, std::optional<PrefetchedDirectory> directory,
                           const std::shared_ptr<DirectoryHandle> &handle)
{
    AheadBranch &branch = *task.branch;
    const auto found = branch.children.find(task.name);
    if (branch.dropped || found == branch.children.end())
        return;
    if (!directory) {
        found->state = AheadChild::State::Failed;
        return;
    }
    const std::shared_ptr<const DirectoryListing> &listing = directory->listing;
    if (!listing->subdirectories.empty() && m_handlesHeld < m_handleBudget &&
        task.path.size() <= LongestPathAhead)
        found->below = makeBranch(handle, task.path, listing);
    found->entries = entryCount(*listing);
    m_entriesAhead += found->entries;
    found->directory = std::move(directory);
    found->state = AheadChild::State::Ready;
    if (found->below && m_idleWorkers > 0)
        m_workAvailable.notify_all();
}

std::shared_ptr<AheadBranch>
ReadAhead::makeBranch(const std::shared_ptr<DirectoryHandle> &handle, const QByteArray &path,
                      const std::shared_ptr<const DirectoryListing> &listing)
{
    auto branch = std::make_shared<AheadBranch>();
    branch->handle = handle;
    branch->path = path;
    branch->listing = listing;
    branch->next = qint64(listing->subdirectories.size());
    ++m_handlesHeld;
    if (m_faults && m_faults->whileStoring)
        m_faults->whileStoring(path);
    m_stack.push_back(branch);
    return branch;
}

// Everything read below `branch` goes, without recursion: a chain of
// branches may be as long as the budget of entries.
void ReadAhead::dropLocked(AheadBranch &first)
{
    std::vector<AheadBranch *> pending{&first};
    std::vector<std::shared_ptr<AheadBranch>> keepAlive;
    while (!pending.empty()) {
        AheadBranch &branch = *pending.back();
        pending.pop_back();
        if (branch.dropped)
            continue;
        branch.dropped = true;
        if (branch.root) {
            m_roots->branches.erase(*branch.root);
            branch.root.reset();
        }
        releaseHandle(branch);
        for (AheadChild &child : branch.children) {
            m_entriesAhead -= child.entries;
            if (child.below) {
                pending.push_back(child.below.get());
                keepAlive.push_back(std::move(child.below));
            }
        }
        branch.children.clear();
    }
    if (hasRoomAgain() && m_idleWorkers > 0)
        m_workAvailable.notify_all();
}

// Workers that filled the budget wait until a quarter of it is free again,
// rather than waking for every directory the walk takes.
bool ReadAhead::hasRoomAgain()
{
    if (!m_full || m_entriesAhead >= m_entryBudget - m_entryBudget / 4)
        return false;
    m_full = false;
    return true;
}

// Room was made ahead: idle workers may go on.
void ReadAhead::wakeWorkers(std::unique_lock<std::mutex> &lock)
{
    const bool idle = m_idleWorkers > 0;
    lock.unlock();
    if (idle)
        m_workAvailable.notify_all();
}

void ReadAhead::releaseHandle(AheadBranch &branch)
{
    if (!branch.handle)
        return;
    branch.handle.reset();
    --m_handlesHeld;
}
