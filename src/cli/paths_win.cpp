// SPDX-License-Identifier: GPL-3.0-or-later
#include "paths.h"

#include "pathsyntax.h"

#include <QDir>
#include <QString>

#include <string>

#include <windows.h>

// Paths come and go as UTF-8 bytes of the system's UTF-16 names. Windows
// resolves a path the way its own programs do: "Z:" is the working directory
// that drive Z: keeps, "C:users" lies below the one of C:, a path that starts
// with one backslash lies on the working directory's drive; "." and ".." are
// taken out, and forward slashes become backslashes.
QByteArray absoluteCleanPath(const QByteArray &path)
{
    const std::wstring given = QString::fromUtf8(path).toStdWString();
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(given.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (length == 0) // a name Windows cannot resolve: left to the walk to refuse
            return encodedPath(QDir::toNativeSeparators(QString::fromUtf8(path)));
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    QString absolute = QString::fromStdWString(full);
    // A volume's root keeps its separator ("C:\\"); no other path does.
    const bool isRoot = QDir(absolute).isRoot();
    while (!isRoot && absolute.size() > 3 && absolute.endsWith(u'\\'))
        absolute.chop(1);
    return encodedPath(absolute);
}

// Windows tells a folder that may not be searched only when a name in it is
// opened: it cannot be told beforehand.
int searchError(const QByteArray &)
{
    return 0;
}
