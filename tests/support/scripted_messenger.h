#pragma once

#include "platform/messenger.h"

#include <QList>

// Records every message and answers from a script (Yes when the script runs out).
class ScriptedMessenger final : public Messenger {
public:
    bool show(const Message &message) override
    {
        shown.append(message);
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    QList<Message> shown;
    QList<bool> answers;
};
