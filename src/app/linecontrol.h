// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPalette>
#include <QWidget>

// A horizontal line drawn across the widget's width, centred in its height,
// in one colour of the palette (its text colour unless told otherwise), so
// that it follows a light or a dark desktop theme.
class LineControl : public QWidget
{
    Q_OBJECT

public:
    explicit LineControl(QWidget *parent, int penWidth = 1,
                         QPalette::ColorRole colour = QPalette::WindowText);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_penWidth;
    QPalette::ColorRole m_colour;
};
