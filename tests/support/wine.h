// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLibrary>
#include <QString>

// True under Wine, which looks each new name up through the whole directory
// (a folder of many thousand new files takes minutes) and hands Linux paths
// of 4,096 bytes at most.
inline bool runsUnderWine()
{
#ifdef Q_OS_WIN
    return QLibrary::resolve(QStringLiteral("ntdll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}
