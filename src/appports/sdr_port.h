#pragma once

#include "rig/cat_framing.h"

#include "rig/rig_type.h"

#include <QObject>

#include <functional>

class Messenger;
class RigAccess;
class QTimer;
class SdrPortFrame;
class SerialPort;
class TerminalModel;
class VirtualPort;
class VirtualRigState;

// The port of a panadapter program: what it sends goes to the rig; what it hears are the rig
// replies that routing sends it.
class SdrPort : public QObject {
    Q_OBJECT
public:
    struct Deps {
        SdrPortFrame &frame;
        VirtualPort &port;
        TerminalModel &terminal;
        SerialPort &rigPort;
        RigAccess &link;
        VirtualRigState &rig;
        QTimer &timer1;
        Messenger &messenger;
        std::function<RigType()> rigType;
    };
    explicit SdrPort(Deps deps, QObject *parent = nullptr);

    void btnCreatePort7_Click();
    void DataReceived();
    // The port's program has hung up.
    void ProgramLeft();
    // A routed rig reply: written only while a program holds the port.
    void DeliverReply(const QByteArray &reply);

    const QByteArray &pending() const { return m_rx.pending(); }

private:
    void handleBatch(const CatFramer::Result &batch);

    Deps d;
    CatFramer m_rx;
};
