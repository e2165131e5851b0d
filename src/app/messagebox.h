#pragma once

#include "platform/frontend.h"

class QWidget;

// Shows a modal message box in the classic styles: Yes, No and Cancel or Yes
// and No with the question icon, OK with the critical icon or with none. An
// empty title shows the program's name, "Tallywick"; a carriage return in
// the prompt breaks its line.
MessageAnswer showMessageBox(QWidget *parent, const QString &prompt, MessageStyle style,
                             const QString &title);
