// SPDX-License-Identifier: GPL-3.0-or-later
#include "programicon.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>

namespace {

// The drawing's own grid: 32 by 32 units, one unit a pixel of the large size.
constexpr qreal Grid = 32;

QPolygonF diamond(qreal inset)
{
    const qreal middle = Grid / 2;
    return QPolygonF(
        {{middle, inset}, {Grid - inset, middle}, {middle, Grid - inset}, {inset, middle}});
}

QPolygonF upwardArrow()
{
    return QPolygonF({{16, 7}, {22.5, 14}, {18, 14}, {18, 23}, {14, 23}, {14, 14}, {9.5, 14}});
}

void drawIcon(QPainter &painter)
{
    QPen outline(Qt::black);
    outline.setWidthF(1.0);
    outline.setJoinStyle(Qt::MiterJoin);
    painter.setPen(outline);
    painter.setBrush(QColor(255, 255, 0));
    painter.drawPolygon(diamond(0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(diamond(2.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(upwardArrow());
}

} // namespace

QPixmap programPixmap(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, size < Grid);
    painter.scale(size / Grid, size / Grid);
    drawIcon(painter);
    painter.end();
    return QPixmap::fromImage(image);
}

QIcon programIcon()
{
    QIcon icon;
    icon.addPixmap(programPixmap(32));
    icon.addPixmap(programPixmap(16));
    return icon;
}
