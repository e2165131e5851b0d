// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportdescriptor.h"

#include "errortext.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ReportDescriptor {

int open(const QByteArray &path, Mode mode)
{
    const int flags =
        mode == Mode::Output ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY | O_CREAT | O_APPEND;
    return ::open(path.constData(), flags | O_CLOEXEC, 0666);
}

QString openFailureText()
{
    return systemErrorText(errno);
}

int standardOutput()
{
    return STDOUT_FILENO;
}

QByteArray standardOutputName()
{
    return QByteArrayLiteral("/dev/stdout");
}

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

// The file is open for writing only, so its last byte is read through a
// descriptor of its own.
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

bool takeBack(int fd, qsizetype count)
{
    const off_t end = lseek(fd, 0, SEEK_CUR);
    return end >= count && ftruncate(fd, end - count) == 0 && lseek(fd, end - count, SEEK_SET) >= 0;
}

bool close(int fd)
{
    return ::close(fd) == 0;
}

} // namespace ReportDescriptor
