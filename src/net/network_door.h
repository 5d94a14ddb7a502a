#pragma once

#include <QObject>
#include <QString>

#include <functional>

class Messenger;
class NetworkFrame;
class DoorServer;
class TerminalModel;

// A network door frame's handlers (the rigctld door's, the XML-RPC door's): listening, and
// stopping, at the address and port its boxes show, and the door's traffic in its terminal. Only
// loopback is listened on unless the user types another address, which is confirmed once: anyone on
// that network could key the transmitter.
class NetworkDoor : public QObject {
    Q_OBJECT
public:
    struct Deps {
        NetworkFrame &frame;
        DoorServer &server;
        TerminalModel &terminal;
        Messenger &messenger;
    };
    explicit NetworkDoor(Deps deps, QObject *parent = nullptr);

    // Where the address a user has agreed to listen on is kept (the extra settings file).
    void keepConfirmationIn(std::function<QString()> confirmed,
                            std::function<void(const QString &)> confirm)
    {
        m_confirmed = std::move(confirmed);
        m_confirm = std::move(confirm);
    }

    // Listens, or stops listening.
    void btnListen_Click();
    // At start: listens when the frame's "Auto Connect" box is set.
    void listenAtStart();

private:
    bool listen(bool asked);
    void showListening(bool listening);

    Deps d;
    std::function<QString()> m_confirmed = [] { return QString(); };
    std::function<void(const QString &)> m_confirm = [](const QString &) {};
};
