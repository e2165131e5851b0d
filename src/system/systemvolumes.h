// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One volume of the drive list.
struct DriveEntry
{
    QByteArray mountPoint; // raw bytes: "/", "/media/ann/STICK", "C:\"
    QString label;         // the volume label; empty when it has none

    // The entry as the list shows it: the mount point, and the label in
    // brackets when there is one ("/media/ann/STICK [STICK]").
    QString text() const;
};

// The volumes of this machine a user would browse, as they are now: the
// drive letters on Windows (those not ready too), "/" and the mount points
// of real storage elsewhere. In no particular order.
std::vector<DriveEntry> systemVolumes();
