// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowlook.h"

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

QPalette withoutInactiveLook(QPalette palette)
{
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colourRole = QPalette::ColorRole(role);
        palette.setBrush(QPalette::Inactive, colourRole,
                         palette.brush(QPalette::Active, colourRole));
    }
    return palette;
}
