#pragma once

#include "reportline.h"

#include <QByteArray>

// The report: a sequential UTF-8 text file whose lines end with carriage
// return and line feed. Writes are buffered; close() writes out the rest.
// Every failure throws RuntimeError; nothing written before it is lost.
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
    void openForAppend(const QByteArray &path);
    // Writes to the process's standard output.
    void openStandardOutput();

    bool isOpen() const { return m_descriptor >= 0; }
    const QByteArray &path() const { return m_path; }
    qint64 linesWritten() const { return m_linesWritten; }

    void printLine(const ReportLine &line);

    // Writes out what is buffered and closes the file. Closing a report that
    // is not open does nothing.
    void close();

private:
    void open(const QByteArray &path, int flags);
    void writeOut();
    void writeOut(int fd);

    int m_descriptor = -1;
    bool m_ownsDescriptor = false;
    QByteArray m_path;
    QByteArray m_buffer;
    qint64 m_linesWritten = 0;
};
