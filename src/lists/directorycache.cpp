// SPDX-License-Identifier: GPL-3.0-or-later
#include "directorycache.h"

#include "pathsyntax.h"
#include "runtimeerror.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

struct DirectoryCache::Level
{
    // Null once closed to save handles, or until first needed when taken
    // from a worker without one.
    std::shared_ptr<DirectoryHandle> handle;
    qsizetype pathLength = 0; // of the path of this level
    DirectoryIdentity identity;
    DirectoryStamp stamp;
    bool stampTrusted = false;
    std::shared_ptr<const DirectoryListing> listing;
    ReadAheadBranch ahead;                           // its subdirectories, read ahead
    mutable std::vector<qint64> fileLengths;         // measured ahead: one per listed file, or none
    mutable std::size_t nextLength = 0;              // where the next length asked for usually is
    mutable bool lengthsChecked = false;             // against a change since the listing was taken
    std::chrono::steady_clock::time_point stampSeen; // when `stamp` was last found current
};

namespace {

// How long a directory's stamp, once found current, is taken to still be: far
// less than a user takes to answer a question, far more than the walk takes
// from entering a directory to writing its first line.
constexpr auto StampStaysCurrent = std::chrono::milliseconds(10);

// The files' lengths when the listing told every one of them; none otherwise.
std::vector<qint64> listedLengths(const DirectoryListing &listing)
{
    std::vector<qint64> lengths;
    const auto told = [](const DirectoryEntry &file) { return file.length >= 0; };
    if (listing.files.empty() || !std::all_of(listing.files.begin(), listing.files.end(), told))
        return lengths;
    lengths.reserve(listing.files.size());
    for (const DirectoryEntry &file : listing.files)
        lengths.push_back(file.length);
    return lengths;
}

bool sameNames(const std::vector<DirectoryEntry> &a, const std::vector<DirectoryEntry> &b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(),
        [](const DirectoryEntry &x, const DirectoryEntry &y) { return x.name == y.name; });
}

} // namespace

DirectoryCache::DirectoryCache()
    : m_readAhead(std::make_unique<ReadAhead>(1)), m_handleBudget(directoryHandleBudget()),
      m_threads(0)
{}

void DirectoryCache::setThreads(int threads)
{
    threads = std::max(threads, 0);
    if (threads == m_threads)
        return;
    m_threads = threads;
    if (m_readAheadStarted)
        startReadAhead(m_levels.empty() ? nullptr : m_levels.back().handle.get());
}

// The workers start when there is first something to read ahead, below the
// directory `from`: how many, unless the caller chose, depends on where it
// lies. Out of memory, the cache keeps the pool it had.
void DirectoryCache::startReadAhead(const DirectoryHandle *from)
{
    const int threads =
        m_threads > 0 ? m_threads : automaticThreadCount(from && from->isOnNetworkShare());
    auto started = std::make_unique<ReadAhead>(threads);
    started->setMeasureFilter(m_measureFilter);
    for (Level &level : m_levels)
        level.ahead = {};
    m_readAhead = std::move(started);
    m_readAheadStarted = true;
}

void DirectoryCache::setMeasureFilter(MeasureFilter filter)
{
    m_measureFilter = std::move(filter);
    m_readAhead->setMeasureFilter(m_measureFilter);
}

void DirectoryCache::stopReadAhead()
{
    m_readAheadStopped = true;
    m_readAhead->stop();
    for (Level &level : m_levels)
        level.ahead = {};
}

DirectoryCache::~DirectoryCache() = default;

std::shared_ptr<const DirectoryListing> DirectoryCache::listing() const
{
    return m_levels.empty() ? nullptr : m_levels.back().listing;
}

void DirectoryCache::setPath(const QByteArray &path)
{
    // The directory itself or one of its ancestors on the chain.
    if (!m_levels.empty() && isSameOrBelow(path, m_path) && levelEndingAt(path.size()) >= 0) {
        returnTo(path.size());
        return;
    }
    if (!m_levels.empty()) {
        const QByteArray name = entryName(m_path, path);
        if (!name.isEmpty()) {
            enterSubdirectory(name);
            return;
        }
    }
    const std::ptrdiff_t holder = deepestLevelHolding(path);
    if (holder >= 0) {
        descendTo(std::size_t(holder), path);
        return;
    }

    // Anywhere else: a chain of its own, from the path as it is given.
    m_readAheadStopped = false;
    Level level;
    level.handle = DirectoryHandle::open(path);
    level.pathLength = path.size();
    QByteArray previousPath = std::exchange(m_path, path);
    try {
        refresh(level);
        followBelow(level);
    } catch (...) {
        m_path = std::move(previousPath);
        throw;
    }
    m_levels.clear();
    m_firstOpen = 0;
    push(std::move(level));
}

