// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct Options;

namespace ExitStatus {
constexpr int Success = 0;
constexpr int Failure = 1; // the walk stopped on an error, or the report is incomplete
constexpr int Usage = 2;   // bad usage, or a directory or report that cannot be opened
// + the number of the signal that stopped the run, where the program cannot
// end by the signal itself (Interrupt::endByPendingSignal()).
constexpr int SignalBase = 128;
} // namespace ExitStatus

// Catalogues the directory that `options` names into its report and
// answers the program's exit status. The directory is checked before the
// report is opened, so a bad directory leaves an existing report untouched.
int runCatalogue(const Options &options);
