#include "net/xmlrpc_server.h"

#include "net/local_peer.h"
#include "net/xmlrpc_connection.h"
#include "rig/rig_access.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMetaEnum>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

namespace {

using Status = QHttpServerResponder::StatusCode;

// Bytes of one request the door holds: the largest body and its headers. Qt reads no more of a
// socket than this before the request is taken; a request that does not fit is cut off.
constexpr qint64 kMaxRequest = XmlRpcServer::kMaxBody + 8 * 1024;
// Unsent answers past which a client that does not read them is cut off.
constexpr qint64 kMaxUnsent = 64 * 1024;

// What the door knows of one socket: the client it belongs to, Qt's request object of the socket
// (one for all its requests, as long as the socket lives), which answers are written for, and how
// much of the next request has come and since when.
class SocketState : public QObject {
    Q_OBJECT
public:
    explicit SocketState(QTcpSocket *socket) : QObject(socket) { stall.setSingleShot(true); }

    XmlRpcConnection *connection = nullptr;
    const QHttpServerRequest *request = nullptr;
    qint64 pending = 0;
    QTimer stall;
    bool cutOff = false;
};

SocketState *stateOf(const QObject *socket)
{
    return socket ? socket->findChild<SocketState *>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

QByteArray header(const QHttpServerRequest &request, QByteArrayView name, int *count = nullptr)
{
    QByteArray value;
    int n = 0;
    for (const auto &[key, v] : request.headers()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            value = v;
            ++n;
        }
    }
    if (count)
        *count = n;
    return value;
}

// Ends a connection: Qt's server reads no more of it (a read it has queued would find the socket
// closed), and it is closed at once, or once what is written has gone out.
void cutOff(QTcpSocket *socket, const QObject *http, bool gently = false)
{
    QObject::disconnect(socket, &QTcpSocket::readyRead, http, nullptr);
    if (SocketState *state = stateOf(socket)) {
        state->cutOff = true;
        state->stall.stop();
    }
    if (gently)
        socket->disconnectFromHost();
    else
        socket->abort();
}

QString requestLine(const QHttpServerRequest &request)
{
    const char *method =
        QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(request.method()));
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(method ? method : "?").toUpper(),
                                       request.url().path());
}

} // namespace

// Qt's HTTP server, handing every request it has read to the door.
class XmlRpcServer::Http : public QAbstractHttpServer {
public:
    explicit Http(XmlRpcServer &door) : m_door(door) {}

    static void respond(const QHttpServerRequest &request, QTcpSocket *socket,
                        const QByteArray &body, const QByteArray &type, Status status)
    {
        makeResponder(request, socket).write(body, type, status);
    }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        m_door.handle(request, socket);
        return true;
    }
    void missingHandler(const QHttpServerRequest &, QTcpSocket *) override {}

private:
    XmlRpcServer &m_door;
};

// The listening socket, which lets through only the connections the door admits.
class XmlRpcServer::Listener : public QTcpServer {
public:
    explicit Listener(XmlRpcServer &door) : m_door(door) {}

    QTcpSocket *nextPendingConnection() override
    {
        while (QTcpSocket *socket = QTcpServer::nextPendingConnection()) {
            if (m_door.admit(socket))
                return socket;
            socket->abort();
            socket->deleteLater();
        }
        return nullptr;
    }

private:
    XmlRpcServer &m_door;
};

struct XmlRpcServer::Refusal {
    Status status;
    QString why;
};

XmlRpcServer::XmlRpcServer(RigAccess &rig, const Clock &clock, QObject *parent)
    : DoorServer(parent), m_rig(rig), m_clock(clock),
      m_peerUid([](const QTcpSocket &socket) { return loopbackPeerUid(socket); })
{
    connect(&rig, &RigAccess::replied, this, [this](const Source &source, const QByteArray &reply) {
        if (XmlRpcConnection *c = client(source))
            c->onReplied(reply);
    });
    connect(&rig, &RigAccess::unanswered, this,
            [this](const Source &source, const QByteArray &query) {
                if (XmlRpcConnection *c = client(source))
                    c->onUnanswered(query);
            });
    connect(&rig, &RigAccess::settled, this,
            [this](const Source &source, const QByteArray &setting, SettingResult result) {
                if (XmlRpcConnection *c = client(source))
                    c->onSettled(setting, result);
            });
}

XmlRpcServer::~XmlRpcServer()
{
    close();
    // The sockets and their clients go now, while the rig they tell to forget them is there.
    m_http.reset();
}

bool XmlRpcServer::listen(const QHostAddress &address, quint16 port)
{
    close();
    // Made when first needed: Qt's HTTP server loads its libraries as it is made, a cost a bridge
    // whose door never listens need not pay at start.
    if (!m_http)
        m_http = std::make_unique<Http>(*this);
    auto *listener = new Listener(*this);
    listener->setMaxPendingConnections(kMaxClients);
    if (!listener->listen(address, port)) {
        note(0, QStringLiteral("Cannot listen on %1 port %2: %3. The bridge goes on without the "
                               "XML-RPC door.")
                    .arg(address.toString())
                    .arg(port)
                    .arg(listener->errorString()));
        delete listener;
        return false;
    }
    m_http->bind(listener);
    m_listener = listener;
    note(0, QStringLiteral("Listening on %1 port %2 for flrig XML-RPC clients")
                .arg(listener->serverAddress().toString())
                .arg(listener->serverPort()));
    emit listeningChanged(true);
    return true;
}

