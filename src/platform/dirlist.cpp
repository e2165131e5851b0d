#include "dirlist.h"

#include "directorycache.h"
#include "names.h"
#include "runtimeerror.h"

DirList::DirList(DirectoryCache &cache) : m_cache(cache) {}

void DirList::setPath(const QByteArray &path)
{
    m_listing = m_cache.listing(path);
    m_path = path;
    if (m_changeHandler)
        m_changeHandler();
}

qint64 DirList::ListCount() const
{
    return m_listing ? qint64(m_listing->subdirectories.size()) : 0;
}

QByteArray DirList::List(qint64 i) const
{
    if (i < 0 || i >= ListCount()) {
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange,
                           QStringLiteral("Subscript out of range: entry %1 of the %2 "
                                          "subdirectories of %3")
                               .arg(i)
                               .arg(ListCount())
                               .arg(RuntimeError::pathText(m_path)));
    }
    return childPath(m_path, m_listing->subdirectories[std::size_t(i)].name);
}
