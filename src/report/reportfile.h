// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reportdescriptor.h"
#include "reportline.h"

#include <QByteArray>

// The report: a sequential UTF-8 text file whose lines end with carriage
// return and line feed. Writes are buffered; close() writes out the rest.
// Every failure throws RuntimeError; nothing written before it is lost.
//
// The report never ends in a torn line. When a write fails after part of a
// line went out (a full disk), the file is cut back to the end of its last
// whole line, and that line stays buffered whole. Output that cannot be cut
// back (a pipe, a terminal) gets the rest of the torn line instead, when the
// output still takes it.
class ReportFile
{
public:
    ReportFile() = default;
    ~ReportFile();

    ReportFile(const ReportFile &) = delete;
    ReportFile &operator=(const ReportFile &) = delete;

    // Creates the file, or empties an existing one.
    void openForOutput(const QByteArray &path);
    // Keeps the file's content and writes after it (creates a missing file).
    // When the content ends inside a line, the first new line starts on a
    // line of its own.
    void openForAppend(const QByteArray &path);
    // Writes to the process's standard output.
    void openStandardOutput();

    bool isOpen() const { return m_descriptor >= 0; }
    const QByteArray &path() const { return m_path; }
    qint64 linesWritten() const { return m_linesWritten; }
    // The lines the file holds: those it held when opened (a line it ended
    // inside among them) and those written since. Kept after close().
    qint64 lineCount() const { return m_linesBefore + m_linesWritten; }
    // The number of the error of the last write that failed since the file
    // was opened; 0 when none has.
    int writeError() const { return m_writeError; }
    // Whether that write failed because the output is a pipe whose reader
    // has gone.
    bool readerGone() const { return m_readerGone; }

    void printLine(const ReportLine &line) { printLine(line.utf8()); }
    // A line already in UTF-8, without a line break in it.
    void printLine(const QByteArray &utf8);

    // Writes out what is buffered and closes the file. Closing a report that
    // is not open does nothing.
    void close();

private:
    void open(const QByteArray &path, ReportDescriptor::Mode mode);
    void start(int fd, bool owned, const QByteArray &path);
    void writeOut();
    void writeOut(int fd);
    qsizetype settleTornLine(int fd, qsizetype written);

    int m_descriptor = -1;
    bool m_ownsDescriptor = false;
    QByteArray m_path;
    QByteArray m_buffer;
    qint64 m_linesBefore = 0;
    qint64 m_linesWritten = 0;
    bool m_lineBreakPending = false;
    int m_writeError = 0;
    bool m_readerGone = false;
};
