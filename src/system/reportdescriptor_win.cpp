// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportdescriptor.h"

#include "errortext.h"
#include "windowsfiles_win.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <string>

#include <windows.h>

namespace ReportDescriptor {

int open(const QByteArray &path, Mode mode)
{
    const int flags =
        mode == Mode::Output ? _O_WRONLY | _O_CREAT | _O_TRUNC : _O_WRONLY | _O_CREAT | _O_APPEND;
    _doserrno = 0;
    return ::_wopen(longWidePath(path).c_str(), flags | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}

// The runtime keeps the Windows error behind errno in _doserrno; it is 0
// where the runtime found the fault itself.
QString openFailureText()
{
    const unsigned long error = _doserrno;
    return error != 0 ? windowsErrorText(error) : systemErrorText(errno);
}

int standardOutput()
{
    const int fd = _fileno(stdout);
    _setmode(fd, _O_BINARY);
    return fd;
}

QByteArray standardOutputName()
{
    return QByteArrayLiteral("/dev/stdout");
}

namespace {

// The console handle behind `fd`, or null when it goes elsewhere.
HANDLE consoleOf(int fd)
{
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the C runtime gives the handle as an integer
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// A console shows characters, not bytes: the report's UTF-8 goes to it as
// the UTF-16 it takes, whatever its code page. The report writes whole lines.
qsizetype writeToConsole(HANDLE console, const char *data, qsizetype size)
{
    const std::wstring text = QString::fromUtf8(data, size).toStdWString();
    constexpr std::size_t LargestWrite = 1 << 14;
    for (std::size_t at = 0; at < text.size();) {
        const DWORD count = DWORD(std::min(text.size() - at, LargestWrite));
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data() + at, count, &written, nullptr) || written == 0) {
            errno = EIO;
            return 0;
        }
        at += written;
    }
    return size;
}

} // namespace

qsizetype writeAll(int fd, const char *data, qsizetype size)
{
    if (const HANDLE console = consoleOf(fd))
        return writeToConsole(console, data, size);
    constexpr qsizetype LargestWrite = 1 << 30;
    qsizetype written = 0;
    while (written < size) {
        const int count =
            ::_write(fd, data + written, unsigned(std::min(size - written, LargestWrite)));
        if (count <= 0) {
            if (count == 0)
                errno = ENOSPC; // a full disk takes nothing and says nothing
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
    struct _stat64 status;
    if (_fstat64(fd, &status) != 0 || !(status.st_mode & _S_IFREG) || status.st_size == 0)
        return false;
    const int reader = ::_wopen(longWidePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (reader < 0)
        return false;
    char last = '\n';
    const bool wasRead =
        _lseeki64(reader, status.st_size - 1, SEEK_SET) >= 0 && ::_read(reader, &last, 1) == 1;
    ::_close(reader);
    return wasRead && last != '\n';
}

bool takeBack(int fd, qsizetype count)
{
    const __int64 end = _lseeki64(fd, 0, SEEK_CUR);
    return end >= count && _chsize_s(fd, end - count) == 0 &&
           _lseeki64(fd, end - count, SEEK_SET) >= 0;
}

bool close(int fd)
{
    return ::_close(fd) == 0;
}

} // namespace ReportDescriptor
