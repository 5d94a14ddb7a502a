#pragma once

#include "platform/messenger.h"

#include <QList>

class QMessageBox;
class QWidget;

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
