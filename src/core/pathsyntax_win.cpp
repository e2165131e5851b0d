// SPDX-License-Identifier: GPL-3.0-or-later
#include "pathsyntax.h"

#include "names.h"

// Paths are the UTF-8 form of the system's UTF-16 names, drive-letter rooted.
QByteArray volumeRoot(const QByteArray &path)
{
    return path.left(3);
}

QByteArray encodedPath(const QString &path)
{
    return path.toUtf8();
}

QString decodedPath(const QByteArray &path)
{
    return decodedName(path);
}