// Below a level of the chain: down from it one name at a time, as a walk
// goes, so that no link below the top of the chain is followed. A step that
// fails takes the lists back to where they stood, where that still can be.
void DirectoryCache::descendTo(std::size_t holder, const QByteArray &path)
{
    const QByteArray previousPath = m_path;
    try {
        returnTo(m_levels[holder].pathLength, Listing::Kept);
        while (m_path != path)
            enterSubdirectory(firstNameBelow(m_path, path));
    } catch (...) {
        try {
            setPath(previousPath);
        } catch (...) {
            // Gone as well: the lists stay where the way back ended.
        }
        throw;
    }
}

// The deepest level of the chain whose directory holds `path` below it; -1
// when the chain does not reach down to it.
std::ptrdiff_t DirectoryCache::deepestLevelHolding(const QByteArray &path) const
{
    for (std::size_t index = m_levels.size(); index-- > 0;) {
        if (isAncestorPath(m_path.left(m_levels[index].pathLength), path))
            return std::ptrdiff_t(index);
    }
    return -1;
}

void DirectoryCache::enterSubdirectory(const QByteArray &name)
{
    m_readAheadStopped = false;
    ReadAhead::Taken ahead;
    if (bottom().ahead)
        ahead = m_readAhead->take(bottom().ahead.get(), name, m_whileReading);
    Level level;
    std::optional<DirectoryStamp> stamp;
    level.handle = takeOverOrOpen(name, ahead, stamp);
    const qsizetype parentLength = m_path.size();
    appendName(m_path, name);
    level.pathLength = m_path.size();
    try {
        refresh(level, &ahead, stamp ? &*stamp : nullptr);
        followBelow(level);
    } catch (...) {
        m_path.truncate(parentLength);
        throw;
    }
    push(std::move(level));
}

void DirectoryCache::returnTo(qsizetype pathLength, Listing listing)
{
    const std::ptrdiff_t index = levelEndingAt(pathLength);
    if (index < 0) {
        // Above the top of the chain: start a new one there.
        setPath(m_path.left(pathLength));
        return;
    }
    if (std::size_t(index) < m_firstOpen)
        reopen(std::size_t(index));
    cutTo(std::size_t(index));
    if (listing == Listing::Checked) {
        bottomHandle(); // opened, if it was taken without a handle
        refresh(bottom());
    }
}

qint64 DirectoryCache::fileLength(const QByteArray &dirPath, const QByteArray &name)
{
    // The lists measure the files of the directory they stand on; the
    // writer hands this very path back.
    if (isHereAndOpen(dirPath)) {
        const qint64 measured = measuredLength(name);
        return measured >= 0 ? measured : bottomHandle().fileLength(name, m_path);
    }
    return ::fileLength(childPath(dirPath, name));
}

FileStatus DirectoryCache::fileStatus(const QByteArray &dirPath, const QByteArray &name)
{
    if (isHereAndOpen(dirPath))
        return bottomHandle().fileStatus(name, m_path);
    return ::fileStatus(childPath(dirPath, name));
}

// Whether `dirPath` is the directory the lists stand on, and its handle is
// open or to be opened when first needed (a directory taken from a worker
// without one); not after the handles were released.
bool DirectoryCache::isHereAndOpen(const QByteArray &dirPath) const
{
    return !m_levels.empty() && m_levels.size() - 1 >= m_firstOpen &&
           (&dirPath == &m_path || dirPath == m_path);
}

void DirectoryCache::timePassedHere()
{
    if (m_levels.empty())
        return;
    m_levels.back().lengthsChecked = false;
    m_levels.back().stampSeen = {};
}

void DirectoryCache::releaseHandles()
{
    stopReadAhead();
    for (Level &level : m_levels)
        level.handle.reset();
    m_firstOpen = m_levels.size();
}

DirectoryCache::Level &DirectoryCache::bottom()
{
    return m_levels.back();
}

