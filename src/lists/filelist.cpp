// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist.h"

#include "directorycache.h"
#include "names.h"
#include "runtimeerror.h"

#include <algorithm>

FileList::FileList(DirectoryCache &cache) : m_cache(cache) {}

FileList::~FileList() = default;

const QByteArray &FileList::Path() const
{
    return m_ownDirectory ? m_ownPath : m_cache.path();
}

void FileList::setPath(const QByteArray &path)
{
    // The directory list hands over the cache's own path: no need to compare.
    if (&path == &m_cache.path() || path == m_cache.path()) {
        m_listing = m_cache.listing();
        m_ownDirectory.reset();
        m_ownPath.clear();
    } else {
        auto directory = DirectoryHandle::open(path);
        m_listing = std::make_shared<const DirectoryListing>(directory->read(path));
        m_ownDirectory = std::move(directory);
        m_ownPath = path;
    }
    m_matchCount.reset();
    m_matches.reset();
}

void FileList::setPattern(const WildcardPattern &pattern)
{
    m_pattern = pattern;
    m_matchCount.reset();
    m_matches.reset();
}

qint64 FileList::ListCount() const
{
    if (!m_matchCount)
        m_matchCount = countMatching(m_pattern);
    return *m_matchCount;
}

qint64 FileList::countMatching(const WildcardPattern &pattern) const
{
    if (!m_listing)
        return 0;
    if (pattern.matchesEverything())
        return qint64(m_listing->files.size());
    return std::count_if(
        m_listing->files.begin(), m_listing->files.end(),
        [&pattern](const DirectoryEntry &file) { return pattern.matches(file.key); });
}

QByteArray FileList::List(qint64 i) const
{
    if (i < 0 || i >= ListCount())
        throw RuntimeError::subscriptOutOfRange(
            i, ListCount(),
            QStringLiteral("files of %1 matching %2")
                .arg(RuntimeError::pathText(Path()), m_pattern.text()));
    if (m_pattern.matchesEverything())
        return m_listing->files[std::size_t(i)].name;
    return m_listing->files[std::size_t(matches()[std::size_t(i)])].name;
}

qint64 FileList::lengthOf(const QByteArray &name) const
{
    return m_cache.fileLength(Path(), name);
}

FileStatus FileList::statusOf(const QByteArray &name) const
{
    return m_cache.fileStatus(Path(), name);
}

void FileList::timePassed()
{
    m_cache.timePassedHere();
}

const std::vector<qint64> &FileList::matches() const
{
    if (!m_matches) {
        std::vector<qint64> indexes;
        for (std::size_t i = 0; i < m_listing->files.size(); ++i) {
            if (m_pattern.matches(m_listing->files[i].key))
                indexes.push_back(qint64(i));
        }
        m_matches = std::move(indexes);
    }
    return *m_matches;
}
