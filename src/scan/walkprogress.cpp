// SPDX-License-Identifier: GPL-3.0-or-later
#include "walkprogress.h"

#include "filesize.h"

QString counted(qint64 count, const QString &one, const QString &many)
{
    return groupedNumber(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

QString leftOutSummary(qint64 unreadable, qint64 laterDisks)
{
    if (unreadable + laterDisks == 0)
        return {};
    return counted(unreadable + laterDisks, QStringLiteral("directory"),
                   QStringLiteral("directories")) +
           QStringLiteral(" left out: ") + groupedNumber(unreadable) +
           QStringLiteral(" could not be read, ") +
           counted(laterDisks, QStringLiteral("on a later disk"), QStringLiteral("on later disks"));
}

QString walkCounts(qint64 foldersVisited, qint64 reportLines)
{
    return counted(foldersVisited, QStringLiteral("directory"), QStringLiteral("directories")) +
           QStringLiteral(", ") +
           counted(reportLines, QStringLiteral("line"), QStringLiteral("lines"));
}
