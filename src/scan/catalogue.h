// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "directorycursor.h"
#include "folderscan.h"
#include "reportfile.h"

class FrontEnd;

// One catalogue and what it is made of: the lists the walk moves through,
// the report it writes and the walk itself, driven through `frontEnd`. The
// window and the command line each own one; the window shows its lists.
class Catalogue
{
public:
    explicit Catalogue(FrontEnd &drivenBy) : frontEnd(drivenBy), scan(cursor, report, drivenBy) {}

    Catalogue(const Catalogue &) = delete;
    Catalogue &operator=(const Catalogue &) = delete;

    FrontEnd &frontEnd;
    DirectoryCursor cursor;
    ReportFile report;
    FolderScan scan;
};
