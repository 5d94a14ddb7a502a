#include "bridge/bridge.h"

#include "appports/app_ports.h"
#include "appports/sdr_port.h"
#include "bridge/launcher.h"
#include "monitor/dbus_publisher.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "net/network_door.h"
#include "net/rigctl_server.h"
#include "net/xmlrpc_server.h"
#include "outports/output_lines.h"
#include "outports/output_ports.h"
#include "platform/clock.h"
#include "platform/messenger.h"
#include "ports/port_folder.h"
#include "ports/pty_port.h"
#include "ports/qt_serial_port.h"
#include "rig/cat_dialect.h"
#include "rig/reply_routing.h"
#include "rig/rig_link.h"
#include "rig/rig_poller.h"
#include "rig/rig_reply_handler.h"
#include "rig/rig_tables.h"

namespace {
// Start-up gives the first port's program a moment to open its port before the others start.
constexpr int kFirstProgramPause = 500;
} // namespace

Bridge::Bridge(const StationSettings &settings, Messenger &messenger, Clock &clock,
               const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_settings(settings), m_messenger(messenger), m_clock(clock),
      m_folder(std::make_unique<PortFolder>()), m_rigPort(std::make_unique<QtSerialPort>()),
      m_sdrPort(std::make_unique<PtyPort>(*m_folder)),
      m_rigTerminal(std::make_unique<TerminalModel>()),
      m_sdrTerminal(std::make_unique<TerminalModel>()), m_items(std::make_unique<PublishedItems>())
{
    setObjectName(QStringLiteral("Bridge"));
    for (auto &port : m_outputPorts)
        port = std::make_unique<QtSerialPort>();
    for (auto &port : m_appPorts)
        port = std::make_unique<PtyPort>(*m_folder);
    for (auto &terminal : m_appTerminals)
        terminal = std::make_unique<TerminalModel>();
    for (auto &terminal : m_outputTerminals)
        terminal = std::make_unique<TerminalModel>();
    for (auto &terminal : m_doorTerminals)
        terminal = std::make_unique<TerminalModel>();
    m_pollTimer.setObjectName(QStringLiteral("pollTimer"));
    m_clock.setInterval(m_pollTimer, m_settings.pollInterval);
    m_startTimer.setSingleShot(true);
    m_dbus = std::make_unique<DbusPublisher>(*m_items, *m_rigTerminal, bus);

    m_link = std::make_unique<RigLink>(RigLink::Deps{*m_rigPort, m_rig, m_settings, m_clock});
    m_link->setLineSpeed(baudOf(baudModeAt(m_settings.baudIndex)));
    m_rigReplies = std::make_unique<RigReplyHandler>(*m_rigPort, *m_rigTerminal, m_settings);
    m_rigConnection = std::make_unique<RigConnection>(
        RigConnection::Deps{m_settings, *m_rigPort, *m_link, *m_rigReplies, *m_rigTerminal,
                            m_pollTimer, m_messenger, m_clock});
    m_poller = std::make_unique<RigPoller>(
        RigPoller::Deps{m_settings, m_pollTimer, *m_link, *m_sdrPort, *m_items});
    auto appPort = [this](std::size_t i) {
        return AppPorts::Port{*m_appPorts[i], *m_appTerminals[i]};
    };
    m_appPortsHandler = std::make_unique<AppPorts>(
        AppPorts::Deps{m_settings,
                       {appPort(0), appPort(1), appPort(2), appPort(3), appPort(4)},
                       *m_rigPort,
                       *m_link,
                       m_pollTimer,
                       m_messenger});
    m_sdr =
        std::make_unique<SdrPort>(SdrPort::Deps{m_settings, *m_sdrPort, *m_sdrTerminal, *m_rigPort,
                                                *m_link, m_rig, m_pollTimer, m_messenger});
    auto output = [this](std::size_t i) {
        return OutputPorts::Port{*m_outputPorts[i], *m_outputTerminals[i]};
    };
    m_outputs = std::make_unique<OutputPorts>(OutputPorts::Deps{
        m_settings, {output(0), output(1)}, *m_rigPort, m_rig, m_messenger, m_clock});

    m_rigctlServer = std::make_unique<RigctlServer>(*m_link, m_clock);
    m_xmlRpcServer = std::make_unique<XmlRpcServer>(*m_link, m_clock);
    m_xmlRpcServer->setPermission(m_settings.door(Door::XmlRpc).permission);
    const auto makeDoor = [this](Door door, const QString &title, DoorServer &server) {
        auto made = std::make_unique<NetworkDoor>(NetworkDoor::Deps{
            title, m_settings.door(door), server, doorTerminal(door), m_messenger});
        connect(made.get(), &NetworkDoor::addressConfirmed, this,
                [this, door](const QString &address) {
                    StationSettings next = m_settings;
                    next.door(door).confirmedAddress = address;
                    changeSettings(next);
                });
        m_doors[std::size_t(door)] = std::move(made);
    };
    makeDoor(Door::Rigctl, QStringLiteral("Network"), *m_rigctlServer);
    makeDoor(Door::XmlRpc, QStringLiteral("XML-RPC"), *m_xmlRpcServer);

    connect(m_rigReplies.get(), &RigReplyHandler::replyReceived, this, &Bridge::processRigReply);
    connect(m_rigConnection.get(), &RigConnection::rigClosed, m_outputs.get(),
            &OutputPorts::rigDisconnected);
    connect(m_appPortsHandler.get(), &AppPorts::portChanged, this, &Bridge::portChanged);
    connect(m_sdr.get(), &SdrPort::portChanged, this, [this] { emit portChanged(7); });
    connect(m_outputs.get(), &OutputPorts::portChanged, this, &Bridge::outputChanged);
    // A program's setting that no rig took: the radio's own answer to what it cannot do. A
    // refused one has had the rig's "?;" already.
    connect(m_link.get(), &RigAccess::settled, this,
            [this](const Source &source, const QByteArray &, SettingResult result) {
                if (result == SettingResult::NoRig)
                    deliver("?;", {source});
            });
    // A CI-V program is told NG where the radio would not answer: a read given up on, refused
    // by a full queue, or asked with no rig connected.
    connect(m_link.get(), &RigAccess::unanswered, this, [this](const Source &source) {
        if (m_settings.civRadio() &&
            (source.kind == Source::Kind::AppPort || source.kind == Source::Kind::Sdr))
            deliver("?;", {source});
    });
    connect(m_link.get(), &RigLink::notice, this,
            [this](const QByteArray &line) { AppendToTerminal(*m_rigTerminal, line); });
    connect(m_items.get(), &PublishedItems::trxLinkChanged, this, &Bridge::pokeToRig);
}

Bridge::~Bridge() = default;

void Bridge::changeSettings(const StationSettings &settings)
{
    if (settings == m_settings)
        return;
    const StationSettings before = std::exchange(m_settings, settings);
    if (before.pollInterval != m_settings.pollInterval)
        m_clock.setInterval(m_pollTimer, m_settings.pollInterval); // counts afresh when running
    if (before.baudIndex != m_settings.baudIndex) {
        m_rigConnection->applyBaudMode();
        m_link->setLineSpeed(baudOf(baudModeAt(m_settings.baudIndex)));
    }
    m_xmlRpcServer->setPermission(m_settings.door(Door::XmlRpc).permission);
    emit settingsChanged();
}

void Bridge::setPollInterval(int ms)
{
    StationSettings next = m_settings;
    next.pollInterval = std::clamp(ms, kMinPollInterval, kMaxPollInterval);
    changeSettings(next);
}

void Bridge::setPermission(int n, Permission permission)
{
    if (n == 1)
        return; // port 1 passes every setting
    StationSettings next = m_settings;
    next.port(n).permission = permission;
    changeSettings(next);
}

VirtualPort &Bridge::appPort(int n)
{
    return n == 7 ? *m_sdrPort : *m_appPorts[std::size_t(n - 1)];
}

TerminalModel &Bridge::terminal(int n)
{
    if (n == 0)
        return *m_rigTerminal;
    if (n == 7)
        return *m_sdrTerminal;
    return *m_appTerminals[std::size_t(n - 1)];
}

void Bridge::start()
{
    m_rigPort->SetLineB(false);
    m_rigPort->SetLineA(false);
    for (auto &port : m_outputPorts)
        port->SetMode(QStringLiteral("4800,N,8,1"));
    setTransmitting(false);
    if (m_settings.rigAutoConnect == 0) {
        startPorts();
        return;
    }
    // The doors' clients and the ports' programs meet a rig already loaded.
    connect(m_rigConnection.get(), &RigConnection::finished, this, &Bridge::startPorts,
            Qt::SingleShotConnection);
    m_rigConnection->connectRig();
}

void Bridge::startPort(int n)
{
    const AppPortSettings &port = m_settings.port(n);
    if (port.autoConnect == 0)
        return;
    if (!m_appPorts[std::size_t(n - 1)]->IsCreated())
        togglePort(n);
    if (port.autoLaunch != 0)
        launchProgram(port.program, terminal(n));
}

void Bridge::startPorts()
{
    for (const auto &door : m_doors)
        door->listenAtStart();
    startPort(1);
    const auto rest = [this] {
        for (int n = 2; n <= 5; ++n)
            startPort(n);
        if (m_settings.sdr.autoConnect != 0 && !m_sdrPort->IsCreated())
            togglePort(7);
        for (int i = 1; i <= 2; ++i) {
            if (m_settings.output(i).autoConnect != 0 &&
                !m_outputPorts[std::size_t(i - 1)]->IsOpened())
                toggleOutput(i);
        }
        if (m_settings.sdr.autoLaunch != 0)
            launchProgram(m_settings.sdr.program, terminal(7));
        if (!m_pollTimer.isActive() && m_rigConnection->state() != RigConnection::State::Closed)
            m_pollTimer.start();
        emit started();
    };
    if (m_settings.port(1).autoConnect != 0 && m_settings.port(1).autoLaunch != 0) {
        connect(&m_startTimer, &QTimer::timeout, this, rest, Qt::SingleShotConnection);
        m_clock.start(m_startTimer, kFirstProgramPause);
    } else {
        rest();
    }
}

bool Bridge::shutDown()
{
    m_startTimer.stop();
    for (int n : {1, 2, 3, 4, 5, 7}) {
        VirtualPort &port = appPort(n);
        if (port.IsOpenedByApp()) {
            const bool yes = m_messenger.show(
                {QStringLiteral("Error"),
                 QStringLiteral("Virtual Serial Port is still used by other application\r\n"
                                "Do you want to exit anyway ?"),
                 Message::Buttons::YesNo, Message::Icon::Stop});
            if (!yes)
                return false;
        }
        port.ForceDeletePort();
    }
    m_rigPort->SetLineB(false);
    m_rigPort->SetLineA(false);
    return true;
}

void Bridge::connectRig()
{
    m_rigConnection->connectRig();
}

void Bridge::disconnectRig()
{
    m_rigConnection->disconnectRig();
}

void Bridge::toggleRig()
{
    if (m_rigConnection->state() == RigConnection::State::Closed)
        connectRig();
    else
        disconnectRig();
}

void Bridge::togglePort(int n)
{
    if (n == 7)
        m_sdr->togglePort();
    else
        m_appPortsHandler->togglePort(n);
}

void Bridge::toggleOutput(int i)
{
    m_outputs->togglePort(i);
}

void Bridge::toggleDoor(Door door)
{
    m_doors[std::size_t(door)]->toggle();
}

void Bridge::setTransmitting(bool on)
{
    m_items->setTransmitIndicator(on ? QStringLiteral("On") : QStringLiteral("Off"));
}

void Bridge::processRigReply(const QByteArray &reply)
{
    const RigLink::Routed routed = m_link->takeReply(reply);
    // Whoever asked gets it first, as the rig's answer to them; then auto-information to the
    // others. A reply that no one asked for and no rule claims goes to port 1; one the bridge
    // alone asked for (a poll the rig refused), or one that came after its asker gave up, goes
    // nowhere but the rig terminal. Writes the rig refused before it get their "?;" first.
    const CatDialect &family = catDialect(m_settings.rigType);
    deliver("?;", routed.refused);
    deliver(reply, routed.askers);
    if (routed.row)
        performRouting(routed);
    else if (!routed.asked && family.strayToPort1)
        m_appPortsHandler->deliverToPort1(reply);
}

void Bridge::deliver(const QByteArray &reply, const QList<Source> &askers)
{
    for (const Source &s : askers) {
        switch (s.kind) {
        case Source::Kind::AppPort:
            m_appPortsHandler->send(s.index, reply);
            break;
        case Source::Kind::Sdr:
            m_sdr->deliverReply(reply);
            break;
        case Source::Kind::Network:
        case Source::Kind::XmlRpc:
            // A CI-V radio's OK is for the programs that speak CI-V: a door learns of its
            // setting's fate from the link.
            if (reply != QByteArrayView(catDialect(m_settings.rigType).okReply))
                m_link->answer(s, reply);
            break;
        case Source::Kind::Bridge:
        case Source::Kind::Dbus:
            break; // a D-Bus client has no way to be answered; the rig terminal shows it
        }
    }
}

void Bridge::pokeToRig(const QString &text)
{
    m_link->poke({Source::Kind::Dbus, 0}, text.toLatin1());
}

void Bridge::performRouting(const RigLink::Routed &routed)
{
    const RoutingRow &row = *routed.row;
    const QByteArray &reply = routed.kept;
    const QList<Source> &askers = routed.askers;
    const CatDialect &family = catDialect(m_settings.rigType);
    const bool sdrAsked = askers.contains(kSdrSource);
    for (RigAction action : row.then) {
        switch (action) {
        case RigAction::None:
            break;
        case RigAction::AI1:
            m_appPortsHandler->broadcastAutoInfo1(m_rig.get(Entry::IF), askers);
            break;
        case RigAction::AI2:
            m_appPortsHandler->broadcastAutoInfo2(reply, askers);
            break;
        case RigAction::Sdr:
            if (!sdrAsked)
                m_sdr->deliverReply(reply);
            break;
        case RigAction::Out:
            m_outputs->startOutputWindow();
            break;
        case RigAction::Text8:
            m_items->setText8(family.civ ? frequencyLine(reply) : reply);
            break;
        case RigAction::TxIndicator:
            setTransmitting(transmitState(family, row.entry, reply).value_or(false));
            break;
        case RigAction::Report:
            if (routed.report || routed.changed) {
                const QByteArray report = reportOf(family, reply);
                m_appPortsHandler->broadcastReport(report);
                if (!sdrAsked)
                    m_sdr->deliverReply(report);
            }
            break;
        }
    }
}
