#pragma once

#include "net/rigctl_protocol.h"
#include "rig/rig_access.h"

#include "platform/clock.h"

#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

// Which way a line of network traffic went; Note is the server's own remark (a client came or
// went, input was discarded).
enum class TrafficDirection { FromClient, ToClient, Note };

// One connected rigctl client: its line buffer, its commands in order, and the reads and
// settings they need from the rig. Commands are answered one at a time, in the order they came;
// a read the virtual rig does not hold goes to the rig and the next command waits for it, and a
// setting is answered once the rig has taken or refused it. Every buffer is bounded: a client
// that floods or stops reading slows only itself. A connection that speaks HTTP (a web page's
// request) is closed at its first line, before anything it sent is run.
class RigctlClient : public QObject {
    Q_OBJECT
public:
    // Longest line taken as a command; a longer run up to its newline is discarded.
    static constexpr qsizetype kMaxLine = 1024;
    // Commands read ahead of the one being answered; past this the socket is not read, and the
    // client's own TCP window holds it back.
    static constexpr int kMaxQueued = 64;
    // Unsent answers past which no further command is answered until the client reads.
    static constexpr qint64 kMaxUnsent = 64 * 1024;
    // Commands answered in one turn of the event loop before the other clients get theirs.
    static constexpr int kBatch = 16;

    RigctlClient(int number, QTcpSocket *socket, RigAccess &rig, const Clock &clock,
                 int readTimeoutMs, QObject *parent = nullptr);
    ~RigctlClient() override;

    int number() const { return m_number; }
    Source source() const { return Source{Source::Kind::Network, m_number}; }

    // Nothing of this client waits for the bridge: no command, no unread or unsent bytes.
    bool isIdle() const;
    // How long since the client last sent or was sent anything.
    double idleMs() const { return m_clock.now() - m_lastActiveMs; }
    // Closes the connection without a word and says it is gone.
    void evict();

    // The rig's answer to this client's read, or its silence; what became of its setting.
    void onReplied(const QByteArray &reply);
    void onUnanswered(const QByteArray &query);
    void onSettled(const QByteArray &setting, SettingResult result);

signals:
    void traffic(int client, TrafficDirection direction, const QString &text);
    void gone(int client);

private:
    struct Running {
        rigctl::Parsed parsed;
        QByteArray asked; // the read the rig is asked, empty when none
        int reads = 0;
        rigctl::Replies replies;
        rigctl::Outcome outcome;     // once worked out, while its settings are taken
        QList<QByteArray> unsettled; // settings the rig has not yet taken or refused
        bool setting = false;        // they are being given to the rig
    };

    void readSocket();
    void takeLines(const QByteArray &data);
    void schedule();
    void pump();
    void start(rigctl::Parsed parsed);
    // Answers the command waiting with a bare code and goes on to the next one.
    void endRunning(int code);
    rigctl::Context contextFor(const FamilyCaps *family, const QList<QByteArray> &args);
    void askNext();
    void finish();
    void settle();
    void answer(const rigctl::Parsed &parsed, const rigctl::Outcome &outcome);
    void note(const QString &text);
    // Ends the connection: what waits is dropped, the rig forgets this client's reads.
    void shut(const QString &why);
    bool isHttp(QByteArrayView line) const;

    const int m_number;
    QPointer<QTcpSocket> m_socket;
    RigAccess &m_rig;
    const int m_readTimeoutMs;
    rigctl::ClientState m_state;
    QByteArray m_line;
    bool m_firstLine = true;
    const Clock &m_clock;
    double m_lastActiveMs = 0;
    qsizetype m_discarding = -1; // bytes of an overlong line discarded so far, -1 when none
    QList<rigctl::Parsed> m_queue;
    std::optional<Running> m_running;
    QTimer m_deadline;
    bool m_scheduled = false;
    bool m_closing = false;
    bool m_gone = false;
    bool m_stalled = false; // said once per stall that the client does not read
};
