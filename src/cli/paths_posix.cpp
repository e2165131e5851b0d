// SPDX-License-Identifier: GPL-3.0-or-later
#include "paths.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {

// getcwd() rather than QDir::currentPath(): the bytes of the names must
// survive even where they are not valid UTF-8.
QByteArray workingDirectory()
{
    QByteArray buffer(PATH_MAX, '\0');
    while (::getcwd(buffer.data(), std::size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE)
            return QFile::encodeName(QDir::currentPath());
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.constData());
}

} // namespace

int searchError(const QByteArray &path)
{
    return ::faccessat(AT_FDCWD, path.constData(), X_OK, AT_EACCESS) == 0 || errno != EACCES
               ? 0
               : EACCES;
}

QByteArray absoluteCleanPath(const QByteArray &path)
{
    const QByteArray absolute = path.startsWith('/') ? path : workingDirectory() + '/' + path;
    QByteArrayList parts;
    for (const QByteArray &part : absolute.split('/')) {
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (!part.isEmpty() && part != ".") {
            parts.append(part);
        }
    }
    return '/' + parts.join('/');
}
