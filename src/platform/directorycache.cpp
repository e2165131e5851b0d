#include "directorycache.h"

#include "names.h"
#include "runtimeerror.h"

#include <algorithm>
#include <cerrno>

struct DirectoryCache::Level
{
    std::unique_ptr<DirectoryHandle> handle; // null once closed to save handles
    qsizetype pathLength = 0;                // of the path of this level
    DirectoryIdentity identity;
    DirectoryStamp stamp;
    bool stampTrusted = false;
    std::shared_ptr<const DirectoryListing> listing;
};

namespace {

// True when `path` is the directory `ancestor` or lies below it.
bool holds(const QByteArray &ancestor, const QByteArray &path)
{
    return path == ancestor || isAncestorPath(ancestor, path);
}

// The name when `path` is an immediate subdirectory of `dirPath`, else empty.
QByteArray childName(const QByteArray &dirPath, const QByteArray &path)
{
    if (!isAncestorPath(dirPath, path))
        return {};
    const QByteArray name =
        path.mid(dirPath.endsWith(PathSeparator) ? dirPath.size() : dirPath.size() + 1);
    return name.contains(PathSeparator) ? QByteArray() : name;
}

} // namespace

DirectoryCache::DirectoryCache() : m_handleBudget(directoryHandleBudget()) {}

DirectoryCache::~DirectoryCache() = default;

std::shared_ptr<const DirectoryListing> DirectoryCache::listing() const
{
    return m_levels.empty() ? nullptr : m_levels.back().listing;
}

void DirectoryCache::setPath(const QByteArray &path)
{
    if (!m_levels.empty() && path == m_path) {
        bottomHandle();
        refresh(bottom());
        return;
    }
    if (!m_levels.empty() && holds(path, m_path)) {
        const std::ptrdiff_t index = levelEndingAt(path.size());
        if (index >= 0) {
            returnTo(path.size());
            return;
        }
    }
    if (!m_levels.empty()) {
        const QByteArray name = childName(m_path, path);
        if (!name.isEmpty()) {
            enterSubdirectory(name);
            return;
        }
    }

    // Anywhere else: a chain of its own, from the path as it is given.
    Level level;
    level.handle = DirectoryHandle::open(path);
    level.pathLength = path.size();
    QByteArray previousPath = std::exchange(m_path, path);
    try {
        refresh(level);
    } catch (...) {
        m_path = std::move(previousPath);
        throw;
    }
    m_levels.clear();
    m_firstOpen = 0;
    push(std::move(level));
}

void DirectoryCache::enterSubdirectory(const QByteArray &name)
{
    Level level;
    level.handle = openChild(name);
    const qsizetype parentLength = m_path.size();
    if (!m_path.endsWith(PathSeparator))
        m_path += PathSeparator;
    m_path += name;
    level.pathLength = m_path.size();
    try {
        refresh(level);
    } catch (...) {
        m_path.truncate(parentLength);
        throw;
    }
    push(std::move(level));
}

void DirectoryCache::returnTo(qsizetype pathLength)
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
    refresh(bottom());
}

qint64 DirectoryCache::fileLength(const QByteArray &dirPath, const QByteArray &name) const
{
    // The lists measure the files of the directory they stand on; the
    // writer hands this very path back.
    const bool here = !m_levels.empty() && (&dirPath == &m_path || dirPath == m_path);
    if (here && m_levels.back().handle)
        return m_levels.back().handle->fileLength(name, m_path);
    return ::fileLength(childPath(dirPath, name));
}

void DirectoryCache::releaseHandles()
{
    for (Level &level : m_levels)
        level.handle.reset();
    m_firstOpen = m_levels.size();
}

DirectoryCache::Level &DirectoryCache::bottom()
{
    return m_levels.back();
}

// The handle of the deepest level, opened again if it was closed.
DirectoryHandle &DirectoryCache::bottomHandle()
{
    const std::size_t index = m_levels.size() - 1;
    if (index < m_firstOpen) {
        reopen(index);
        m_firstOpen = index;
    }
    return *m_levels.back().handle;
}

// Reads the listing of `level`, whose path is m_path, unless the one it has
// is still good.
void DirectoryCache::refresh(Level &level)
{
    const DirectoryStamp stamp = level.handle->stamp();
    if (!stamp.isValid())
        throw RuntimeError::forDirectory(ENOENT, m_path);
    if (level.listing && level.stampTrusted && stamp == level.stamp)
        return;
    level.listing =
        std::make_shared<const DirectoryListing>(level.handle->read(m_path, m_whileReading));
    level.identity = level.handle->identity();
    level.stamp = stamp;
    level.stampTrusted = isTrustworthyStamp(stamp);
    ++m_readCount;
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
// Where the tree has been moved meanwhile, or no level is open, the path is
// opened instead.
void DirectoryCache::reopen(std::size_t index)
{
    std::unique_ptr<DirectoryHandle> handle;
    const bool anyOpen = m_firstOpen < m_levels.size();
    for (std::size_t at = m_firstOpen; anyOpen && at > index; --at) {
        const DirectoryHandle &from = handle ? *handle : *m_levels[at].handle;
        handle = from.openParent(m_levels[at - 1].identity);
        if (!handle)
            break;
    }
    if (!handle)
        handle = DirectoryHandle::open(m_path.left(m_levels[index].pathLength));
    m_levels[index].handle = std::move(handle);
}

// A subdirectory of the deepest level. When the process runs out of file
// handles, the chain gives up its shallowest ones before it fails.
std::unique_ptr<DirectoryHandle> DirectoryCache::openChild(const QByteArray &name)
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
