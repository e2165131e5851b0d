// SPDX-License-Identifier: GPL-3.0-or-later
#include "framecontrol.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

FrameControl::FrameControl(const QString &caption, QWidget *parent) : QGroupBox(caption, parent) {}

void FrameControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    // An etched border: a shadow line with a light line inside it.
    const QRect border = rect().adjusted(0, metrics.height() / 2, 0, 0);
    qDrawShadeRect(&painter, border, palette(), true, 1, 0);

    const int inset = metrics.averageCharWidth();
    const QRect caption(inset, 0, metrics.horizontalAdvance(title()) + inset, metrics.height());
    painter.fillRect(caption, palette().brush(backgroundRole()));
    style()->drawItemText(&painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}
