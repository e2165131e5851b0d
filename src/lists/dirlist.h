// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <functional>
#include <memory>

#include "directorycache.h"

// The directory list: a path and the immediate subdirectories of that path.
// Every assignment of the path re-lists it and then runs the change handler
// before it returns; the file list follows the directory list through it.
// A move is all or nothing: when the handler throws, the list goes back to
// the directory it stood on, and the handler's exception goes on.
class DirList
{
public:
    explicit DirList(DirectoryCache &cache);

    const QByteArray &Path() const;
    void setPath(const QByteArray &path);

    qint64 ListCount() const;
    // The full path of subdirectory i, 0 <= i < ListCount().
    QByteArray List(qint64 i) const;

    // The same moves as setPath() for a subdirectory of the path (by its
    // name) and for an ancestor of it (by the length of its path), made
    // without building or comparing whole paths, which in a deep tree are
    // long.
    void enterSubdirectory(const QByteArray &name);
    void returnTo(qsizetype pathLength,
                  DirectoryCache::Listing listing = DirectoryCache::Listing::Checked);

    // The subdirectories as listed when the path was last assigned; they stay
    // valid whatever happens to the list afterwards.
    std::shared_ptr<const DirectoryListing> listing() const { return m_listing; }

    void setChangeHandler(std::function<void()> handler) { m_changeHandler = std::move(handler); }

    // True from the start of a move until its change handler has returned:
    // the path may be the new one while the listings are not yet.
    bool isMoving() const { return m_moving; }

private:
    // Runs the change handler for the position the cache has just taken;
    // when it throws, moves the cache back to `previousPath`.
    void changed(const QByteArray &previousPath);
    template <typename Move> void move(Move &&moveCache);

    DirectoryCache &m_cache;
    std::shared_ptr<const DirectoryListing> m_listing;
    std::function<void()> m_changeHandler;
    bool m_moving = false;
};
