// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowsfiles_win.h"

#include <QDir>
#include <QString>

#include <cerrno>

namespace {

const QString LongPrefix = QStringLiteral("\\\\?\\");
const QString LongUncPrefix = QStringLiteral("\\\\?\\UNC\\");

} // namespace

std::wstring longWidePath(const QByteArray &path)
{
    QString text = QString::fromUtf8(path);
    if (text.startsWith(LongPrefix))
        return text.toStdWString();
    text = QDir::cleanPath(QDir::current().absoluteFilePath(QDir::fromNativeSeparators(text)));
    if (text.endsWith(QLatin1Char(':')))
        text += QLatin1Char('/'); // "C:" alone would be the drive's current folder
    text = QDir::toNativeSeparators(text);
    if (text.startsWith(QLatin1String("\\\\")))
        return (LongUncPrefix + text.mid(2)).toStdWString();
    return (LongPrefix + text).toStdWString();
}

std::wstring wideName(const QByteArray &name)
{
    return QString::fromUtf8(name).toStdWString();
}

QByteArray utf8Name(const wchar_t *name, std::size_t length)
{
    return QString::fromWCharArray(name, qsizetype(length)).toUtf8();
}

int errnoFromWindowsError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_DIRECTORY:
    case ERROR_NOT_A_REPARSE_POINT:
    case ERROR_CANT_ACCESS_FILE:
        return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CANT_RESOLVE_FILENAME:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return EINVAL;
    default:
        return EIO; // a drive not ready, a device error and the like
    }
}
