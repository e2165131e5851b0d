// SPDX-License-Identifier: GPL-3.0-or-later
#include "paths.h"

#include "pathsyntax.h"

#include <QDir>

// Paths come and go as UTF-8 bytes of the system's UTF-16 names.
QByteArray absoluteCleanPath(const QByteArray &path)
{
    const QString absolute = QDir::current().absoluteFilePath(QString::fromUtf8(path));
    return encodedPath(QDir::toNativeSeparators(QDir::cleanPath(absolute)));
}

// Windows tells a folder that may not be searched only when a name in it is
// opened: it cannot be told beforehand.
int searchError(const QByteArray &)
{
    return 0;
}