void XmlRpcServer::close()
{
    const bool was = isListening();
    const QList<XmlRpcConnection *> clients = m_clients.values();
    for (XmlRpcConnection *c : clients) {
        if (auto *socket = qobject_cast<QTcpSocket *>(c->parent()))
            cutOff(socket, m_http.get()); // the client sees disconnected() and goes
    }
    if (m_listener) {
        m_listener->close();
        m_listener->deleteLater();
        m_listener = nullptr;
    }
    if (was) {
        note(0, QStringLiteral("Stopped listening"));
        emit listeningChanged(false);
    }
}

bool XmlRpcServer::isListening() const
{
    return m_listener && m_listener->isListening();
}

quint16 XmlRpcServer::port() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

void XmlRpcServer::setPermission(Permission permission)
{
    m_permission = permission;
    for (XmlRpcConnection *c : std::as_const(m_clients))
        c->setPermission(permission);
}

bool XmlRpcServer::fromAnotherUser(QTcpSocket *socket)
{
    QHostAddress peer = socket->peerAddress();
    bool v4 = false;
    if (const quint32 address = peer.toIPv4Address(&v4); v4)
        peer = QHostAddress(address); // "::ffff:127.0.0.1" is loopback too
    if (!peer.isLoopback() && !QNetworkInterface::allAddresses().contains(peer))
        return false; // from beyond this machine: the user chose to listen there
    const std::optional<uint> uid = m_peerUid(*socket);
    if (uid && *uid == uint(::geteuid()))
        return false;
    const QString from = QStringLiteral("%1 port %2").arg(peer.toString()).arg(socket->peerPort());
    note(0,
         uid ? QStringLiteral("Refused a connection from %1: a program of another user (uid %2)")
                   .arg(from)
                   .arg(*uid)
             : QStringLiteral("Refused a connection from %1: its user cannot be told").arg(from));
    return true;
}

bool XmlRpcServer::makeRoom()
{
    XmlRpcConnection *oldest = nullptr;
    for (XmlRpcConnection *c : std::as_const(m_clients)) {
        const SocketState *state = stateOf(c->parent());
        if (c->isIdle() && state && state->pending == 0 &&
            (!oldest || c->idleMs() > oldest->idleMs()))
            oldest = c;
    }
    if (!oldest) {
        note(0, QStringLiteral("Refused a connection: %1 clients are connected and none is idle")
                    .arg(kMaxClients));
        return false;
    }
    note(0, QStringLiteral("Closed client #%1, idle for %2 s, to make room for a new connection "
                           "(%3 clients are connected)")
                .arg(oldest->number())
                .arg(oldest->idleMs() / 1000)
                .arg(kMaxClients));
    cutOff(qobject_cast<QTcpSocket *>(oldest->parent()), m_http.get());
    return true;
}

