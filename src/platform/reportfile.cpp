#include "reportfile.h"

#include "runtimeerror.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype BufferSize = 64 * 1024;

// True when the regular file open as `fd` is not empty and its last byte is
// not a line feed. The file is open for writing only, so its last byte is
// read through a descriptor of its own.
bool endsInsideLine(int fd, const QByteArray &path)
{
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0)
        return false;
    const int reader = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (reader < 0)
        return false;
    char last = '\n';
    const bool wasRead = pread(reader, &last, 1, status.st_size - 1) == 1;
    ::close(reader);
    return wasRead && last != '\n';
}

// Writes `size` bytes, going on after interruptions and short writes, and
// returns how many were written; when that is fewer, errno tells why.
qsizetype writeAll(int fd, const char *data, qsizetype size)
{
    qsizetype written = 0;
    while (written < size) {
        const ssize_t count = ::write(fd, data + written, std::size_t(size - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            if (count == 0)
                errno = EIO;
            break;
        }
        written += count;
    }
    return written;
}

// Takes the last `count` bytes written off the end of the file. False when
// the output cannot be cut (a pipe, a terminal, a device).
bool takeBack(int fd, qsizetype count)
{
    const off_t end = lseek(fd, 0, SEEK_CUR);
    return end >= count && ftruncate(fd, end - count) == 0 && lseek(fd, end - count, SEEK_SET) >= 0;
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
    open(path, O_WRONLY | O_CREAT | O_TRUNC);
}

void ReportFile::openForAppend(const QByteArray &path)
{
    open(path, O_WRONLY | O_CREAT | O_APPEND);
    m_lineBreakPending = endsInsideLine(m_descriptor, path);
}

void ReportFile::openStandardOutput()
{
    close();
    m_descriptor = STDOUT_FILENO;
    m_ownsDescriptor = false;
    m_path = QByteArrayLiteral("/dev/stdout");
    m_linesWritten = 0;
    m_lineBreakPending = false;
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
    m_lineBreakPending = false;
    m_buffer.reserve(BufferSize);
}

void ReportFile::printLine(const ReportLine &line)
{
    if (!isOpen())
        throw RuntimeError(ErrorNumber::BadFileName, QStringLiteral("Bad file name or number: "
                                                                    "the report is not open"));
    if (m_lineBreakPending) {
        m_buffer += "\r\n"; // ends the line the file ended inside
        m_lineBreakPending = false;
    }
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
    const qsizetype written = writeAll(fd, m_buffer.constData(), m_buffer.size());
    if (written == m_buffer.size()) {
        m_buffer.resize(0); // keeps the allocation
        return;
    }
    const int error = errno;
    m_buffer.remove(0, settleTornLine(fd, written));
    throw RuntimeError::forFile(error, m_path);
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
