// SPDX-License-Identifier: GPL-3.0-or-later
#include "twips.h"

#include <QWidget>

Twips::Twips(const QWidget *widget) : m_dpiX(widget->logicalDpiX()), m_dpiY(widget->logicalDpiY())
{}

int Twips::x(int twips) const
{
    return qRound(twips * m_dpiX / PerInch);
}

int Twips::y(int twips) const
{
    return qRound(twips * m_dpiY / PerInch);
}

QRect Twips::rect(int left, int top, int width, int height) const
{
    return {x(left), y(top), x(width), y(height)};
}
