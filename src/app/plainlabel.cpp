// SPDX-License-Identifier: GPL-3.0-or-later
#include "plainlabel.h"

#include <QLabel>

QLabel *plainLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}
