// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class ReportFolder;

// The two texts of the Help window.
QString historyText();
QString quickHelpText(const ReportFolder &reportFolder);
