#include "appports/sdr_port.h"

#include "appports/command_tables.h"
#include "appports/port_toggle.h"
#include "monitor/terminal_model.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "rig/cat_dialect.h"
#include "rig/rig_access.h"
#include "rig/virtual_rig.h"
#include "settings/station_settings.h"

#include <QTimer>

SdrPort::SdrPort(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
    connect(&d.port, &VirtualPort::DataReceived, this, &SdrPort::dataReceived);
    connect(&d.port, &VirtualPort::OpenedByAppChanged, this, [this](bool held) {
        if (!held)
            programLeft();
    });
}

void SdrPort::togglePort()
{
    m_rx.clear();
    togglePublished(
        {d.port, d.terminal, d.settings.sdr.name, QStringLiteral("Connect to K3 first"), false},
        d.rigPort, d.messenger);
    emit portChanged();
}

void SdrPort::dataReceived()
{
    handleBatch(m_rx.feed(d.port.ReadText(), d.settings.civRadio()));
}

void SdrPort::programLeft()
{
    // As on the application ports: nothing the program began is handed to the next one.
    handleBatch(m_rx.finish());
    d.link.forget(kSdrSource);
}

void SdrPort::handleBatch(const CatFramer::Result &batch)
{
    showDiscarded(d.terminal, batch.discarded);
    for (const QByteArray &notice : batch.notices)
        AppendToTerminal(d.terminal, notice);
    const bool civ = d.settings.civRadio().has_value();
    for (const QByteArray &command : batch.pieces) {
        AppendToTerminal(d.terminal, command);
        // A CI-V radio's menus and its own reports are no program's to write.
        if (civ && classify(command, d.settings.rigType, {}, 1) == CommandClass::Meta) {
            deliverReply("?;");
            continue;
        }
        if (!sdrForwards(command, d.rig.get(Entry::FA), d.settings.rigType)) {
            if (civ)
                deliverReply("?;");
            continue;
        }
        // A CI-V panadapter polls hard: what the virtual rig holds current it has at once.
        if (const QByteArray cached = civ ? d.link.cachedReply(command) : QByteArray();
            !cached.isEmpty()) {
            deliverReply(cached);
            continue;
        }
        // Everything else goes to the rig; the replies to its reads come back here.
        if (isRead(catDialect(d.settings.rigType), command, d.rig.get(Entry::ID)))
            d.link.ask(kSdrSource, command);
        else
            d.link.set(kSdrSource, command);
        if (!d.pollTimer.isActive())
            d.pollTimer.start();
    }
}

void SdrPort::deliverReply(const QByteArray &reply)
{
    if (!d.port.IsOpenedByApp())
        return;
    d.port.WriteText(m_rx.wire(reply, d.settings.civRadio()));
    AppendToTerminal(d.terminal, reply);
}
