#include "appports/sdr_port.h"

#include "appports/command_tables.h"
#include "appports/port_toggle.h"
#include "controls/frames.h"
#include "controls/messenger.h"
#include "monitor/terminal_model.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "rig/cat_dialect.h"
#include "rig/rig_access.h"
#include "rig/virtual_rig.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

SdrPort::SdrPort(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
    connect(d.frame.btnCreatePort7, &QPushButton::clicked, this, &SdrPort::btnCreatePort7_Click);
    connect(&d.port, &VirtualPort::DataReceived, this, &SdrPort::DataReceived);
    connect(&d.port, &VirtualPort::OpenedByAppChanged, this, [this](bool held) {
        if (!held)
            ProgramLeft();
    });
}

void SdrPort::btnCreatePort7_Click()
{
    m_rx.clear();
    PortToggle toggle{d.port,
                      *d.frame.btnCreatePort7,
                      *d.frame.ComboVPort7,
                      d.terminal,
                      QStringLiteral("Connect to K3 first"),
                      false};
    toggle.click(d.rigPort, d.messenger);
}

void SdrPort::DataReceived()
{
    handleBatch(m_rx.feed(d.port.ReadText()));
}

void SdrPort::ProgramLeft()
{
    // As on the application ports: nothing the program began is handed to the next one.
    handleBatch(m_rx.finish());
    d.link.forget(kSdrSource);
}

void SdrPort::handleBatch(const CatFramer::Result &batch)
{
    showDiscarded(d.terminal, batch.discarded);
    for (const QByteArray &command : batch.pieces) {
        AppendToTerminal(d.terminal, command);
        if (!sdrForwards(command, d.rig.get(Entry::FA), d.rigType()))
            continue;
        // Everything else goes to the rig; the replies to its reads come back here.
        if (isRead(catDialect(d.rigType()), command, d.rig.get(Entry::ID)))
            d.link.ask(kSdrSource, command);
        else
            d.link.set(kSdrSource, command);
        if (!d.timer1.isActive())
            d.timer1.start();
    }
}

void SdrPort::DeliverReply(const QByteArray &reply)
{
    if (!d.port.IsOpenedByApp())
        return;
    d.port.WriteText(reply);
    AppendToTerminal(d.terminal, reply);
}
