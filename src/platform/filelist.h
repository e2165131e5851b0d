#pragma once

#include "wildcardpattern.h"

#include <QByteArray>

#include <memory>
#include <optional>
#include <vector>

class DirectoryCache;
struct DirectoryListing;

// The file list: the files of a path that match a pattern.
class FileList
{
public:
    explicit FileList(DirectoryCache &cache);

    const QByteArray &Path() const { return m_path; }
    void setPath(const QByteArray &path);

    QString Pattern() const { return m_pattern.text(); }
    void setPattern(const QString &pattern) { setPattern(WildcardPattern(pattern)); }
    void setPattern(const WildcardPattern &pattern);

    qint64 ListCount() const;
    // The bare name of match i, 0 <= i < ListCount().
    QByteArray List(qint64 i) const;

private:
    const std::vector<qint64> &matches() const;

    DirectoryCache &m_cache;
    QByteArray m_path;
    WildcardPattern m_pattern;
    std::shared_ptr<const DirectoryListing> m_listing;
    mutable std::optional<qint64> m_count;
    mutable std::optional<std::vector<qint64>> m_matches;
};
