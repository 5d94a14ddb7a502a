#pragma once

#include "rig/cat_framing.h"

#include "rig/rig_type.h"

#include <QObject>

#include <functional>

class AppPorts;
class OutputPorts;
class PublishedItems;
class SdrPort;
class SerialPort;
class TerminalModel;
class VirtualRigState;

// Everything the rig sends: cut into replies at ';', shown in the rig terminal, stored in the
// virtual rig and routed to the station programs by the reply's own text.
class RigReplyHandler : public QObject {
    Q_OBJECT
public:
    struct Deps {
        SerialPort &rigPort;
        VirtualRigState &rig;
        TerminalModel &terminal;
        std::function<RigType()> rigType;
        AppPorts &appPorts;
        SdrPort &sdr;
        OutputPorts &outputs;
        PublishedItems &items;
    };
    explicit RigReplyHandler(Deps deps, QObject *parent = nullptr);

    void SPortAx1_DataReceived();
    void ProcessRigReply(const QByteArray &reply);

    const QByteArray &pending() const { return m_rx.pending(); }
    void ClearBuffer() { m_rx.clear(); }

private:
    Deps d;
    CatFramer m_rx; // RigRxBuffer
};
