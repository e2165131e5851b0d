// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class LineControl;
class QLabel;
class QPushButton;

// The About window: title, version, a description, the credit and contact
// lines. Modeless; OK, Enter and Escape close it.
class AboutWindow : public QDialog
{
    Q_OBJECT

public:
    explicit AboutWindow(QWidget *parent);

    // Shows the window, centred, and returns at once.
    void loadForm();

    // Escape closes the window as OK does.
    void reject() override;

private Q_SLOTS:
    void cmdOK_Click();

private:
    void createEtchedSeparator();

    QPushButton *cmdOK = nullptr;
    QLabel *picIcon = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    LineControl *separatorLine[2] = {nullptr, nullptr};
};
