#pragma once

#include "filesystem.h"

#include <QByteArray>

#include <memory>
#include <vector>

// The listings of the directories on one chain of the tree: a directory and
// its ancestors as far as they were visited. A walk moves up and down this
// chain all the time; a directory on it is read again only when it has been
// modified since it was last read, so pointing the lists at a directory over
// and over costs one status query each time, not a new listing.
class DirectoryCache
{
public:
    // Open directory handles kept at most; deeper trees re-read the top ones.
    static constexpr std::size_t MaximumDepth = 128;

    // The current listing of the directory at `path`. The chain is cut back
    // to the ancestors of `path` first.
    std::shared_ptr<const DirectoryListing> listing(const QByteArray &path);

    // Length of the file `name` in the directory `dirPath`.
    qint64 fileLength(const QByteArray &dirPath, const QByteArray &name) const;

private:
    struct Level
    {
        std::unique_ptr<DirectoryHandle> handle;
        std::shared_ptr<const DirectoryListing> listing;
    };

    void keepOnlyAncestorsOf(const QByteArray &path);
    Level &openLevel(const QByteArray &path);
    const Level *find(const QByteArray &path) const;

    std::vector<Level> m_chain; // from the top of the tree down
};
