// SPDX-License-Identifier: GPL-3.0-or-later
#include "errortext.h"

#include <cerrno>
#include <cstring>

#include <windows.h>

namespace {

// The Windows error that an errno value of the platform layer stands for
// (see errnoFromWindowsError()); 0 where the value has no one error.
DWORD windowsErrorOf(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_DIRECTORY;
    case EACCES:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EINVAL:
        return ERROR_INVALID_NAME;
    case EPIPE:
        return ERROR_BROKEN_PIPE;
    case EIO:
        return ERROR_IO_DEVICE;
    default:
        return 0;
    }
}

} // namespace

QString windowsErrorText(unsigned long error)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    if (length == 0)
        return QStringLiteral("Windows error %1").arg(error);
    QString text = QString::fromWCharArray(buffer, length).trimmed();
    LocalFree(buffer);
    return text;
}

QString systemErrorText(int errnoValue)
{
    if (const DWORD error = windowsErrorOf(errnoValue))
        return windowsErrorText(error);
    char buffer[256] = {};
    if (strerror_s(buffer, sizeof buffer, errnoValue) != 0)
        return QStringLiteral("Unknown error %1").arg(errnoValue);
    return QString::fromLocal8Bit(buffer);
}
