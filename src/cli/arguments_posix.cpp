// SPDX-License-Identifier: GPL-3.0-or-later
#include "arguments.h"

QByteArrayList commandLineArguments(int argc, char *argv[])
{
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return arguments;
}
