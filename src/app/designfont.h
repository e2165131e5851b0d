#pragma once

#include <QFont>

// The bold sans-serif face of the design's titles, at `pointSize`. Where the
// named face is missing the system's sans-serif face stands in.
QFont titleFont(qreal pointSize);
