#pragma once

#include <QString>

// A modal message as the user sees it. An empty title shows the application's title.
struct Message {
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Warning, Stop, Information };
    QString title;
    QString text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

// Every message box goes through here, so tests can read the text and give the answer.
class Messenger {
public:
    virtual ~Messenger() = default;
    // True for Yes (and for OK).
    virtual bool show(const Message &message) = 0;

    void warning(const QString &text)
    {
        show({QStringLiteral("Warning"), text, Message::Buttons::Ok, Message::Icon::Warning});
    }
};

// No one to ask (a bridge without a window): every message is a line on standard error, and every
// question is answered as `answer` says.
class StderrMessenger final : public Messenger {
public:
    explicit StderrMessenger(bool answer) : m_answer(answer) {}
    bool show(const Message &message) override;

private:
    bool m_answer;
};
