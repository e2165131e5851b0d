// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class FrontEnd;
class ReportFile;
class ReportFolder;

enum class ReportChoice {
    GoAhead,   // the report is open
    Abandoned, // nothing was opened: the user cancelled, or the file could not be opened
};

// Chooses the report of a new run and opens it in `report`. A missing or
// empty first report file is created without a question; otherwise the user
// chooses between a new numbered file (the first free one from 02 on),
// appending to the first file, and no run at all. A file that cannot be
// opened is reported with the critical icon and abandons the run. With all
// 99 files taken the program ends: the front end's endProgram() runs and
// ProgramEnded is thrown.
ReportChoice ChooseReportFile(ReportFile &report, FrontEnd &frontEnd, const ReportFolder &folder);
