// SPDX-License-Identifier: GPL-3.0-or-later
#include "readabletooltips.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPalette>
#include <QToolTip>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr double LeastTextContrast = 4.5;

// The share of light a colour gives off, 0 (black) to 1 (white).
double luminanceOf(const QColor &colour)
{
    const auto linear = [](float channelValue) {
        const double channel = channelValue;
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

} // namespace

double contrastOf(const QColor &text, const QColor &background)
{
    const double a = luminanceOf(text);
    const double b = luminanceOf(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

ReadableToolTips::ReadableToolTips(QObject *parent) : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

// The style gives a tip its colours after the filters have seen its polish
// event: by the time it is shown, they are its own.
bool ReadableToolTips::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched->inherits("QTipLabel")) {
        auto *tip = static_cast<QWidget *>(watched);
        const QPalette platform = QToolTip::palette();
        QPalette colours = tip->palette();
        if (contrastOf(colours.color(QPalette::ToolTipText),
                       platform.color(QPalette::ToolTipBase)) < LeastTextContrast) {
            colours.setColor(QPalette::ToolTipText, platform.color(QPalette::ToolTipText));
            tip->setPalette(colours);
        }
    }
    return QObject::eventFilter(watched, event);
}
