// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The system calls behind the report file: a file descriptor written in
// binary, so that line ends go out exactly as the report makes them.
// Functions that fail leave the reason in errno.
namespace ReportDescriptor {

enum class Mode { Output, Append };

// Opens (creating it when missing) the file at `path`; -1 on failure. A
// file opened for output is emptied.
int open(const QByteArray &path, Mode mode);
// Why the last open() failed, in the system's own words (errno tells the
// kind of failure).
QString openFailureText();
// The descriptor of the process's standard output, set to binary.
int standardOutput();
// The name the program's messages give the standard output.
QByteArray standardOutputName();
// Writes `size` bytes, going on after interruptions and short writes, and
// returns how many were written.
qsizetype writeAll(int fd, const char *data, qsizetype size);
// True when the regular file open as `fd` is not empty and its last byte is
// not a line feed.
bool endsInsideLine(int fd, const QByteArray &path);
// Takes the last `count` bytes written off the end of the file. False when
// the output cannot be cut (a pipe, a terminal, a device).
bool takeBack(int fd, qsizetype count);
// Closes the descriptor; false on failure.
bool close(int fd);

} // namespace ReportDescriptor
