// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wildcardpattern.h"

#include <QByteArray>

#include <memory>
#include <optional>
#include <vector>

class DirectoryCache;
class DirectoryHandle;
struct DirectoryListing;
struct FileStatus;

// The file list: the files of a path that match a pattern. Pointed at the
// directory the cache stands on (the directory list's path), it shares the
// cache's listing and path; any other path gets a listing of its own.
class FileList
{
public:
    explicit FileList(DirectoryCache &cache);
    ~FileList();

    const QByteArray &Path() const;
    void setPath(const QByteArray &path);

    QString Pattern() const { return m_pattern.text(); }
    void setPattern(const QString &pattern) { setPattern(WildcardPattern(pattern)); }
    void setPattern(const WildcardPattern &pattern);

    qint64 ListCount() const;
    // How many of the files match `pattern`; the list keeps its own pattern.
    qint64 countMatching(const WildcardPattern &pattern) const;
    // The bare name of match i, 0 <= i < ListCount().
    QByteArray List(qint64 i) const;
    // The length in bytes of the file `name` of the list's directory; in a
    // directory read ahead, the length measured then.
    qint64 lengthOf(const QByteArray &name) const;
    // Its length and last modification, as they are now.
    FileStatus statusOf(const QByteArray &name) const;
    // The user was asked something here: lengths measured ahead are checked
    // against the directory before they are used.
    void timePassed();

private:
    const std::vector<qint64> &matches() const;

    DirectoryCache &m_cache;
    std::unique_ptr<DirectoryHandle> m_ownDirectory; // when not on the cache's path
    QByteArray m_ownPath;
    WildcardPattern m_pattern;
    std::shared_ptr<const DirectoryListing> m_listing;
    // How many files match, and which: each found when first asked for. A
    // directory's kind is told by counts alone.
    mutable std::optional<qint64> m_matchCount;
    mutable std::optional<std::vector<qint64>> m_matches;
};
