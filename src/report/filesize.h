// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1String>
#include <QString>

// `value` in digits grouped by threes with the user's thousands separator.
QString groupedNumber(qint64 value);

// The size shown for a file: a number in decimal kilobytes or megabytes.
struct FileSize
{
    qint64 amount = 0;  // whole units, at least 1
    QLatin1String unit; // "Kb" or "Mb"

    // The amount as shown, grouped by thousands: "1,000".
    QString number() const { return groupedNumber(amount); }
};

FileSize FormatFileSize(qint64 length);
