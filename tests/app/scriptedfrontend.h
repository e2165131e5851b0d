#pragma once

#include "platform/frontend.h"

#include <QList>
#include <QString>

#include <functional>

// The engine's front end with scripted answers; it records every message.
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
        if (onPump)
            onPump();
    }

    MessageAnswer messageBox(const QString &prompt, MessageStyle style,
                             const QString &title) override
    {
        messages.append({prompt, style, title});
        const bool isQuestion =
            style == MessageStyle::YesNoQuestion || style == MessageStyle::YesNoCancelQuestion;
        return isQuestion ? answer : MessageAnswer::Ok;
    }

    void endProgram() override { ended = true; }

    MessageAnswer answer = MessageAnswer::Cancel;
    std::function<void()> onPump;
    QList<Message> messages;
    bool ended = false;
};
