#pragma once

#include "rig/rig_type.h"
#include "scripted_messenger.h"

#include <QByteArray>
#include <QObject>
#include <QTemporaryDir>

#include <map>
#include <memory>

class Bridge;
class Form1;
class RigSimThread;
class StationProgram;
struct Controls;

// The waits of the rig connection sequence and of start-up at a quarter of real time: tests do not
// pay seconds for each connection. One test keeps the real clock and checks the real waits.
class Clock;
Clock &testClock();
// For windows that never connect a rig: start-up's pause all but gone.
Clock &instantClock();

// A bridge in its window (offscreen) with its own runtime and settings folder, connected to a
// simulated radio of the given family; station programs on its ports as a test needs them.
class ConnectedBridge : public QObject {
    Q_OBJECT
public:
    // model: the simulator's --model name; empty for the family's default radio.
    explicit ConnectedBridge(RigType type, const QString &model = {}, int baud = 38400);
    ~ConnectedBridge() override;

    // Starts the simulator and presses Connect; false with why() when that did not work.
    bool connectRig();
    QString why() const { return m_why; }

    Form1 &form() { return *m_form; }
    Bridge &bridge();
    const Controls &controls();
    RigSimThread &sim() { return *m_sim; }
    ScriptedMessenger &messenger() { return m_messenger; }
    RigType type() const { return m_type; }

    // A station program holding application port n (1 to 5) or the SDR port (7); the port is
    // created first if it does not exist.
    StationProgram &program(int n);
    void closeProgram(int n);

    // Everything the rig has read, in order, since the last clearAtRig().
    const QByteArray &atRig() const { return m_atRig; }
    void clearAtRig() { m_atRig.clear(); }

    // What the simulated radio answers to a query now (asked of its model directly).
    QByteArray simReply(const QByteArray &query);

    // Waits until the bridge has handled everything port n's program wrote so far, whatever
    // went to the rig because of it has reached the rig, and every reply the rig sent back has
    // been handled. Nothing the program will ever get for what it wrote is still on its way.
    bool settle(int n);
    // The same for what the bridge itself wrote to the rig.
    bool settleRig();

private:
    bool portMarker(int n);

    RigType m_type;
    QString m_model;
    int m_baud;
    QTemporaryDir m_dir;
    ScriptedMessenger m_messenger;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<RigSimThread> m_sim;
    std::map<int, std::unique_ptr<StationProgram>> m_programs;
    QByteArray m_atRig;
    QString m_why;
};
