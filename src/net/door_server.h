#pragma once

#include "net/rigctl_client.h"

#include <QHostAddress>
#include <QObject>

// A network door's server as its frame in the window drives it: where it listens, and a line for
// the door's terminal for every call, answer and note. The rigctld door and the XML-RPC door are
// two of these.
class DoorServer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Listens; false (and a note saying why) when the address or port cannot be had, and the
    // door stays closed. Listening again first closes what was open.
    virtual bool listen(const QHostAddress &address, quint16 port) = 0;
    // Stops listening and disconnects every client.
    virtual void close() = 0;
    virtual bool isListening() const = 0;

signals:
    // A line for the terminal: client 0 is the door itself.
    void traffic(int client, TrafficDirection direction, const QString &text);
    void clientCountChanged(int count);
    void listeningChanged(bool listening);
};
