#include "designfont.h"

#include <QApplication>

QFont dialogFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

QFont titleFont(qreal pointSize)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}
