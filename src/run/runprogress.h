// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How far the current or last run has come, for the window's status line.
struct RunProgress
{
    enum class Stage { NotStarted, Running, Finished, Cancelled };

    Stage stage = Stage::NotStarted;
    qint64 foldersVisited = 0;
    qint64 reportLines = 0; // lines the report file holds, earlier ones included
    QString reportPath;
    QString currentFolder; // while running: the directory being visited
    qint64 unreadable = 0; // directories left out: the user may not read them
    qint64 laterDisks = 0; // directories left out: later disks of a package
};

// One line telling the progress or the outcome of a run.
QString statusText(const RunProgress &progress);
