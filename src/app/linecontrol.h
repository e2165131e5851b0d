#pragma once

#include <QColor>
#include <QWidget>

// A horizontal line drawn across the widget's width, centred in its height.
// Without a colour of its own it takes the palette's text colour.
class LineControl : public QWidget
{
    Q_OBJECT

public:
    explicit LineControl(QWidget *parent, int penWidth = 1, QColor color = QColor());

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_penWidth;
    QColor m_color;
};
