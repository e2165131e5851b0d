// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtimeerror.h"

#include "errortext.h"
#include "middlecut.h"
#include "names.h"
#include "pathsyntax.h"

#include <QList>

#include <algorithm>
#include <cerrno>

namespace {

// Longest path an error text names whole, in characters, and the shortest
// start a shortened one keeps.
constexpr qsizetype LongestPathText = 200;
constexpr qsizetype ShortestStart = 50;

// `text` cut to LongestPathText characters, "..." in its middle. The end
// keeps half of the room, or more to hold the final name whole.
QString shortenedInMiddle(const QString &text)
{
    const QList<uint> codePoints = text.toUcs4();
    const qsizetype size = codePoints.size();
    if (size <= LongestPathText)
        return text;
    const qsizetype room = LongestPathText - 3;
    const qsizetype finalName = size - codePoints.lastIndexOf(uint(PathSeparator));
    const qsizetype end = std::max(room / 2, std::min(finalName, room - ShortestStart));
    return cutInMiddle(codePoints, room, end);
}

struct ErrorKind
{
    int number;
    const char *title;
};

ErrorKind kindOf(int errnoValue, bool isDirectory)
{
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        return isDirectory ? ErrorKind{ErrorNumber::PathNotFound, "Path not found"}
                           : ErrorKind{ErrorNumber::FileNotFound, "File not found"};
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
        return {ErrorNumber::PathFileAccessError, "Path/File access error"};
    case ENOSPC:
#ifdef EDQUOT // not on Windows
    case EDQUOT:
#endif
    case EFBIG:
        return {ErrorNumber::DiskFull, "Disk full"};
    case ENOMEM:
        return {ErrorNumber::OutOfMemory, "Out of memory"};
    case EMFILE:
    case ENFILE:
        return {ErrorNumber::TooManyFiles, "Too many files"};
    case ENAMETOOLONG:
    case EINVAL:
        return {ErrorNumber::BadFileName, "Bad file name or number"};
    default:
        return {ErrorNumber::DeviceIoError, "Device I/O error"};
    }
}

RuntimeError fromErrno(int errnoValue, const QByteArray &path, bool isDirectory,
                       const QString &reason)
{
    const ErrorKind kind = kindOf(errnoValue, isDirectory);
    return RuntimeError(kind.number,
                        QStringLiteral("%1: %2 (%3)")
                            .arg(QLatin1String(kind.title), RuntimeError::pathText(path), reason));
}

} // namespace

RuntimeError::RuntimeError(int number, QString description)
    : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8())
{}

const char *RuntimeError::what() const noexcept
{
    return m_what.constData();
}

RuntimeError RuntimeError::forFile(int errnoValue, const QByteArray &path)
{
    return fromErrno(errnoValue, path, false, systemErrorText(errnoValue));
}

RuntimeError RuntimeError::forDirectory(int errnoValue, const QByteArray &path)
{
    return fromErrno(errnoValue, path, true, systemErrorText(errnoValue));
}

RuntimeError RuntimeError::forFile(int errnoValue, const QByteArray &path, const QString &reason)
{
    return fromErrno(errnoValue, path, false, reason);
}

RuntimeError RuntimeError::forDirectory(int errnoValue, const QByteArray &path,
                                        const QString &reason)
{
    return fromErrno(errnoValue, path, true, reason);
}

RuntimeError RuntimeError::subscriptOutOfRange(qint64 index, qint64 count, const QString &entries)
{
    return RuntimeError(
        ErrorNumber::SubscriptOutOfRange,
        QStringLiteral("Subscript out of range: entry %1 of the %2 ").arg(index).arg(count) +
            entries);
}

QString RuntimeError::pathText(const QByteArray &path)
{
    return shortenedInMiddle(printableName(path));
}
