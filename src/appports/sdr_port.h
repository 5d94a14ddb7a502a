#pragma once

#include "rig/cat_line.h"

#include "rig/rig_type.h"

#include <QObject>

class Messenger;
class RigAccess;
class QTimer;
class SerialPort;
class TerminalModel;
class VirtualPort;
class VirtualRigState;
struct StationSettings;

// The port of a panadapter program: what it sends goes to the rig; what it hears are the rig
// replies that routing sends it.
class SdrPort : public QObject {
    Q_OBJECT
public:
    struct Deps {
        const StationSettings &settings;
        VirtualPort &port;
        TerminalModel &terminal;
        SerialPort &rigPort;
        RigAccess &link;
        VirtualRigState &rig;
        QTimer &pollTimer;
        Messenger &messenger;
    };
    explicit SdrPort(Deps deps, QObject *parent = nullptr);

    // Publishes the port under its name, or removes it; refused while the rig port is closed.
    void togglePort();
    void dataReceived();
    // The port's program has hung up.
    void programLeft();
    // A routed rig reply: written only while a program holds the port.
    void deliverReply(const QByteArray &reply);

    const QByteArray &pending() const { return m_rx.pending(); }

signals:
    // The port was published or removed.
    void portChanged();

private:
    void handleBatch(const CatFramer::Result &batch);

    Deps d;
    CatLine m_rx{CivLine::End::Radio};
};
