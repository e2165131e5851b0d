// SPDX-License-Identifier: GPL-3.0-or-later
#include "middlecut.h"

QString cutInMiddle(const QList<uint> &codePoints, qsizetype room, qsizetype endLength)
{
    const auto *points = reinterpret_cast<const char32_t *>(codePoints.constData());
    return QString::fromUcs4(points, room - endLength) + QStringLiteral("...") +
           QString::fromUcs4(points + codePoints.size() - endLength, endLength);
}
