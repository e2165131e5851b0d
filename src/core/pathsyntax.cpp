// SPDX-License-Identifier: GPL-3.0-or-later
#include "pathsyntax.h"

QByteArray childPath(const QByteArray &dirPath, const QByteArray &name)
{
    QByteArray path;
    path.reserve(dirPath.size() + 1 + name.size());
    path += dirPath;
    appendName(path, name);
    return path;
}

void appendName(QByteArray &dirPath, const QByteArray &name)
{
    if (!dirPath.endsWith(PathSeparator))
        dirPath += PathSeparator;
    dirPath += name;
}

QByteArray entryName(const QByteArray &dirPath, const QByteArray &path)
{
    if (!isAncestorPath(dirPath, path))
        return {};
    const qsizetype start = dirPath.endsWith(PathSeparator) ? dirPath.size() : dirPath.size() + 1;
    return path.indexOf(PathSeparator, start) < 0 ? path.mid(start) : QByteArray();
}

QByteArray firstNameBelow(const QByteArray &dirPath, const QByteArray &path)
{
    const qsizetype start = dirPath.endsWith(PathSeparator) ? dirPath.size() : dirPath.size() + 1;
    const qsizetype end = path.indexOf(PathSeparator, start);
    return end < 0 ? path.mid(start) : path.mid(start, end - start);
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
