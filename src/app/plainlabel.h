// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QWidget;

// A label of plain text at a fixed place, named for lookups and tests.
QLabel *plainLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry);
