#pragma once

#include "rig/rig_type.h"

#include <QObject>

#include <array>
#include <functional>

class Messenger;
class OutputPortFrame;
class QTimer;
class SerialPort;
class TerminalModel;
class VirtualRigState;

// Two real serial ports that repeat the transmit frequency every 500 ms, while the rig's FR and
// FT replies keep the output window open.
class OutputPorts : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 2;
    static constexpr int kSendInterval = 500;
    static constexpr int kWindow = 2000;

    struct Port {
        OutputPortFrame &frame;
        SerialPort &port;
        TerminalModel &terminal;
    };
    struct Deps {
        std::array<Port, kCount> ports;
        SerialPort &rigPort;
        VirtualRigState &rig;
        Messenger &messenger;
        std::array<QTimer *, kCount> sendTimers; // Timer3, Timer4
        QTimer &outputWindow;                    // Timer7
        std::function<RigType()> rigType;        // the lines are in the rig's own format
    };
    explicit OutputPorts(Deps deps, QObject *parent = nullptr);

    // i = 1 or 2.
    void btnOpen_Click(int i);
    void SendTick(int i);
    // An FR or FT reply arrived.
    void StartOutputWindow();
    // The rig port has closed: the output ports close too; their send timers run on.
    void RigDisconnected();

    QTimer &sendTimer(int i) { return *d.sendTimers[std::size_t(i - 1)]; }
    QTimer &outputWindow() { return d.outputWindow; }

private:
    Port &port(int i) { return d.ports[std::size_t(i - 1)]; }
    void showClosed(int i);

    Deps d;
};
