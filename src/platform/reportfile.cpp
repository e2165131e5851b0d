#include "reportfile.h"

#include "runtimeerror.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qsizetype BufferSize = 64 * 1024;

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
    open(path, O_WRONLY | O_CREAT | O_TRUNC);
}

void ReportFile::openForAppend(const QByteArray &path)
{
    open(path, O_WRONLY | O_CREAT | O_APPEND);
}

void ReportFile::openStandardOutput()
{
    close();
    m_descriptor = STDOUT_FILENO;
    m_ownsDescriptor = false;
    m_path = QByteArrayLiteral("/dev/stdout");
    m_linesWritten = 0;
    m_buffer.reserve(BufferSize);
}

void ReportFile::open(const QByteArray &path, int flags)
{
    close();
    const int fd = ::open(path.constData(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        // Creating a file fails with "no such entry" when its folder is missing.
        const bool folderMissing = errno == ENOENT && (flags & O_CREAT);
        throw folderMissing ? RuntimeError::forDirectory(errno, path)
                            : RuntimeError::forFile(errno, path);
    }
    m_descriptor = fd;
    m_ownsDescriptor = true;
    m_path = path;
    m_linesWritten = 0;
    m_buffer.reserve(BufferSize);
}

void ReportFile::printLine(const ReportLine &line)
{
    if (!isOpen())
        throw RuntimeError(ErrorNumber::BadFileName, QStringLiteral("Bad file name or number: "
                                                                    "the report is not open"));
    m_buffer += line.utf8();
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
            ::close(fd);
        throw;
    }
    if (owned && ::close(fd) != 0)
        throw RuntimeError::forFile(errno, m_path);
}

void ReportFile::writeOut()
{
    writeOut(m_descriptor);
}

void ReportFile::writeOut(int fd)
{
    const char *data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            m_buffer.remove(0, m_buffer.size() - left);
            throw RuntimeError::forFile(error, m_path);
        }
        data += written;
        left -= written;
    }
    m_buffer.resize(0); // keeps the allocation
}
