#pragma once

#include "rig/rig_type.h"

#include <QObject>

#include <functional>

class Clock;
class Messenger;
class QTimer;
class RigLink;
class QWidget;
class RigPortFrame;
class SerialPort;
class TerminalModel;
class VirtualRigState;

// Opens and closes the rig port, probes the rig, sends a K3 its set-up commands and fills the
// virtual rig with the load queries.
class RigConnection : public QObject {
    Q_OBJECT
public:
    struct Deps {
        QWidget &window;
        RigPortFrame &frame;
        SerialPort &rigPort;
        RigLink &link;
        VirtualRigState &rig;
        TerminalModel &terminal;
        QTimer &timer1;
        Messenger &messenger;
        Clock &clock;
        std::function<void()> saveConfig;
        // The rig's text read during the connection, handed on as every reply is.
        std::function<void(const QByteArray &)> takeRigText;
    };
    explicit RigConnection(Deps deps, QObject *parent = nullptr);

    // How often a rig whose port went away is tried again.
    static constexpr int kRetryMs = 3000;

    void btnOpen_Click();
    void ConnectRig();
    // Whether the bridge is trying to reopen a rig whose port went away.
    bool isRetrying() const;
    void cbBaudRate_Change();
    void cbRigType_Click();

    RigType rigType() const;

signals:
    // The rig port has closed: by Disconnect, or because its device went away.
    void rigClosed();

private:
    // Flushes the write first, so the rig gets it during the wait. The replies to tracked
    // queries are the bridge's own; the probe's are read here and the set-up brings none.
    void writeAndWait(const QByteArray &text, int msecs, bool track);
    void applyBaudMode();
    // The connection sequence; a retry after the port went away shows no message box.
    bool connectRig(bool retry);
    void retry();

    Deps d;
    QTimer *m_retry;
    QString m_lostPort; // the device of the rig that went away
};
