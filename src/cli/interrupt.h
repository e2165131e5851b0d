#pragma once

// Ctrl-C (SIGINT) and SIGTERM stop a run the way Cancel does in the window.
// Their handlers only note the signal; the walk's event pump acts on it. A
// second Ctrl-C finds the default action restored and ends the process.
namespace Interrupt {

// Installs the handlers, and ignores SIGPIPE so that writing to a closed
// pipe fails as an ordinary write error.
void install();

// The signal that asked the run to stop, or 0 while none has.
int pendingSignal();

// Waits until the file descriptor `fd` can be read or a stop signal comes.
// False when a signal came (or had come already): then nothing is read.
bool waitForInput(int fd);

} // namespace Interrupt
