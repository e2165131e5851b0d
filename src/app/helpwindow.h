// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class ReportFolder;

// The Help window: a short history of the tool and a quick help. Modeless,
// resizable, and nothing in it moves when it is resized.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    HelpWindow(const ReportFolder &reportFolder, QWidget *parent);

    // Shows the window, centred, and returns at once.
    void loadForm();

private Q_SLOTS:
    void cmdCommand1_Click();

private:
    QLabel *lblLabel1 = nullptr;
    QLabel *lblLabel3 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *cmdCommand1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblLabel2 = nullptr;
};
