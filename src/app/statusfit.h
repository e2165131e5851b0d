// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runprogress.h"

#include <QString>

class QFontMetrics;

// The status line's text made to fit `width` pixels: a long directory loses
// its middle, a report path its folder's middle, so that the report's file
// name shows whole. A line still too wide, at a large font, is cut at its end.
QString fittedStatusText(RunProgress progress, const QFontMetrics &metrics, int width);
