#include "controls/messenger.h"

#include "controls/version.h"

#include <QMessageBox>

bool MessageBoxMessenger::show(const Message &message)
{
    if (m_answerYes)
        return true;
    QMessageBox box(m_parent);
    box.setWindowTitle(message.title.isEmpty() ? QString::fromLatin1(kAppTitle) : message.title);
    box.setText(message.text);
    switch (message.icon) {
    case Message::Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Message::Icon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case Message::Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Message::Icon::None:
        break;
    }
    if (message.buttons == Message::Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    m_open.append(&box);
    const int answer = box.exec();
    m_open.removeOne(&box);
    return m_answerYes || answer != QMessageBox::No;
}

void MessageBoxMessenger::answerEverythingYes()
{
    m_answerYes = true;
    for (QMessageBox *box : std::as_const(m_open))
        box->done(box->button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok);
}
