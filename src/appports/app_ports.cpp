#include "appports/app_ports.h"

#include "appports/command_tables.h"
#include "appports/port_toggle.h"
#include "controls/frames.h"
#include "controls/messenger.h"
#include "monitor/terminal_model.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "rig/virtual_rig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

namespace {
// Ports 3 to 5 were meant for programs that need the K3's extended commands.
const char *refusalText(int n)
{
    return n <= 2 ? "Connect to rig first" : "Connect to K3 first";
}
} // namespace

AppPorts::AppPorts(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
    for (int n = 1; n <= kCount; ++n) {
        Port &p = port(n);
        connect(p.frame.btnCreatePort, &QPushButton::clicked, this,
                [this, n] { btnCreatePort_Click(n); });
        connect(&p.port, &VirtualPort::DataReceived, this, [this, n] { DataReceived(n); });
        // Control lines go from every program to the rig, the latest change winning.
        connect(&p.port, &VirtualPort::LineAChanged, this,
                [this](bool on) { d.rigPort.SetLineA(on); });
        connect(&p.port, &VirtualPort::LineBChanged, this,
                [this](bool on) { d.rigPort.SetLineB(on); });
    }
}

void AppPorts::btnCreatePort_Click(int n)
{
    Port &p = port(n);
    m_rx[std::size_t(n - 1)].clear();
    PortToggle toggle{p.port,
                      *p.frame.btnCreatePort,
                      *p.frame.ComboVPort,
                      p.terminal,
                      QString::fromLatin1(refusalText(n)),
                      n == 1};
    toggle.click(d.rigPort, d.messenger);
}

void AppPorts::forwardToRig(const QByteArray &command)
{
    d.timer1.stop();
    d.rigPort.WriteText(command);
    d.timer1.start();
}

void AppPorts::DataReceived(int n)
{
    Port &p = port(n);
    const CatFramer::Result batch = m_rx[std::size_t(n - 1)].feed(p.port.ReadText());
    showDiscarded(p.terminal, batch.discarded);
    for (const QByteArray &command : batch.pieces) {
        AppendToTerminal(p.terminal, command);
        const RigType rigType = d.rigType();
        const CommandDecision decision =
            n == 1 ? decidePort1(command, rigType) : decidePorts2to5(command, rigType);
        switch (decision.outcome) {
        case CommandOutcome::Answer:
            SendToAppPort(n, d.rig.get(decision.entry));
            break;
        case CommandOutcome::Forward:
            forwardToRig(command);
            break;
        case CommandOutcome::Drop:
            break;
        }
    }
}

void AppPorts::SendToAppPort(int n, const QByteArray &text)
{
    Port &p = port(n);
    AppendToTerminal(p.terminal, text);
    p.port.WriteText(text);
}

void AppPorts::deliverIf(int n, bool boxSet, const QByteArray &text)
{
    if (boxSet && port(n).port.IsOpenedByApp())
        SendToAppPort(n, text);
}

void AppPorts::BroadcastAutoInfo1()
{
    const QByteArray &status = d.rig.get(Entry::IF);
    for (int n = 1; n <= kCount; ++n)
        deliverIf(n, boxValue(port(n).frame.chkAI1) == 1, status);
}

void AppPorts::BroadcastAutoInfo2(const QByteArray &reply)
{
    for (int n = 1; n <= kCount; ++n)
        deliverIf(n, boxValue(port(n).frame.chkAI2) == 1, reply);
}

void AppPorts::DeliverToPort1(const QByteArray &reply)
{
    deliverIf(1, true, reply);
}
