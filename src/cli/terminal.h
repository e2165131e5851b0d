// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The process's standard streams, and what is known about the terminals
// behind them.
namespace Terminal {

constexpr int StandardInput = 0;
constexpr int StandardOutput = 1;
constexpr int StandardError = 2;

// Opens the null device on each of the descriptors 0, 1 and 2 that is
// closed, so that no file opened later takes its place: a report must not
// become the standard error. False when that fails. To be called first.
bool fillClosedStandardStreams();

bool isTerminal(int fd);
// True when both descriptors are terminals, and the same one.
bool sameTerminal(int fd, int otherFd);
// Columns of the terminal behind `fd`; 80 when it cannot be told.
int width(int fd);

// Writes `text` to standard error at once, in the terminal's encoding, as
// it is: the caller has cleaned it (see TerminalText).
void writeError(const QString &text);
// Writes "tallywick-cli: ", `message` and a line end to standard error. The
// message is shown as one line, cleaned and shortened (TerminalText).
void showError(const QString &message);

enum class ReadResult { Line, EndOfInput, Interrupted };

// Reads one line from standard input, without its line end. A stop signal
// ends the wait (Interrupted). Input after the line is left unread.
ReadResult readLine(QByteArray &line);

} // namespace Terminal