// The length measured ahead for the file `name` of the deepest level, or -1.
// The report asks for the files in the order of the listing.
qint64 DirectoryCache::measuredLength(const QByteArray &name)
{
    Level &level = bottom();
    const std::vector<DirectoryEntry> &files = level.listing->files;
    if (level.fileLengths.size() != files.size())
        return -1;
    // A directory changed while its lines were being prepared (a question
    // asked meanwhile) has its files measured as they are written. Lines
    // written straight after the stamp was found current need no second look.
    if (!level.lengthsChecked) {
        level.lengthsChecked = true;
        if (std::chrono::steady_clock::now() - level.stampSeen > StampStaysCurrent &&
            bottomHandle().stamp() != level.stamp) {
            level.fileLengths.clear();
            return -1;
        }
    }
    std::size_t index = level.nextLength;
    if (index >= files.size() || files[index].name != name) {
        const auto found =
            std::find_if(files.begin(), files.end(),
                         [&](const DirectoryEntry &file) { return file.name == name; });
        if (found == files.end())
            return -1;
        index = std::size_t(found - files.begin());
    }
    level.nextLength = index + 1;
    return level.fileLengths[index];
}

// The handle of the deepest level, opened again if it was closed, or opened
// now if the level was taken from a worker without one.
DirectoryHandle &DirectoryCache::bottomHandle()
{
    const std::size_t index = m_levels.size() - 1;
    if (index < m_firstOpen) {
        reopen(index);
        m_firstOpen = index;
    } else if (!m_levels[index].handle) {
        m_levels[index].handle = openBelowParent(index);
    }
    return *m_levels.back().handle;
}

// Level `index` from its parent's open handle, checked to be the directory
// it was, as openFromTop() checks it; from the top when the parent's handle
// is closed.
std::shared_ptr<DirectoryHandle> DirectoryCache::openBelowParent(std::size_t index)
{
    if (index == 0 || index - 1 < m_firstOpen)
        return openFromTop(index);
    const QByteArray parentPath = m_path.left(m_levels[index - 1].pathLength);
    const QByteArray path = m_path.left(m_levels[index].pathLength);
    std::shared_ptr<DirectoryHandle> handle = DirectoryHandle::openChild(
        *m_levels[index - 1].handle, entryName(parentPath, path), parentPath);
    if (!handle->stamp().isValid() || handle->identity() != m_levels[index].identity)
        throw RuntimeError::forDirectory(ENOENT, path);
    return handle;
}

// Reads the listing of `level`, whose path is m_path, unless the one it has
// is still good, or the one read `ahead` is still the directory's.
void DirectoryCache::refresh(Level &level, ReadAhead::Taken *ahead, const DirectoryStamp *known)
{
    const DirectoryStamp stamp = known ? *known : level.handle->stamp();
    if (!stamp.isValid())
        throw RuntimeError::forDirectory(ENOENT, m_path);
    if (level.listing && level.stampTrusted && stamp == level.stamp)
        return;
    if (!ahead || !adopt(level, *ahead, stamp)) {
        const std::shared_ptr<const DirectoryListing> previous = level.listing;
        level.listing =
            std::make_shared<const DirectoryListing>(level.handle->read(m_path, m_whileReading));
        level.fileLengths = listedLengths(*level.listing);
        level.identity = level.handle->identity();
        level.stamp = stamp;
        level.stampTrusted = isTrustworthyStamp(stamp);
        ++m_readCount;
        // What was read ahead below keeps while the subdirectories are the
        // same: each of them is checked on its own when the walk gets there.
        if (ahead && ahead->directory && ahead->directory->identity == level.identity &&
            sameNames(ahead->directory->listing->subdirectories, level.listing->subdirectories))
            level.ahead = std::move(ahead->below);
        else if (previous && !sameNames(previous->subdirectories, level.listing->subdirectories))
            level.ahead = {};
    }
    level.nextLength = 0;
    level.lengthsChecked = false;
    level.stampSeen = std::chrono::steady_clock::now();
}

// Takes the directory read ahead when it is the same directory in the same
// state as the walk finds it now.
bool DirectoryCache::adopt(Level &level, ReadAhead::Taken &ahead, const DirectoryStamp &stamp)
{
    if (!ahead.directory)
        return false;
    PrefetchedDirectory &read = *ahead.directory;
    // Without a handle, the directory was checked against its parent's entry.
    const bool sameDirectory = !level.handle || read.identity == level.handle->identity();
    if (!sameDirectory || read.stamp != stamp || !read.stampTrusted)
        return false;
    level.listing = std::move(read.listing);
    level.fileLengths = std::move(read.fileLengths);
    level.identity = read.identity;
    level.stamp = stamp;
    level.stampTrusted = true;
    level.ahead = std::move(ahead.below);
    ++m_readCount;
    ++m_readAheadCount;
    return true;
}

// Sets the workers on the subdirectories of `level`, unless they are there:
// as a visit of it begins, when they are all still to come. A level whose
// reading ahead was dropped in the middle of its visit stays without.
void DirectoryCache::followBelow(Level &level)
{
    if (m_readAheadStopped)
        return; // by a Cancel while the directory was read
    if (!ReadAhead::hasWorkBelow(*level.listing))
        return; // a chain of single directories starts no thread
    if (!m_readAheadStarted)
        startReadAhead(level.handle.get());
    if (!level.ahead && m_readAhead->isActive())
        level.ahead = m_readAhead->follow(level.handle, m_path, level.listing);
}

