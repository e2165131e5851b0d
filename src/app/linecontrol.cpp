#include "linecontrol.h"

#include <QPainter>

LineControl::LineControl(QWidget *parent, int penWidth, QColor color)
    : QWidget(parent), m_penWidth(penWidth), m_color(color)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor color = m_color.isValid() ? m_color : palette().color(QPalette::WindowText);
    const int top = (height() - m_penWidth) / 2;
    painter.fillRect(0, top, width(), m_penWidth, color);
}
