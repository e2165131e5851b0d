#include "directorycache.h"

#include "names.h"

namespace {

QByteArray parentPath(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0 || slash == path.size() - 1)
        return {};
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray baseName(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace

std::shared_ptr<const DirectoryListing> DirectoryCache::listing(const QByteArray &path)
{
    keepOnlyAncestorsOf(path);
    if (m_chain.empty() || m_chain.back().handle->path() != path)
        return openLevel(path).listing;

    Level &level = m_chain.back();
    if (level.handle->changedSinceRead())
        level.listing = std::make_shared<const DirectoryListing>(level.handle->read());
    return level.listing;
}

qint64 DirectoryCache::fileLength(const QByteArray &dirPath, const QByteArray &name) const
{
    if (const Level *level = find(dirPath))
        return level->handle->fileLength(name);
    return ::fileLength(childPath(dirPath, name));
}

void DirectoryCache::keepOnlyAncestorsOf(const QByteArray &path)
{
    while (!m_chain.empty()) {
        const QByteArray &last = m_chain.back().handle->path();
        if (last == path || isAncestorPath(last, path))
            return;
        m_chain.pop_back();
    }
}

DirectoryCache::Level &DirectoryCache::openLevel(const QByteArray &path)
{
    Level level;
    if (!m_chain.empty() && m_chain.back().handle->path() == parentPath(path))
        level.handle = DirectoryHandle::openChild(*m_chain.back().handle, baseName(path), path);
    else
        level.handle = DirectoryHandle::open(path);
    level.listing = std::make_shared<const DirectoryListing>(level.handle->read());

    if (m_chain.size() == MaximumDepth)
        m_chain.erase(m_chain.begin());
    m_chain.push_back(std::move(level));
    return m_chain.back();
}

const DirectoryCache::Level *DirectoryCache::find(const QByteArray &path) const
{
    for (auto level = m_chain.rbegin(); level != m_chain.rend(); ++level) {
        if (level->handle->path() == path)
            return &*level;
    }
    return nullptr;
}
