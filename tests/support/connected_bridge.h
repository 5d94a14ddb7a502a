#pragma once

#include "bridge/bridge.h"
#include "rig/rig_type.h"
#include "scripted_messenger.h"
#include "settings/station_settings.h"

#include <QByteArray>
#include <QObject>
#include <QTemporaryDir>

#include <map>
#include <memory>

class RigSimThread;
class StationProgram;

class Clock; // the bridge's time at four times real time

Clock &testClock();

// A bridge (no window) with its own runtime folder, connected to a simulated radio; station
// programs on its ports as a test needs them.
class ConnectedBridge : public QObject {
    Q_OBJECT
public:
    // model: the simulator's --model name; empty for the family's default radio.
    explicit ConnectedBridge(RigType type, const QString &model = {}, int baud = 38400);
    ~ConnectedBridge() override;

    // Starts the simulator and connects the rig; false with why() when that did not work.
    bool connectRig();
    QString why() const { return m_why; }

    Bridge &bridge() { return *m_bridge; }
    template <typename Edit> void edit(Edit edit)
    {
        StationSettings next = bridge().settings();
        edit(next);
        bridge().changeSettings(next);
    }
    RigSimThread &sim() { return *m_sim; }
    ScriptedMessenger &messenger() { return m_messenger; }
    RigType type() const { return m_type; }

    // A station program holding application port n (1 to 5) or the SDR port (7), created first.
    StationProgram &program(int n);
    void closeProgram(int n);

    // Everything the rig has read, in order, since the last clearAtRig().
    const QByteArray &atRig() const { return m_atRig; }
    void clearAtRig() { m_atRig.clear(); }

    // Text as it goes on the rig's line and to a program: CI-V frames where the radio speaks CI-V.
    QByteArray toRig(const QByteArray &text) const;
    QByteArray toProgram(const QByteArray &text) const;

    // What the simulated radio's model answers to a query now.
    QByteArray simReply(const QByteArray &query);

    // Waits until all port n's program wrote, and all the rig replied to it, has been handled and
    // delivered; settleRig() the same for what the bridge itself wrote to the rig.
    bool settle(int n);
    bool settleRig();

private:
    bool portMarker(int n);
    QByteArray idQuery() const; // a read no setting puts out of date

    RigType m_type;
    QString m_model;
    int m_baud;
    QTemporaryDir m_dir;
    ScriptedMessenger m_messenger;
    std::unique_ptr<Bridge> m_bridge;
    std::unique_ptr<RigSimThread> m_sim;
    std::map<int, std::unique_ptr<StationProgram>> m_programs;
    QByteArray m_atRig;
    QString m_why;
};
