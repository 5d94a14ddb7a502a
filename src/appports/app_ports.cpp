#include "appports/app_ports.h"

#include "appports/command_tables.h"
#include "appports/port_toggle.h"
#include "monitor/terminal_model.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "rig/rig_access.h"
#include "settings/station_settings.h"

#include <QTimer>

#include <utility>

namespace {
// Ports 3 to 5 were meant for programs that need the K3's extended commands.
const char *refusalText(int n)
{
    return n <= 2 ? "Connect to rig first" : "Connect to K3 first";
}

Source appSource(int n)
{
    return {Source::Kind::AppPort, n};
}
} // namespace

AppPorts::AppPorts(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
    for (int n = 1; n <= kCount; ++n) {
        Port &p = port(n);
        connect(&p.port, &VirtualPort::DataReceived, this, [this, n] { dataReceived(n); });
        connect(&p.port, &VirtualPort::OpenedByAppChanged, this, [this, n](bool held) {
            if (!held)
                programLeft(n);
            m_justOpened[std::size_t(n - 1)] = held;
        });
        // Control lines go from every program to the rig, the latest change winning.
        connect(&p.port, &VirtualPort::LineAChanged, this,
                [this](bool on) { d.rigPort.SetLineA(on); });
        connect(&p.port, &VirtualPort::LineBChanged, this,
                [this](bool on) { d.rigPort.SetLineB(on); });
    }
}

void AppPorts::togglePort(int n)
{
    Port &p = port(n);
    m_rx[std::size_t(n - 1)].clear();
    m_refused[std::size_t(n - 1)].clear();
    togglePublished(
        {p.port, p.terminal, d.settings.port(n).name, QString::fromLatin1(refusalText(n)), n == 1},
        d.rigPort, d.messenger);
    emit portChanged(n);
}

void AppPorts::dataReceived(int n)
{
    handleBatch(n, m_rx[std::size_t(n - 1)].feed(port(n).port.ReadText(), d.settings.civRadio()));
}

void AppPorts::programLeft(int n)
{
    // Nothing the program began outlives it: a command it left unfinished would be glued to the
    // next program's first one, and a reply it still waits for would reach the next program.
    handleBatch(n, m_rx[std::size_t(n - 1)].finish());
    d.rig.forget(appSource(n));
}

void AppPorts::handleBatch(int n, const CatFramer::Result &batch)
{
    Port &p = port(n);
    showDiscarded(p.terminal, batch.discarded);
    for (const QByteArray &notice : batch.notices)
        AppendToTerminal(p.terminal, notice);
    const bool justOpened = std::exchange(m_justOpened[std::size_t(n - 1)], false);
    for (const QByteArray &command : batch.pieces) {
        AppendToTerminal(p.terminal, command);
        handle(n, justOpened ? unglued(n, command) : command);
    }
}

QByteArray AppPorts::unglued(int n, const QByteArray &command)
{
    // The text a program wrote before it closed the port can still be unread when the next one
    // writes its first command: the half command left behind heads the new one.
    if (d.settings.civRadio())
        return command; // a CI-V frame is whole or dropped: nothing is left to glue
    const RigType type = d.settings.rigType;
    const QByteArray id = d.rig.cachedReply("ID;");
    const auto isRead = [&](const QByteArray &text) {
        const CommandClass c = classify(text, type, id, n);
        return c == CommandClass::KeptRead || c == CommandClass::Read;
    };
    if (isRead(command))
        return command;
    // The half command is a mnemonic and some of its digits ("FA0001"): CW text ("KY CQ ID;")
    // never counts.
    for (qsizetype at = 3; at + 2 < command.size(); ++at) {
        const char c = command.at(at);
        const char before = command.at(at - 1);
        if (c < 'A' || c > 'Z' || before < '0' || before > '9' || !isRead(command.mid(at)))
            continue;
        AppendToTerminal(port(n).terminal,
                         command.left(at) + " discarded: the program before left it unfinished");
        return command.mid(at);
    }
    return command;
}

void AppPorts::handle(int n, const QByteArray &command)
{
    // A port's own auto-information is what its boxes give it, not the level the bridge keeps
    // the rig at.
    if (command == "AI;") {
        send(n, aiReply(n));
        return;
    }
    const CommandClass kind = classify(command, d.settings.rigType, d.rig.cachedReply("ID;"), n);
    switch (portAction(kind, d.settings.port(n).permission)) {
    case PortAction::Answer:
        if (const QByteArray cached = d.rig.cachedReply(command); !cached.isEmpty()) {
            send(n, cached);
            return;
        }
        d.rig.ask(appSource(n), command); // empty, or out of date since a setting
        break;
    case PortAction::Ask:
        d.rig.ask(appSource(n), command);
        break;
    case PortAction::Set:
        d.rig.set(appSource(n), command);
        break;
    case PortAction::Drop:
        turnDown(n);
        return;
    case PortAction::Refuse:
        refuse(n, command);
        turnDown(n);
        return;
    }
    keepPolling();
}

void AppPorts::turnDown(int n)
{
    if (d.settings.civRadio())
        send(n, "?;");
}

void AppPorts::keepPolling()
{
    // Polling goes on at its interval whatever the ports send; only a stopped timer (a failed
    // connection) is started again.
    if (!d.pollTimer.isActive())
        d.pollTimer.start();
}

void AppPorts::refuse(int n, const QByteArray &command)
{
    const QByteArray kind = command.left(2);
    if (m_refused[std::size_t(n - 1)].contains(kind))
        return;
    m_refused[std::size_t(n - 1)].insert(kind);
    AppendToTerminal(port(n).terminal,
                     command + " not passed: this port may change frequency and mode only");
}

QByteArray AppPorts::aiReply(int n) const
{
    const int level = d.settings.port(n).autoInfoLevel();
    const std::string_view reply = catDialect(d.settings.rigType).aiReplies[std::size_t(level)];
    return QByteArray(reply.data(), qsizetype(reply.size()));
}

void AppPorts::send(int n, const QByteArray &text)
{
    Port &p = port(n);
    AppendToTerminal(p.terminal, text);
    p.port.WriteText(m_rx[std::size_t(n - 1)].wire(text, d.settings.civRadio()));
}

void AppPorts::deliverIf(int n, bool wanted, const QByteArray &text)
{
    if (wanted && port(n).port.IsOpenedByApp())
        send(n, text);
}

void AppPorts::broadcastAutoInfo1(const QByteArray &status, const QList<Source> &askers)
{
    for (int n = 1; n <= kCount; ++n)
        deliverIf(n, d.settings.port(n).autoInfo1 == 1 && !askers.contains(appSource(n)), status);
}

void AppPorts::broadcastAutoInfo2(const QByteArray &reply, const QList<Source> &askers)
{
    for (int n = 1; n <= kCount; ++n)
        deliverIf(n, d.settings.port(n).autoInfo2 == 1 && !askers.contains(appSource(n)), reply);
}

void AppPorts::broadcastReport(const QByteArray &report)
{
    for (int n = 1; n <= kCount; ++n)
        deliverIf(n, d.settings.port(n).autoInfoLevel() > 0, report);
}

void AppPorts::deliverToPort1(const QByteArray &reply)
{
    deliverIf(1, true, reply);
}
