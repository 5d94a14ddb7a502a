#include "rig/rig_reply_handler.h"

#include "monitor/terminal_model.h"
#include "ports/serial_port.h"

RigReplyHandler::RigReplyHandler(SerialPort &rigPort, TerminalModel &terminal, QObject *parent)
    : QObject(parent), m_rigPort(rigPort), m_terminal(terminal)
{
    connect(&m_rigPort, &SerialPort::DataReceived, this, [this] { take(m_rigPort.ReadText()); });
}

void RigReplyHandler::take(const QByteArray &text)
{
    const CatFramer::Result block = m_rx.feed(text);
    showDiscarded(m_terminal, block.discarded);
    for (const QByteArray &reply : block.pieces) {
        AppendToTerminal(m_terminal, reply);
        emit replyReceived(reply);
    }
}
