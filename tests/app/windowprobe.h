// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mainwindow.h"

#include <QCheckBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <functional>

// Reaches into the main window by its controls' names, as a user sees it.
class WindowProbe
{
public:
    explicit WindowProbe(MainWindow &window) : m_window(window) {}

    template <typename Control = QWidget> Control *control(const char *name) const
    {
        return m_window.findChild<Control *>(QLatin1String(name));
    }

    QPushButton *createButton() const { return control<QPushButton>("botOK"); }
    QString caption() const { return createButton()->text(); }
    // The status line in full, as its tool tip holds it.
    QString status() const { return m_window.statusBar()->toolTip(); }

    // The seven controls a run locks, all enabled (or all disabled).
    bool runLockSetEnabled(bool enabled) const
    {
        for (const char *name : {"botcancel", "chm", "chg", "chi", "chv", "Drive", "Dir"})
            if (control(name)->isEnabled() != enabled)
                return false;
        return true;
    }

    enum Start { Mouse, Keyboard }; // the keyboard leaves the focus where it is

    // Clicks Create and runs `duringRun` at every pump of the walk until it
    // returns true. Returns when the click that started the run has ended.
    void runWith(const std::function<bool()> &duringRun, Start start = Mouse)
    {
        QTimer pump;
        pump.setInterval(0);
        QObject::connect(&pump, &QTimer::timeout, [&] {
            if (duringRun())
                pump.stop();
        });
        pump.start();
        start == Mouse ? QTest::mouseClick(createButton(), Qt::LeftButton)
                       : createButton()->click();
        pump.stop();
    }

private:
    MainWindow &m_window;
};
