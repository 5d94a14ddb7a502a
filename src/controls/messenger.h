#pragma once

#include <QList>
#include <QString>

class QMessageBox;
class QWidget;

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

// QMessageBox, parented to the main window.
class MessageBoxMessenger final : public Messenger {
public:
    explicit MessageBoxMessenger(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    // From now on no box is shown and every question is answered Yes (a shutdown by signal); a
    // box open now is closed, answered as OK or Yes.
    void answerEverythingYes();
    bool show(const Message &message) override;

private:
    QWidget *m_parent;
    bool m_answerYes = false;
    QList<QMessageBox *> m_open; // a box may open above another one, from its event loop
};
