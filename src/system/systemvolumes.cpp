// SPDX-License-Identifier: GPL-3.0-or-later
#include "systemvolumes.h"

#include "names.h"

QString DriveEntry::text() const
{
    const QString shown = decodedName(mountPoint);
    return label.isEmpty() ? shown : shown + QStringLiteral(" [") + label + QLatin1Char(']');
}
