#pragma once

#include "rig/rig_type.h"

#include <QObject>
#include <QTimer>

#include <array>

class Messenger;
class QTimer;
class SerialPort;
class TerminalModel;
class VirtualRigState;
class Clock;
struct StationSettings;

// Two real serial ports that repeat the transmit frequency every 500 ms, while the rig's FR and
// FT replies keep the output window open.
class OutputPorts : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 2;
    static constexpr int kSendInterval = 500;
    static constexpr int kWindow = 2000;

    struct Port {
        SerialPort &port;
        TerminalModel &terminal;
    };
    struct Deps {
        const StationSettings &settings; // the ports' names, and the rig type whose lines they send
        std::array<Port, kCount> ports;
        SerialPort &rigPort;
        VirtualRigState &rig;
        Messenger &messenger;
        const Clock &clock;
    };
    explicit OutputPorts(Deps deps, QObject *parent = nullptr);

    // i = 1 or 2. Opens the port under its name, or closes it.
    void togglePort(int i);
    void sendTick(int i);
    // An FR or FT reply arrived.
    void startOutputWindow();
    // The rig port has closed: the output ports close too.
    void rigDisconnected();

    QTimer &sendTimer(int i) { return m_sendTimers[std::size_t(i - 1)]; }
    QTimer &outputWindow() { return m_outputWindow; }

signals:
    // Port i was opened or closed.
    void portChanged(int i);

private:
    Port &port(int i) { return d.ports[std::size_t(i - 1)]; }

    Deps d;
    std::array<QTimer, kCount> m_sendTimers;
    QTimer m_outputWindow; // open while the rig keeps reporting its frequencies
};
