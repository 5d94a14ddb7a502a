#include "rig/rig_reply_handler.h"

#include "appports/app_ports.h"
#include "appports/sdr_port.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "outports/output_ports.h"
#include "ports/serial_port.h"
#include "rig/reply_routing.h"
#include "rig/virtual_rig.h"

RigReplyHandler::RigReplyHandler(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
    connect(&d.rigPort, &SerialPort::DataReceived, this, &RigReplyHandler::SPortAx1_DataReceived);
}

void RigReplyHandler::SPortAx1_DataReceived()
{
    const CatFramer::Result block = m_rx.feed(d.rigPort.ReadText());
    showDiscarded(d.terminal, block.discarded);
    for (const QByteArray &reply : block.pieces) {
        AppendToTerminal(d.terminal, reply);
        ProcessRigReply(reply);
    }
}

void RigReplyHandler::ProcessRigReply(const QByteArray &reply)
{
    const RigType rigType = d.rigType();
    const RoutingRow *row = routeReply(reply, rigType);
    if (!row) {
        d.appPorts.DeliverToPort1(reply);
        return;
    }
    d.rig.set(row->entry, reply);
    for (RigAction action : row->then) {
        switch (action) {
        case RigAction::None:
            break;
        case RigAction::AI1:
            d.appPorts.BroadcastAutoInfo1();
            break;
        case RigAction::AI2:
            d.appPorts.BroadcastAutoInfo2(reply);
            break;
        case RigAction::Sdr:
            d.sdr.DeliverReply(reply);
            break;
        case RigAction::SdrIfYaesu:
            if (rigType == RigType::Yaesu)
                d.sdr.DeliverReply(reply);
            break;
        case RigAction::Out:
            d.outputs.StartOutputWindow();
            break;
        case RigAction::Text8:
            d.items.setText8(reply);
            break;
        case RigAction::TxIndicator:
            d.items.setTransmitIndicator(reply.size() > 2 && reply.at(2) == '1'
                                             ? QStringLiteral("On")
                                             : QStringLiteral("Off"));
            break;
        }
    }
}
