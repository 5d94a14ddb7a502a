#pragma once

#include "net/rigctl_client.h"
#include "net/xmlrpc_methods.h"
#include "rig/rig_access.h"

#include "platform/clock.h"

#include <QList>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

// One client of the XML-RPC door: its calls in the order they came, each answered in turn. A
// call's reads are answered from the virtual rig or asked of the rig, its settings answered once
// the rig took them, one exchange at a time and each within a deadline, so that no call waits
// for ever. It belongs to its socket and goes with it.
class XmlRpcConnection : public QObject {
    Q_OBJECT
public:
    // Calls read ahead of the one being answered; a client that sends more without waiting for
    // its answers is cut off.
    static constexpr int kMaxQueued = 4;

    XmlRpcConnection(int number, QTcpSocket *socket, RigAccess &rig, const Clock &clock,
                     int stepTimeoutMs);
    ~XmlRpcConnection() override;

    int number() const { return m_number; }
    Source source() const { return Source{Source::Kind::XmlRpc, m_number}; }
    void setPermission(Permission permission) { m_permission = permission; }
    // No call running or waiting; for how long.
    bool isIdle() const { return !m_running && m_queue.isEmpty(); }
    qint64 idleMs() const { return qint64(m_clock.now() - m_lastActiveMs); }

    // A call to answer after those waiting (at once when none waits); false when too many wait.
    // closeAfter: the connection closes once it is answered (the client said Connection: close).
    // A request that held no call is answered in its turn with the fault malformed.
    bool enqueue(XmlRpcCall call, bool closeAfter, const QString &malformed = {});

    // The rig's answer to this client's read or setting, or its silence.
    void onReplied(const QByteArray &reply);
    void onUnanswered(const QByteArray &query);
    void onSettled(const QByteArray &setting, SettingResult result);

signals:
    // The body of the answer to the oldest call, for the server to send.
    void answered(const QByteArray &body, bool closeAfter);
    // "rig.set_vfo 7040000 -> OK" as FromClient; the connection's own remarks as Note.
    void traffic(int client, TrafficDirection direction, const QString &text);
    void gone(int client);

private:
    struct Queued {
        XmlRpcCall call;
        bool closeAfter;
        QString malformed;
    };
    struct Running {
        Queued queued;
        const xmlrpc::Method *method;
        QList<xmlrpc::Step> steps;
        qsizetype next = 0;
        xmlrpc::Replies replies;
        bool finished = false; // finish has run: the steps left are its settings
        XmlRpcValue result;
    };

    void pump();
    void start(Queued queued);
    void advance();
    const xmlrpc::Step *current() const;
    xmlrpc::Context context();
    void end(XmlRpcValue result, const QString &fault = {}); // result: not the running call's own
    void disconnected();

    const int m_number;
    RigAccess &m_rig;
    const int m_stepTimeoutMs;
    Permission m_permission = Permission::Full;
    xmlrpc::ClientState m_state;
    QList<Queued> m_queue;
    std::optional<Running> m_running;
    QTimer m_deadline;
    const Clock &m_clock;
    double m_lastActiveMs = 0;
    bool m_pumping = false;
    bool m_closing = false;
};
