#include "outports/output_ports.h"

#include "monitor/terminal_model.h"
#include "outports/output_lines.h"
#include "platform/clock.h"
#include "platform/messenger.h"
#include "ports/serial_port.h"
#include "settings/station_settings.h"

OutputPorts::OutputPorts(Deps deps, QObject *parent) : QObject(parent), d(deps)
{
    m_outputWindow.setSingleShot(true);
    for (int i = 1; i <= kCount; ++i) {
        // The output ports only send; what the equipment on them says is never read.
        port(i).port.IgnoreInput();
        connect(&sendTimer(i), &QTimer::timeout, this, [this, i] { sendTick(i); });
    }
}

void OutputPorts::togglePort(int i)
{
    Port &p = port(i);
    if (p.port.IsOpened()) {
        p.port.Close();
        sendTimer(i).stop();
        emit portChanged(i);
        return;
    }
    if (!d.rigPort.IsOpened()) {
        d.messenger.warning(QStringLiteral("Rig port must be opened first."));
        return;
    }
    const QString name = d.settings.output(i).name;
    if (!p.port.Open(name)) {
        d.messenger.warning(name + QStringLiteral(" is in use"));
        return;
    }
    // Sent only while the rig keeps reporting: an idle bridge does not wake for them.
    if (m_outputWindow.isActive())
        d.clock.start(sendTimer(i), kSendInterval);
    emit portChanged(i);
}

void OutputPorts::sendTick(int i)
{
    Port &p = port(i);
    if (!p.port.IsOpened() || !m_outputWindow.isActive()) {
        sendTimer(i).stop();
        return;
    }
    const OutputLines lines = buildOutputLines(d.rig, d.settings.rigType);
    AppendToTerminal(p.terminal, lines.fa);
    AppendToTerminal(p.terminal, lines.info);
    p.port.WriteText(lines.fa);
    p.port.WriteText(lines.info);
}

void OutputPorts::startOutputWindow()
{
    // A start while the window runs counts its 2000 ms afresh, so the output goes on without a
    // gap for as long as the rig keeps reporting.
    if (!port(1).port.IsOpened() && !port(2).port.IsOpened())
        return;
    d.clock.start(m_outputWindow, kWindow);
    for (int i = 1; i <= kCount; ++i) {
        if (port(i).port.IsOpened() && !sendTimer(i).isActive())
            d.clock.start(sendTimer(i), kSendInterval);
    }
}

void OutputPorts::rigDisconnected()
{
    for (int i = 1; i <= kCount; ++i) {
        if (port(i).port.IsOpened() && port(i).port.Close()) {
            sendTimer(i).stop();
            emit portChanged(i);
        }
    }
}
