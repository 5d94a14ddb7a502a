#include "outports/output_ports.h"

#include "controls/frames.h"
#include "controls/messenger.h"
#include "monitor/terminal_model.h"
#include "outports/output_lines.h"
#include "ports/serial_port.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

OutputPorts::OutputPorts(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
    d.outputWindow.setSingleShot(true);
    d.outputWindow.setInterval(kWindow);
    for (int i = 1; i <= kCount; ++i) {
        // The output ports only send; what the equipment on them says is never read.
        port(i).port.IgnoreInput();
        sendTimer(i).setInterval(kSendInterval);
        connect(&sendTimer(i), &QTimer::timeout, this, [this, i] { SendTick(i); });
        connect(port(i).frame.btnOpen, &QPushButton::clicked, this,
                [this, i] { btnOpen_Click(i); });
    }
}

void OutputPorts::showClosed(int i)
{
    port(i).frame.ComboPort->setEnabled(true);
    port(i).frame.btnOpen->setText(QStringLiteral("Connect"));
}

void OutputPorts::btnOpen_Click(int i)
{
    Port &p = port(i);
    if (p.port.IsOpened()) {
        if (p.port.Close())
            showClosed(i);
        sendTimer(i).stop();
        return;
    }
    if (!d.rigPort.IsOpened()) {
        d.messenger.warning(QStringLiteral("Rig port must be opened first."));
        return;
    }
    const QString name = p.frame.ComboPort->currentText();
    if (!p.port.Open(name)) {
        d.messenger.warning(name + QStringLiteral(" is in use"));
        return;
    }
    p.frame.ComboPort->setEnabled(false);
    p.frame.btnOpen->setText(QStringLiteral("Disconnect"));
    sendTimer(i).start();
}

void OutputPorts::SendTick(int i)
{
    Port &p = port(i);
    if (!p.port.IsOpened() || !d.outputWindow.isActive())
        return;
    const OutputLines lines = buildOutputLines(d.rig, d.rigType());
    AppendToTerminal(p.terminal, lines.fa);
    AppendToTerminal(p.terminal, lines.info);
    p.port.WriteText(lines.fa);
    p.port.WriteText(lines.info);
}

void OutputPorts::StartOutputWindow()
{
    // A start while the window runs counts its 2000 ms afresh, so the output goes on without a
    // gap for as long as the rig keeps reporting.
    if (port(1).port.IsOpened() || port(2).port.IsOpened())
        d.outputWindow.start();
}

void OutputPorts::RigDisconnected()
{
    for (int i = 1; i <= kCount; ++i) {
        if (port(i).port.IsOpened() && port(i).port.Close())
            showClosed(i);
    }
}
