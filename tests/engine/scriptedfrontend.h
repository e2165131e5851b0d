#pragma once

#include "platform/frontend.h"

#include <QStringList>

#include <functional>

// A front end whose answers are scripted by the test. It records every
// message it is shown and can act at a chosen pump of the walk.
class ScriptedFrontEnd : public FrontEnd
{
public:
    void pumpEvents() override
    {
        ++pumps;
        if (onPump)
            onPump(pumps);
    }

    MessageAnswer messageBox(const QString &prompt, MessageStyle style,
                             const QString &title) override
    {
        messages << prompt;
        titles << title;
        if (style != MessageStyle::YesNoQuestion && style != MessageStyle::YesNoCancelQuestion)
            return MessageAnswer::Ok;
        ++questions;
        return onQuestion ? onQuestion() : installAnswer;
    }

    void endProgram() override { ended = true; }

    int pumps = 0;
    int questions = 0;
    bool ended = false;
    QStringList messages;
    QStringList titles;
    MessageAnswer installAnswer = MessageAnswer::No;
    std::function<void(int pump)> onPump;
    std::function<MessageAnswer()> onQuestion;
};
