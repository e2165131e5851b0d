// SPDX-License-Identifier: GPL-3.0-or-later
#include "arguments.h"

#include <QString>

#include <windows.h>

// argv holds the arguments in the ANSI code page, which loses every name
// outside it; the UTF-16 command line keeps them all.
QByteArrayList commandLineArguments(int, char *[])
{
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    QByteArrayList arguments;
    for (int i = 1; wide && i < count; ++i)
        arguments.append(QString::fromWCharArray(wide[i]).toUtf8());
    LocalFree(wide);
    return arguments;
}
