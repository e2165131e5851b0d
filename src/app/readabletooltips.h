// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QObject>

// Keeps the tool tips of the whole program readable. The Windows style gives
// a tip the text colour of the system's visual theme, and some themes (Wine's)
// have one too faint for the tip's background: grey on white. Such a tip
// takes the platform's own tool-tip text colour instead.
class ReadableToolTips : public QObject
{
public:
    // Watches every widget of the application while `parent` lives.
    explicit ReadableToolTips(QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// How far apart two colours are for the eye: 1 (the same lightness) to 21
// (black and white). Text wants 4.5 at least against its background.
double contrastOf(const QColor &text, const QColor &background);