bool XmlRpcServer::admit(QTcpSocket *socket)
{
    if (fromAnotherUser(socket) || (m_clients.size() >= kMaxClients && !makeRoom()))
        return false;
    const QString peer =
        QStringLiteral("%1 port %2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
    // Qt takes no more from the kernel than one request can be: a flood waits in the client's
    // own TCP window.
    socket->setReadBufferSize(kMaxRequest + 1);
    const int number = m_nextNumber++;
    auto *state = new SocketState(socket);
    auto *c = new XmlRpcConnection(number, socket, m_rig, m_clock, m_stepTimeoutMs);
    state->connection = c;
    c->setPermission(m_permission);
    connect(c, &XmlRpcConnection::traffic, this, &XmlRpcServer::traffic);
    connect(c, &XmlRpcConnection::answered, this,
            [this, c](const QByteArray &body, bool closeAfter) { send(c, body, closeAfter); });
    connect(c, &XmlRpcConnection::gone, this, [this](int gone) {
        if (m_clients.remove(gone))
            emit clientCountChanged(clientCount());
    });
    // Connected before Qt's own reading of the socket: what it will read is counted first.
    connect(socket, &QTcpSocket::readyRead, state, [this, socket, state, number] {
        if (state->cutOff)
            return;
        state->pending += socket->bytesAvailable();
        if (state->pending > kMaxRequest) {
            note(number, QStringLiteral("sent more than %1 bytes before its answers (a request "
                                        "larger than the door takes, or too many at once): "
                                        "disconnected")
                             .arg(kMaxRequest));
            cutOff(socket, m_http.get());
        } else if (!state->stall.isActive()) {
            m_clock.start(state->stall, m_requestTimeoutMs);
        }
    });
    connect(&state->stall, &QTimer::timeout, socket, [this, socket, number] {
        note(number, QStringLiteral("began a request and did not finish it in %1 s: "
                                    "disconnected")
                         .arg(m_requestTimeoutMs / 1000.0));
        cutOff(socket, m_http.get());
    });
    m_clients.insert(number, c);
    note(number, QStringLiteral("connected from %1").arg(peer));
    emit clientCountChanged(clientCount());
    return true;
}

std::optional<XmlRpcServer::Refusal> XmlRpcServer::refusalOf(const QHttpServerRequest &request,
                                                             const QTcpSocket &socket) const
{
    if (request.body().size() > kMaxBody)
        return Refusal{Status::PayloadTooLarge,
                       QStringLiteral("its body is larger than %1 bytes").arg(kMaxBody)};
    if (request.method() != QHttpServerRequest::Method::Post)
        return Refusal{Status::MethodNotAllowed, QStringLiteral("only POST is answered")};
    int count = 0;
    const QByteArray origin = header(request, "origin", &count);
    if (count > 0)
        return Refusal{Status::Forbidden,
                       QStringLiteral("it carries Origin: %1, as a web page's request does")
                           .arg(QString::fromLatin1(origin.left(80)))};
    const QByteArray type = header(request, "content-type", &count);
    if (type.split(';').first().trimmed().toLower() != "text/xml")
        return Refusal{Status::Forbidden, QStringLiteral("its Content-Type is %1, not text/xml")
                                              .arg(count ? QString::fromLatin1(type.left(80))
                                                         : QStringLiteral("none"))};
    const QByteArray host = header(request, "host", &count);
    if (count != 1)
        return Refusal{
            Status::Forbidden,
            QStringLiteral("it names %1 Host").arg(QLatin1String(count ? "more than one" : "no"))};
    // The Host names this computer, whatever port it gives: a loopback address, localhost, or the
    // address the client reached the door at.
    QUrl url;
    url.setAuthority(QString::fromLatin1(host));
    const QString name = url.host();
    const QHostAddress address(name);
    const bool here =
        url.isValid() && !name.isEmpty() &&
        (name.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
         (!address.isNull() &&
          (address.isLoopback() ||
           address.isEqual(socket.localAddress(), QHostAddress::ConvertV4MappedToIPv4) ||
           (m_listener &&
            address.isEqual(m_listener->serverAddress(), QHostAddress::ConvertV4MappedToIPv4)))));
    if (!here)
        return Refusal{Status::Forbidden, QStringLiteral("its Host %1 names another computer")
                                              .arg(QString::fromLatin1(host.left(80)))};
    return std::nullopt;
}

void XmlRpcServer::handle(const QHttpServerRequest &request, QTcpSocket *socket)
{
    SocketState *state = stateOf(socket);
    if (!state || state->cutOff)
        return;
    state->pending = 0;
    state->stall.stop();
    state->request = &request;
    const int number = state->connection->number();
    if (const std::optional<Refusal> refusal = refusalOf(request, *socket)) {
        note(number, QStringLiteral("refused %1: %2").arg(requestLine(request), refusal->why));
        Http::respond(request, socket, "Refused: " + refusal->why.toUtf8() + '\n', "text/plain",
                      refusal->status);
        cutOff(socket, m_http.get(), true);
        return;
    }
    QString error;
    std::optional<XmlRpcCall> call = xmlrpc::parseCall(request.body(), error);
    const bool closeAfter = header(request, "connection").toLower().contains("close");
    const bool taken =
        call ? state->connection->enqueue(std::move(*call), closeAfter)
             : state->connection->enqueue(
                   {}, closeAfter,
                   QStringLiteral("the request holds no XML-RPC call: %1").arg(error));
    if (!taken) {
        note(number, QStringLiteral("sent more than %1 calls without reading the answers: "
                                    "disconnected")
                         .arg(XmlRpcConnection::kMaxQueued));
        cutOff(socket, m_http.get());
    }
}

void XmlRpcServer::send(XmlRpcConnection *connection, const QByteArray &body, bool closeAfter)
{
    auto *socket = qobject_cast<QTcpSocket *>(connection->parent());
    const SocketState *state = stateOf(socket);
    if (!state || !state->request || socket->state() != QAbstractSocket::ConnectedState)
        return;
    Http::respond(*state->request, socket, body, "text/xml", Status::Ok);
    if (closeAfter) {
        cutOff(socket, m_http.get(), true); // once the answer is out
    } else if (socket->bytesToWrite() > kMaxUnsent) {
        note(connection->number(), QStringLiteral("does not read its answers: disconnected"));
        cutOff(socket, m_http.get());
    }
}

XmlRpcConnection *XmlRpcServer::client(const Source &source) const
{
    if (source.kind != Source::Kind::XmlRpc)
        return nullptr;
    return m_clients.value(source.index, nullptr);
}

void XmlRpcServer::note(int client, const QString &text)
{
    emit traffic(client, TrafficDirection::Note, text);
}

#include "xmlrpc_server.moc"
