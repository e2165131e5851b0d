#include "dirlist.h"

#include "directorycache.h"
#include "pathsyntax.h"
#include "runtimeerror.h"

DirList::DirList(DirectoryCache &cache) : m_cache(cache) {}

const QByteArray &DirList::Path() const
{
    return m_cache.path();
}

void DirList::setPath(const QByteArray &path)
{
    m_cache.setPath(path);
    changed();
}

void DirList::enterSubdirectory(const QByteArray &name)
{
    m_cache.enterSubdirectory(name);
    changed();
}

void DirList::returnTo(qsizetype pathLength)
{
    m_cache.returnTo(pathLength);
    changed();
}

void DirList::changed()
{
    m_listing = m_cache.listing();
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
                               .arg(RuntimeError::pathText(Path())));
    }
    return childPath(Path(), m_listing->subdirectories[std::size_t(i)].name);
}
