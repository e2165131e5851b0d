#include "pathsyntax.h"

QByteArray childPath(const QByteArray &dirPath, const QByteArray &name)
{
    QByteArray path;
    path.reserve(dirPath.size() + 1 + name.size());
    path += dirPath;
    if (!path.endsWith(PathSeparator))
        path += PathSeparator;
    path += name;
    return path;
}

QByteArray parentPath(const QByteArray &path)
{
    const QByteArray root = volumeRoot(path);
    const qsizetype separator = path.lastIndexOf(PathSeparator);
    return separator < root.size() ? root : path.left(separator);
}

QByteArray finalName(const QByteArray &path)
{
    if (path.size() <= volumeRoot(path).size())
        return {};
    return path.mid(path.lastIndexOf(PathSeparator) + 1);
}

bool isAncestorPath(const QByteArray &ancestor, const QByteArray &path)
{
    if (path.size() <= ancestor.size() || !path.startsWith(ancestor))
        return false;
    return ancestor.endsWith(PathSeparator) || path.at(ancestor.size()) == PathSeparator;
}

bool isSameOrBelow(const QByteArray &ancestor, const QByteArray &path)
{
    return path == ancestor || isAncestorPath(ancestor, path);
}
