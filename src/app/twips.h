// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

class QWidget;

// Positions and sizes of the windows' design, in twips: 1440 to the inch at
// the screen's logical resolution.
class Twips
{
public:
    static constexpr int PerInch = 1440;

    explicit Twips(const QWidget *widget);

    int x(int twips) const;
    int y(int twips) const;
    QSize size(int width, int height) const { return {x(width), y(height)}; }
    QRect rect(int left, int top, int width, int height) const;

private:
    qreal m_dpiX;
    qreal m_dpiY;
};