void DirectoryCache::push(Level &&level)
{
    m_levels.push_back(std::move(level));
    while (m_levels.size() - m_firstOpen > m_handleBudget)
        closeShallowestHandle();
}

void DirectoryCache::closeShallowestHandle()
{
    m_levels[m_firstOpen].handle.reset();
    ++m_firstOpen;
}

// Opens the closed level `index` again, going up from the shallowest open
// level by "..", each step checked against the directory that was there.
// Where the tree has been moved meanwhile, or no level is open, it is
// opened from the top of the chain down instead.
void DirectoryCache::reopen(std::size_t index)
{
    std::shared_ptr<DirectoryHandle> handle;
    const bool anyOpen = m_firstOpen < m_levels.size() && m_levels[m_firstOpen].handle;
    for (std::size_t at = m_firstOpen; anyOpen && at > index; --at) {
        const DirectoryHandle &from = handle ? *handle : *m_levels[at].handle;
        handle = from.openParent(m_levels[at - 1].identity);
        if (!handle)
            break;
    }
    m_levels[index].handle = handle ? std::move(handle) : openFromTop(index);
}

// Level `index`, opened from the path the chain began with, then one name
// at a time, never through a symbolic link, each level checked to be the
// directory it was. One that is not is "Path not found", as a vanished one.
std::shared_ptr<DirectoryHandle> DirectoryCache::openFromTop(std::size_t index) const
{
    QByteArray path = m_path.left(m_levels.front().pathLength);
    std::shared_ptr<DirectoryHandle> handle = DirectoryHandle::open(path);
    for (std::size_t at = 0;; ++at) {
        if (!handle->stamp().isValid() || handle->identity() != m_levels[at].identity)
            throw RuntimeError::forDirectory(ENOENT, path);
        if (at == index)
            return handle;
        const QByteArray childPath = m_path.left(m_levels[at + 1].pathLength);
        handle = DirectoryHandle::openChild(*handle, entryName(path, childPath), path);
        path = childPath;
    }
}

// The subdirectory `name` of the deepest level through the handle a worker
// read it with, when that is still the directory there (`stamp` then tells
// its state as it is now); otherwise opened afresh. One without
// subdirectories still as the worker read it is taken without a handle: the
// walk needs none there but by exception, and opens it then.
std::shared_ptr<DirectoryHandle>
DirectoryCache::takeOverOrOpen(const QByteArray &name, ReadAhead::Taken &ahead,
                               std::optional<DirectoryStamp> &stamp)
{
    const PrefetchedDirectory *read = ahead.directory ? &*ahead.directory : nullptr;
    const bool closed = read && !read->handle;
    if (read && (!closed || (read->stampTrusted && ReadAhead::closesWhenRead(*read->listing)))) {
        const std::optional<DirectoryStatus> now = bottomHandle().subdirectoryStatus(name);
        // Without a handle, only as it was read: then it is adopted for sure.
        if (now && now->identity == read->identity && (!closed || now->stamp == read->stamp)) {
            stamp = now->stamp;
            return std::move(ahead.directory->handle); // null when closed
        }
    }
    return openChild(name);
}

// A subdirectory of the deepest level. When the process runs out of file
// handles, the chain gives up its shallowest ones before it fails.
std::shared_ptr<DirectoryHandle> DirectoryCache::openChild(const QByteArray &name)
{
    for (;;) {
        try {
            return DirectoryHandle::openChild(bottomHandle(), name, m_path);
        } catch (const RuntimeError &error) {
            if (error.number() != ErrorNumber::TooManyFiles || m_firstOpen + 1 >= m_levels.size())
                throw;
            closeShallowestHandle();
        }
    }
}

std::ptrdiff_t DirectoryCache::levelEndingAt(qsizetype pathLength) const
{
    const auto found = std::lower_bound(
        m_levels.begin(), m_levels.end(), pathLength,
        [](const Level &level, qsizetype length) { return level.pathLength < length; });
    if (found == m_levels.end() || found->pathLength != pathLength)
        return -1;
    return found - m_levels.begin();
}

void DirectoryCache::cutTo(std::size_t index)
{
    m_levels.erase(m_levels.begin() + std::ptrdiff_t(index) + 1, m_levels.end());
    m_firstOpen = std::min(m_firstOpen, index);
    m_path.truncate(m_levels.back().pathLength);
}
