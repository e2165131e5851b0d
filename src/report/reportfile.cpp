// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportfile.h"

#include "pathsyntax.h"
#include "runtimeerror.h"

#include <QFile>

#include <cerrno>

using ReportDescriptor::takeBack;
using ReportDescriptor::writeAll;

namespace {

constexpr qsizetype BufferSize = qsizetype{64} * 1024;

// Line feeds in the file at `path`, read once when a report is appended to.
qint64 countLineFeeds(const QByteArray &path)
{
    QFile file(decodedPath(path));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qint64 lineFeeds = 0;
    while (!file.atEnd())
        lineFeeds += file.read(BufferSize).count('\n');
    return lineFeeds;
}

} // namespace

ReportFile::~ReportFile()
{
    try {
        close();
    } catch (const RuntimeError &) {
        // Too late to tell anyone; whoever cared has called close() already.
    }
}

void ReportFile::openForOutput(const QByteArray &path)
{
    open(path, ReportDescriptor::Mode::Output);
}

void ReportFile::openForAppend(const QByteArray &path)
{
    open(path, ReportDescriptor::Mode::Append);
    m_lineBreakPending = ReportDescriptor::endsInsideLine(m_descriptor, path);
    m_linesBefore = countLineFeeds(path) + (m_lineBreakPending ? 1 : 0);
}

void ReportFile::openStandardOutput()
{
    close();
    start(ReportDescriptor::standardOutput(), false, ReportDescriptor::standardOutputName());
}

void ReportFile::open(const QByteArray &path, ReportDescriptor::Mode mode)
{
    close();
    const int fd = ReportDescriptor::open(path, mode);
    if (fd < 0) {
        // Creating a file fails with "no such entry" when its folder is missing.
        const int error = errno;
        const QString reason = ReportDescriptor::openFailureText();
        throw error == ENOENT ? RuntimeError::forDirectory(error, path, reason)
                              : RuntimeError::forFile(error, path, reason);
    }
    start(fd, true, path);
}

// A report just opened on `fd`: nothing written to it yet.
void ReportFile::start(int fd, bool owned, const QByteArray &path)
{
    m_descriptor = fd;
    m_ownsDescriptor = owned;
    m_path = path;
    m_linesBefore = 0;
    m_linesWritten = 0;
    m_lineBreakPending = false;
    m_writeError = 0;
    m_readerGone = false;
    m_buffer.reserve(BufferSize);
}

void ReportFile::printLine(const QByteArray &utf8)
{
    if (!isOpen())
        throw RuntimeError(ErrorNumber::BadFileName, QStringLiteral("Bad file name or number: "
                                                                    "the report is not open"));
    if (m_lineBreakPending) {
        m_buffer += "\r\n"; // ends the line the file ended inside
        m_lineBreakPending = false;
    }
    m_buffer += utf8;
    m_buffer += "\r\n";
    ++m_linesWritten;
    if (m_buffer.size() >= BufferSize)
        writeOut();
}

void ReportFile::close()
{
    if (!isOpen())
        return;
    const int fd = m_descriptor;
    const bool owned = m_ownsDescriptor;
    m_descriptor = -1;
    try {
        writeOut(fd);
    } catch (...) {
        m_buffer.clear();
        if (owned)
            ReportDescriptor::close(fd);
        throw;
    }
    if (owned && !ReportDescriptor::close(fd))
        throw RuntimeError::forFile(errno, m_path);
}

void ReportFile::writeOut()
{
    writeOut(m_descriptor);
}

void ReportFile::writeOut(int fd)
{
    const qsizetype written = writeAll(fd, m_buffer.constData(), m_buffer.size());
    if (written == m_buffer.size()) {
        m_buffer.resize(0); // keeps the allocation
        return;
    }
    const int error = errno;
    m_buffer.remove(0, settleTornLine(fd, written));
    const RuntimeError failure = RuntimeError::forFile(error, m_path);
    m_writeError = failure.number();
    m_readerGone = error == EPIPE;
    throw failure;
}

// After a write stopped `written` bytes into the buffer: the file is cut back
// to the end of its last whole line, or, where it cannot be cut, the torn
// line is finished if the output still takes it. Returns how much of the
// buffer the output now holds. (The buffer starts where the output ends: at
// the start of a line, unless an output that cannot be cut refused the end
// of a torn line before.)
qsizetype ReportFile::settleTornLine(int fd, qsizetype written)
{
    const qsizetype lineStart = written == 0 ? 0 : m_buffer.lastIndexOf('\n', written - 1) + 1;
    if (lineStart == written || takeBack(fd, written - lineStart))
        return lineStart;
    const qsizetype lineEnd = m_buffer.indexOf('\n', written) + 1;
    return written + writeAll(fd, m_buffer.constData() + written, lineEnd - written);
}
