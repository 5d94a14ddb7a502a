#pragma once

#include "net/door_server.h"
#include "net/rigctl_client.h"
#include "platform/clock.h"
#include "rig/rig_access.h"

#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QHttpServerRequest;
class QTcpServer;
class QTcpSocket;
class RigAccess;
class XmlRpcConnection;

// The flrig door: flrig's XML-RPC interface over HTTP/1.1 on the bridge's virtual rig, for station
// programs that control a radio through flrig (fldigi, WSJT-X's "FLRig" rig, Hamlib's FLRig
// backend). Each connection is a source of its own at the rig and keeps its own VFO choice.
//
// Only the bridge's own user, and no web page: a connection from a program of another user of this
// machine is refused when it is made, and a request is refused with 403 when it carries Origin (a
// browser always sends it with a page's request), has a Content-Type other than text/xml (the types
// a page may send without asking first are text/plain and form data), or names in Host neither this
// computer nor the door's own address (a page behind a name that resolves to 127.0.0.1). Every call
// and its answer make one line of traffic for the terminal, as do refusals.
class XmlRpcServer : public DoorServer {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 12345;
    // Past this many clients a newcomer takes the place of the one idle longest, or is refused
    // when every client is busy.
    static constexpr int kMaxClients = 32;
    static constexpr qsizetype kMaxBody = 64 * 1024;
    // How long a call waits for each reply or setting of the rig before it gets a fault; well
    // inside the 5 s Hamlib's FLRig backend waits for an answer.
    static constexpr int kDefaultStepTimeoutMs = 3000;
    // How long a request may take to arrive once it has begun.
    static constexpr int kDefaultRequestTimeoutMs = 10000;

    // The user a peer's program on this machine runs as; nullopt when it cannot be told.
    using PeerUid = std::function<std::optional<uint>(const QTcpSocket &)>;

    explicit XmlRpcServer(RigAccess &rig, const Clock &clock = systemClock(),
                          QObject *parent = nullptr);
    ~XmlRpcServer() override;

    bool listen(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost),
                quint16 port = kDefaultPort) override;
    void close() override;
    bool isListening() const override;
    quint16 port() const;
    int clientCount() const { return int(m_clients.size()); }

    // "Full" (the default) or "Freq/Mode": under "Freq/Mode" only frequency, mode and the
    // client's VFO choice are set; keying, split, power, passband and CAT text are refused.
    void setPermission(Permission permission);
    Permission permission() const { return m_permission; }

    void setStepTimeout(int ms) { m_stepTimeoutMs = ms; }
    void setRequestTimeout(int ms) { m_requestTimeoutMs = ms; }
    // Who a peer on this machine is; the kernel's socket table unless a test says otherwise.
    void setPeerUid(PeerUid lookup) { m_peerUid = std::move(lookup); }

    // Its traffic: a call and its answer come as FromClient ("rig.set_vfo 7040000 -> OK"),
    // refusals and comings and goings as Note.

private:
    class Http;
    class Listener;
    struct Refusal;

    bool admit(QTcpSocket *socket);
    bool fromAnotherUser(QTcpSocket *socket);
    bool makeRoom();
    void handle(const QHttpServerRequest &request, QTcpSocket *socket);
    std::optional<Refusal> refusalOf(const QHttpServerRequest &request,
                                     const QTcpSocket &socket) const;
    void send(XmlRpcConnection *connection, const QByteArray &body, bool closeAfter);
    XmlRpcConnection *client(const Source &source) const;
    void note(int client, const QString &text);

    RigAccess &m_rig;
    const Clock &m_clock;
    std::unique_ptr<Http> m_http;
    QPointer<QTcpServer> m_listener;
    QMap<int, XmlRpcConnection *> m_clients;
    int m_nextNumber = 1;
    Permission m_permission = Permission::Full;
    int m_stepTimeoutMs = kDefaultStepTimeoutMs;
    int m_requestTimeoutMs = kDefaultRequestTimeoutMs;
    PeerUid m_peerUid;
};
