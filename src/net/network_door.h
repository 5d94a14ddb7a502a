#pragma once

#include <QObject>
#include <QString>

class Messenger;
class DoorServer;
class TerminalModel;
struct DoorSettings;

// A network door's handlers (the rigctld door's, the XML-RPC door's): listening, and stopping, at
// the address and port its settings name, and the door's traffic in its terminal. Only loopback
// is listened on unless the user gives another address, which is confirmed once: anyone on that
// network could key the transmitter.
class NetworkDoor : public QObject {
    Q_OBJECT
public:
    struct Deps {
        QString title; // "Network", "XML-RPC": the door's name in its messages
        const DoorSettings &settings;
        DoorServer &server;
        TerminalModel &terminal;
        Messenger &messenger;
    };
    explicit NetworkDoor(Deps deps, QObject *parent = nullptr);

    // Listens, or stops listening.
    void toggle();
    // At start: listens when the door's "Auto Connect" is set.
    void listenAtStart();
    bool isListening() const;

signals:
    // The user agreed to listen on this address beyond this computer: kept in the settings.
    void addressConfirmed(const QString &address);

private:
    bool listen(bool asked);

    Deps d;
};
