// SPDX-License-Identifier: GPL-3.0-or-later
#include "walkprogress.h"

#include "filesize.h"

QString counted(qint64 count, const QString &one, const QString &many)
{
    return groupedNumber(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

QString walkCounts(qint64 foldersVisited, qint64 reportLines)
{
    return counted(foldersVisited, QStringLiteral("directory"), QStringLiteral("directories")) +
           QStringLiteral(", ") +
           counted(reportLines, QStringLiteral("line"), QStringLiteral("lines"));
}
