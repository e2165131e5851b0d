#pragma once

#include <QByteArray>

#include <functional>
#include <memory>

class DirectoryCache;
struct DirectoryListing;

// The directory list: a path and the immediate subdirectories of that path.
// Every assignment of the path re-lists it and then runs the change handler
// before it returns; the file list follows the directory list through it.
class DirList
{
public:
    explicit DirList(DirectoryCache &cache);

    const QByteArray &Path() const { return m_path; }
    void setPath(const QByteArray &path);

    qint64 ListCount() const;
    // The full path of subdirectory i, 0 <= i < ListCount().
    QByteArray List(qint64 i) const;

    void setChangeHandler(std::function<void()> handler) { m_changeHandler = std::move(handler); }

private:
    DirectoryCache &m_cache;
    QByteArray m_path;
    std::shared_ptr<const DirectoryListing> m_listing;
    std::function<void()> m_changeHandler;
};
