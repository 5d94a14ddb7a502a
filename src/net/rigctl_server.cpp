#include "net/rigctl_server.h"

#include "net/local_peer.h"
#include "rig/rig_access.h"

#include <QNetworkInterface>
#include <QTcpSocket>

#include <unistd.h>

RigctlServer::RigctlServer(RigAccess &rig, const Clock &clock, QObject *parent)
    : DoorServer(parent), m_rig(rig), m_clock(clock)
{
    m_server.setMaxPendingConnections(kMaxClients);
    connect(&m_server, &QTcpServer::newConnection, this, &RigctlServer::acceptClients);
    connect(&rig, &RigAccess::replied, this, [this](const Source &source, const QByteArray &reply) {
        if (RigctlClient *c = client(source))
            c->onReplied(reply);
    });
    connect(&rig, &RigAccess::unanswered, this,
            [this](const Source &source, const QByteArray &query) {
                if (RigctlClient *c = client(source))
                    c->onUnanswered(query);
            });
    connect(&rig, &RigAccess::settled, this,
            [this](const Source &source, const QByteArray &setting, SettingResult result) {
                if (RigctlClient *c = client(source))
                    c->onSettled(setting, result);
            });
}

RigctlServer::~RigctlServer()
{
    // The clients' destructors tell the rig to forget their reads; they must not outlive it.
    const QList<RigctlClient *> clients = m_clients.values();
    m_clients.clear();
    qDeleteAll(clients);
}

bool RigctlServer::listen(const QHostAddress &address, quint16 port)
{
    close();
    const QString where = QStringLiteral("%1 port %2").arg(address.toString()).arg(port);
    if (!m_server.listen(address, port)) {
        emit traffic(0, TrafficDirection::Note,
                     QStringLiteral("Cannot listen on %1: %2. The bridge goes on without the "
                                    "network server.")
                         .arg(where, m_server.errorString()));
        return false;
    }
    emit traffic(0, TrafficDirection::Note,
                 QStringLiteral("Listening on %1 for Hamlib NET rigctl clients")
                     .arg(QStringLiteral("%1 port %2")
                              .arg(m_server.serverAddress().toString())
                              .arg(m_server.serverPort())));
    emit listeningChanged(true);
    return true;
}

void RigctlServer::close()
{
    const bool was = m_server.isListening();
    m_server.close();
    const QList<RigctlClient *> clients = m_clients.values();
    m_clients.clear();
    qDeleteAll(clients);
    if (!clients.isEmpty())
        emit clientCountChanged(0);
    if (was) {
        emit traffic(0, TrafficDirection::Note, QStringLiteral("Stopped listening"));
        emit listeningChanged(false);
    }
}

void RigctlServer::acceptClients()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (!admits(socket) || (m_clients.size() >= kMaxClients && !makeRoom())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const int number = m_nextNumber++;
        auto *c = new RigctlClient(number, socket, m_rig, m_clock, m_readTimeoutMs, this);
        connect(c, &RigctlClient::traffic, this, &RigctlServer::traffic);
        connect(c, &RigctlClient::gone, this, &RigctlServer::clientGone);
        m_clients.insert(number, c);
        emit clientCountChanged(clientCount());
    }
}

bool RigctlServer::admits(QTcpSocket *socket)
{
    QHostAddress peer = socket->peerAddress();
    bool ok = false;
    if (const quint32 v4 = peer.toIPv4Address(&ok); ok)
        peer = QHostAddress(v4); // "::ffff:127.0.0.1" is loopback too
    if (!peer.isLoopback() && !QNetworkInterface::allAddresses().contains(peer))
        return true; // from beyond this machine: the user chose to listen there
    const std::optional<uint> uid = loopbackPeerUid(*socket);
    if (uid && *uid == uint(::geteuid()))
        return true;
    const QString from = QStringLiteral("%1 port %2").arg(peer.toString()).arg(socket->peerPort());
    emit traffic(0, TrafficDirection::Note,
                 uid ? QStringLiteral("Refused a connection from %1: its program runs as another "
                                      "user (uid %2) than the bridge")
                           .arg(from)
                           .arg(*uid)
                     : QStringLiteral("Refused a connection from %1: the user running its "
                                      "program cannot be told")
                           .arg(from));
    return false;
}

bool RigctlServer::makeRoom()
{
    RigctlClient *oldest = nullptr;
    for (RigctlClient *c : std::as_const(m_clients)) {
        if (c->isIdle() && (!oldest || c->idleMs() > oldest->idleMs()))
            oldest = c;
    }
    if (!oldest) {
        emit traffic(0, TrafficDirection::Note,
                     QStringLiteral("Refused a connection: %1 clients are connected and none is "
                                    "idle")
                         .arg(kMaxClients));
        return false;
    }
    emit traffic(0, TrafficDirection::Note,
                 QStringLiteral("Closed client #%1, idle for %2 s, to make room for a new "
                                "connection (%3 clients are connected)")
                     .arg(oldest->number())
                     .arg(qint64(oldest->idleMs() / 1000))
                     .arg(kMaxClients));
    oldest->evict();
    return true;
}

void RigctlServer::clientGone(int number)
{
    RigctlClient *c = m_clients.take(number);
    if (!c)
        return;
    c->deleteLater();
    emit clientCountChanged(clientCount());
}

RigctlClient *RigctlServer::client(const Source &source) const
{
    if (source.kind != Source::Kind::Network)
        return nullptr;
    return m_clients.value(source.index, nullptr);
}
