// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

// The program icon, drawn here in its 32 and 16 pixel sizes: a yellow
// diamond with a double black outline and a black upward arrow in its
// middle, transparent outside the diamond. icons/tallywick.svg is the same
// drawing.
QIcon programIcon();
QPixmap programPixmap(int size);
