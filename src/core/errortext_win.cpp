// SPDX-License-Identifier: GPL-3.0-or-later
#include "errortext.h"

#include <cstring>

QString systemErrorText(int errnoValue)
{
    char buffer[256] = {};
    if (strerror_s(buffer, sizeof buffer, errnoValue) != 0)
        return QStringLiteral("Unknown error %1").arg(errnoValue);
    return QString::fromLocal8Bit(buffer);
}
