// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frontend.h"

#include <QList>
#include <QString>

#include <functional>

// The engine's front end with scripted answers. It records every message and
// counts the pumps and questions; a test can act at a pump or a question.
class ScriptedFrontEnd : public FrontEnd
{
public:
    struct Message
    {
        QString prompt;
        MessageStyle style;
        QString title;
    };

    void pumpEvents() override
    {
        ++pumps;
        if (onPump)
            onPump();
    }

    void pumpEventsWhileBusy() override
    {
        ++busyPumps;
        if (onBusyPump)
            onBusyPump();
    }

    MessageAnswer messageBox(const QString &prompt, MessageStyle style,
                             const QString &title) override
    {
        messages.append({prompt, style, title});
        if (style != MessageStyle::YesNoQuestion && style != MessageStyle::YesNoCancelQuestion)
            return MessageAnswer::Ok;
        ++questions;
        return onQuestion ? onQuestion() : answer;
    }

    void endProgram() override { ended = true; }

    MessageAnswer answer = MessageAnswer::Cancel;
    std::function<void()> onPump;
    std::function<void()> onBusyPump;
    std::function<MessageAnswer()> onQuestion;
    QList<Message> messages;
    int pumps = 0;
    int busyPumps = 0;
    int questions = 0;
    bool ended = false;
};
