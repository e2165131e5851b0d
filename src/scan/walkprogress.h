// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How a front end shows a walk under way.

// The least time between two showings of the progress, so that showing it
// never slows the walk down.
inline constexpr int ProgressIntervalMs = 100;

// The counts of a walk under way: "1,234 directories, 1 line".
QString walkCounts(qint64 foldersVisited, qint64 reportLines);

// What a run left out: "3 directories left out: 2 could not be read, 1 on
// a later disk"; empty when it left out nothing.
QString leftOutSummary(qint64 unreadable, qint64 laterDisks);

// `count` grouped by thousands, then the noun in the singular or the plural.
QString counted(qint64 count, const QString &one, const QString &many);
