// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// The text of `codePoints` cut to `room` characters and "..." between them:
// its first room - `endLength` characters, "...", and its last `endLength`.
// A character beyond the basic plane counts as one. Each caller keeps the
// end its texts need: a path its final name, a message line half.
QString cutInMiddle(const QList<uint> &codePoints, qsizetype room, qsizetype endLength);
