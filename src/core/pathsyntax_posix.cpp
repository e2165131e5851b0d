// SPDX-License-Identifier: GPL-3.0-or-later
#include "pathsyntax.h"

#include <QFile>

QByteArray volumeRoot(const QByteArray &)
{
    return QByteArrayLiteral("/");
}

QByteArray encodedPath(const QString &path)
{
    return QFile::encodeName(path);
}

QString decodedPath(const QByteArray &path)
{
    return QFile::decodeName(path);
}
