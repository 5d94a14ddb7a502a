#pragma once

#include "rig/rig_type.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

class Clock;
class Messenger;
class RigLink;
class RigReplyHandler;
class SerialPort;
class TerminalModel;
struct StationSettings;

// Opens and closes the rig port and runs the connection sequence: the probe (FA; twice), the
// set-up commands a K3 or K2 gets, the load queries that fill the virtual rig, then a second for
// their replies before polling starts. Each step waits on a timer of the bridge's clock; nothing
// blocks. When the port goes away the same device is tried again every few seconds.
class RigConnection : public QObject {
    Q_OBJECT
public:
    enum class State {
        Closed,     // the port is closed
        Connecting, // the sequence runs: probe, set-up, load
        Loaded,     // the virtual rig is loaded; its replies have a second before polling starts
        Open,       // connected, polling (or the port opened and the rig never answered)
    };
    Q_ENUM(State)

    struct Deps {
        const StationSettings &settings;
        SerialPort &rigPort;
        RigLink &link;
        RigReplyHandler &replies;
        TerminalModel &terminal;
        QTimer &pollTimer;
        Messenger &messenger;
        const Clock &clock;
    };
    explicit RigConnection(Deps deps, QObject *parent = nullptr);

    // How often a rig whose port went away is tried again.
    static constexpr int kRetryMs = 3000;

    // Opens the port named by the settings and runs the sequence.
    void connectRig();
    // Closes the port; polling goes on, the application ports stay.
    void disconnectRig();
    // The speed and framing the settings name, applied to the port.
    void applyBaudMode();

    State state() const { return m_state; }

signals:
    void stateChanged(RigConnection::State state);
    // The connection's progress for the window's title: "  Initializing", "  Done", or "".
    void progress(const QString &suffix);
    // The rig port has closed: by Disconnect, or because its device went away.
    void rigClosed();
    // A sequence has ended: whether the rig answered the probe.
    void finished(bool connected);

private:
    QByteArray probe() const; // the read that tells a rig is there
    struct Step {
        QByteArray text; // written past the queue; empty: the probe's answer is checked
        int waitMs;
        bool track; // its replies are the bridge's
    };
    void start(bool retry);
    void step();
    void probeFailed();
    void loaded();
    void ready();
    void setState(State state);
    void retry();

    Deps d;
    State m_state = State::Closed;
    QList<Step> m_steps;
    QTimer m_stepTimer;
    QTimer m_loadWindow;
    QTimer m_retry;
    bool m_retrying = false; // the sequence is a retry: no message box when it fails
    bool m_probeAnswered = false;
    QString m_lostPort; // the device of the rig that went away
};
