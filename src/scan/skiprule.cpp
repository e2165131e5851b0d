// SPDX-License-Identifier: GPL-3.0-or-later
#include "skiprule.h"

#include "names.h"
#include "pathsyntax.h"

bool IsSkippedFolder(qint64 fileCount, const QString &path)
{
    if (fileCount == 0)
        return true;

    // Of a package spread over disk1, disk2, ... only disk1 is catalogued.
    // The separator after the path lets a path ending in disk1 match.
    const QString separator(QLatin1Char{PathSeparator});
    const QString probe = lowerCased(path + separator);
    return probe.contains(separator + QLatin1String("disk")) &&
           !probe.contains(separator + QLatin1String("disk1") + separator);
}
