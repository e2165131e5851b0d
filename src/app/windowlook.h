// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QPalette>

// The windows' dialog font: the system's own face at the 8 points that the
// design's twips were laid out for. The controls take it from their window.
QFont dialogFont();

// The bold sans-serif face of the design's titles, at `pointSize`. Where the
// named face is missing the system's sans-serif face stands in.
QFont titleFont(qreal pointSize);

// `palette` with its inactive colours made the same as its active ones: the
// controls look the same whether their window is active or not, and a
// window is not painted afresh each time it gives way to a message box.
QPalette withoutInactiveLook(QPalette palette);
