#pragma once

#include "net/door_server.h"
#include "net/rigctl_client.h"
#include "platform/clock.h"
#include "rig/request_tracker.h"

#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QTcpServer>

class RigAccess;

// The network front door: a rigctld-compatible server on the bridge's virtual rig, for station
// programs that speak Hamlib's NET rigctl (model 2). Reads are answered from the virtual rig or
// asked of the rig, settings go to the rig queue, all through RigAccess as a network source per
// client. Every line of traffic is reported for the "Network" terminal.
// Only the bridge's own user is served from this machine: a client whose socket belongs to
// another user is refused. Clients from other machines reach it only where the user has chosen
// to listen beyond this one.
class RigctlServer : public DoorServer {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 4532;
    // Clients served at once; a newcomer past this takes the place of the one idle longest.
    static constexpr int kMaxClients = 64;

    explicit RigctlServer(RigAccess &rig, const Clock &clock = systemClock(),
                          QObject *parent = nullptr);
    ~RigctlServer() override;

    bool listen(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost),
                quint16 port = kDefaultPort) override;
    void close() override;
    bool isListening() const override { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    int clientCount() const { return int(m_clients.size()); }

    void setReadTimeout(int ms) { m_readTimeoutMs = ms; }

private:
    void acceptClients();
    // Whether a client may be served: one from this machine only when its user is the bridge's.
    bool admits(QTcpSocket *socket);
    // Room for a newcomer: the client idle longest with nothing waiting is closed. False when
    // every client is busy.
    bool makeRoom();
    void clientGone(int number);
    RigctlClient *client(const Source &source) const;

    RigAccess &m_rig;
    const Clock &m_clock;
    QTcpServer m_server;
    QMap<int, RigctlClient *> m_clients;
    int m_nextNumber = 1;
    // A client's read waits as long as the rig's tracker waits for its reply, and no longer.
    int m_readTimeoutMs = int(RequestTracker::kReplyWindowMs);
};
