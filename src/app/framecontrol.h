// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

// A frame with its caption set into the top of its border, so that what it
// holds is placed from the frame's own top edge, whatever the style.
class FrameControl : public QGroupBox
{
    Q_OBJECT

public:
    FrameControl(const QString &caption, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};
