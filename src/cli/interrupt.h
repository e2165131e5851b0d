// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Ctrl-C (SIGINT), SIGTERM and SIGHUP stop a run the way Cancel does in the
// window. Their handlers only note the signal; the walk's event pump acts on
// it. A second signal of the same kind finds the default action restored and
// ends the process. A stop signal ignored when the program starts (as nohup
// ignores SIGHUP) stays ignored.
namespace Interrupt {

// Installs the handlers, and ignores SIGPIPE so that writing to a closed
// pipe fails as an ordinary write error.
void install();

// The signal that asked the run to stop (the first one), or 0 while none has.
int pendingSignal();

// Waits until the file descriptor `fd` can be read or a stop signal comes.
// False when a signal came (or had come already): then nothing is read.
bool waitForInput(int fd);

// After a stop signal, once the run has cleaned up: ends the process by
// that signal with its default action, so that the parent sees the death by
// the signal that shells and xargs expect. Returns only where the signal
// could not end the process, or when none came.
void endByPendingSignal();

// After a write to a pipe whose reader has gone, once the report is closed:
// ends the process quietly as a closed pipe ends other tools, by SIGPIPE,
// so that a shell shows status 141. Where SIGPIPE was ignored when the
// program started, or there is no such signal, returns the status to end
// with instead: 141 (128 + 13).
int endByBrokenPipe();

} // namespace Interrupt
