// SPDX-License-Identifier: GPL-3.0-or-later
#include "skiprule.h"

#include "names.h"
#include "pathsyntax.h"

bool IsSkippedFolder(qint64 fileCount, const QString &path)
{
    return fileCount == 0 || diskNamesOf(path).onLaterDisk();
}

DiskNames diskNamesOf(const QString &path)
{
    // Of a package spread over disk1, disk2, ... only disk1 is catalogued.
    // The separator after the path lets a path ending in disk1 match.
    const QString separator(QLatin1Char{PathSeparator});
    const QString probe = lowerCased(path + separator);
    return {probe.contains(separator + QLatin1String("disk")),
            probe.contains(separator + QLatin1String("disk1") + separator)};
}

DiskNames diskNamesBelow(DiskNames parent, const QString &name)
{
    const QString probe = lowerCased(name);
    return {parent.someDisk || probe.startsWith(QLatin1String("disk")),
            parent.firstDisk || probe == QLatin1String("disk1")};
}
