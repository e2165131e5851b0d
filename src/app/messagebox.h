// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frontend.h"

#include <memory>

class QMessageBox;
class QWidget;

// Shows a modal message box in the classic styles: Yes, No and Cancel or Yes
// and No with the question icon, OK with the critical icon or with none. An
// empty title shows the program's name, "Tallywick"; a carriage return in
// the prompt breaks its line.
MessageAnswer showMessageBox(QWidget *parent, const QString &prompt, MessageStyle style,
                             const QString &title);

// The same, for prompts that come again and again during a run, such as the
// install question: a prompt shown just before with the same title and
// buttons reuses that box instead of building a new one.
class MessageBoxes
{
public:
    MessageBoxes();
    ~MessageBoxes();

    MessageAnswer show(QWidget *parent, const QString &prompt, MessageStyle style,
                       const QString &title);

private:
    bool canReuse(QWidget *parent, const QString &text, MessageStyle style,
                  const QString &title) const;

    std::unique_ptr<QMessageBox> m_last;
    MessageStyle m_lastStyle = MessageStyle::Plain;
};
