#include "rig/rig_reply_handler.h"

#include "monitor/terminal_model.h"
#include "ports/serial_port.h"
#include "settings/station_settings.h"

RigReplyHandler::RigReplyHandler(SerialPort &rigPort, TerminalModel &terminal,
                                 const StationSettings &settings, QObject *parent)
    : QObject(parent), m_rigPort(rigPort), m_terminal(terminal), m_settings(settings)
{
    connect(&m_rigPort, &SerialPort::DataReceived, this, [this] { take(m_rigPort.ReadText()); });
}

void RigReplyHandler::take(const QByteArray &text)
{
    const CatFramer::Result block = m_rx.feed(text, m_settings.civRadio());
    showDiscarded(m_terminal, block.discarded);
    for (const QByteArray &notice : block.notices)
        AppendToTerminal(m_terminal, notice);
    for (const QByteArray &reply : block.pieces) {
        AppendToTerminal(m_terminal, reply);
        emit replyReceived(reply);
    }
}
