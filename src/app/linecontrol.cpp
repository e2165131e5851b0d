// SPDX-License-Identifier: GPL-3.0-or-later
#include "linecontrol.h"

#include <QPainter>

LineControl::LineControl(QWidget *parent, int penWidth, QPalette::ColorRole colour)
    : QWidget(parent), m_penWidth(penWidth), m_colour(colour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int top = (height() - m_penWidth) / 2;
    painter.fillRect(0, top, width(), m_penWidth, palette().color(m_colour));
}
