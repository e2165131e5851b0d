// SPDX-License-Identifier: GPL-3.0-or-later
#include "dirlist.h"

#include "directorycache.h"
#include "pathsyntax.h"
#include "runtimeerror.h"

#include <QScopeGuard>

DirList::DirList(DirectoryCache &cache) : m_cache(cache) {}

const QByteArray &DirList::Path() const
{
    return m_cache.path();
}

void DirList::setPath(const QByteArray &path)
{
    move([&] { m_cache.setPath(path); });
}

void DirList::enterSubdirectory(const QByteArray &name)
{
    move([&] { m_cache.enterSubdirectory(name); });
}

void DirList::returnTo(qsizetype pathLength, DirectoryCache::Listing listing)
{
    move([&] { m_cache.returnTo(pathLength, listing); });
}

template <typename Move> void DirList::move(Move &&moveCache)
{
    const QByteArray previousPath = Path();
    m_moving = true;
    const auto settled = qScopeGuard([this] { m_moving = false; });
    moveCache();
    changed(previousPath);
}

void DirList::changed(const QByteArray &previousPath)
{
    auto previousListing = std::exchange(m_listing, m_cache.listing());
    if (!m_changeHandler)
        return;
    try {
        m_changeHandler();
    } catch (...) {
        m_listing = std::move(previousListing);
        if (!previousPath.isEmpty())
            m_cache.setPath(previousPath);
        throw;
    }
}

qint64 DirList::ListCount() const
{
    return m_listing ? qint64(m_listing->subdirectories.size()) : 0;
}

QByteArray DirList::List(qint64 i) const
{
    if (i < 0 || i >= ListCount())
        throw RuntimeError::subscriptOutOfRange(
            i, ListCount(), QStringLiteral("subdirectories of ") + RuntimeError::pathText(Path()));
    return childPath(Path(), m_listing->subdirectories[std::size_t(i)].name);
}
