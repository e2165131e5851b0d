// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1String>
#include <QString>

// The size shown for a file: a number in decimal kilobytes or megabytes.
struct FileSize
{
    QString number;     // grouped by thousands: "1,000"
    QLatin1String unit; // "Kb" or "Mb"
};

FileSize FormatFileSize(qint64 length);

// `value` in digits grouped by threes with the user's thousands separator.
QString groupedNumber(qint64 value);
