#pragma once

#include <QFont>

// The windows' dialog font: the system's own face at the 8 points that the
// design's twips were laid out for. The controls take it from their window.
QFont dialogFont();

// The bold sans-serif face of the design's titles, at `pointSize`. Where the
// named face is missing the system's sans-serif face stands in.
QFont titleFont(qreal pointSize);
