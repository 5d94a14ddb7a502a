#include "bridge/bridge.h"

#include "appports/app_ports.h"
#include "appports/sdr_port.h"
#include "controls/frames.h"
#include "monitor/dbus_publisher.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "net/network_door.h"
#include "net/rigctl_server.h"
#include "net/xmlrpc_server.h"
#include "outports/output_ports.h"
#include "ports/port_folder.h"
#include "ports/pty_port.h"
#include "ports/qt_serial_port.h"
#include "rig/cat_dialect.h"
#include "rig/cat_framing.h"
#include "rig/reply_routing.h"
#include "rig/rig_connection.h"
#include "rig/rig_link.h"
#include "rig/rig_poller.h"
#include "rig/rig_reply_handler.h"
#include "rig/rig_tables.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

Bridge::Bridge(const Controls &controls, Messenger &messenger, Clock &clock, QObject *parent)
    : QObject(parent), m_controls(controls), m_messenger(messenger), m_clock(clock),
      m_folder(std::make_unique<PortFolder>()), m_rigPort(std::make_unique<QtSerialPort>()),
      m_sdrPort(std::make_unique<PtyPort>(*m_folder)),
      m_rigTerminal(std::make_unique<TerminalModel>()),
      m_sdrTerminal(std::make_unique<TerminalModel>()),
      m_networkTerminal(std::make_unique<TerminalModel>()),
      m_xmlRpcTerminal(std::make_unique<TerminalModel>()),
      m_items(std::make_unique<PublishedItems>())
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
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer3.setObjectName(QStringLiteral("Timer3"));
    m_timer4.setObjectName(QStringLiteral("Timer4"));
    m_timer7.setObjectName(QStringLiteral("Timer7"));
    m_dbus =
        std::make_unique<DbusPublisher>(*m_items, *m_rigTerminal, QDBusConnection::sessionBus());

    auto rigType = [this] { return this->rigType(); };
    m_link = std::make_unique<RigLink>(
        RigLink::Deps{*m_rigPort, m_rig, rigType, [this] { return baud(); }});
    m_rigConnection = std::make_unique<RigConnection>(RigConnection::Deps{
        *m_controls.window, *m_controls.rig, *m_rigPort, *m_link, m_rig, *m_rigTerminal, m_timer1,
        m_messenger, m_clock, [this] { saveConfig(); },
        [this](const QByteArray &text) { m_rigReplies->take(text); }});
    m_rigReplies = std::make_unique<RigReplyHandler>(*m_rigPort, *m_rigTerminal);
    m_poller = std::make_unique<RigPoller>(
        RigPoller::Deps{*m_controls.polling, m_timer1, *m_link, *m_sdrPort, rigType,
                        [this] { return m_items->transmitIndicator(); }});
    auto appPort = [this](std::size_t i) {
        return AppPorts::Port{*m_controls.appPorts[i], *m_appPorts[i], *m_appTerminals[i]};
    };
    m_appPortsHandler = std::make_unique<AppPorts>(
        AppPorts::Deps{{appPort(0), appPort(1), appPort(2), appPort(3), appPort(4)},
                       *m_rigPort,
                       *m_link,
                       m_timer1,
                       m_messenger,
                       rigType});
    m_sdr = std::make_unique<SdrPort>(SdrPort::Deps{*m_controls.sdr, *m_sdrPort, *m_sdrTerminal,
                                                    *m_rigPort, *m_link, m_rig, m_timer1,
                                                    m_messenger, rigType});
    auto output = [this](std::size_t i) {
        return OutputPorts::Port{*m_controls.outputs[i], *m_outputPorts[i], *m_outputTerminals[i]};
    };
    m_outputs = std::make_unique<OutputPorts>(OutputPorts::Deps{{output(0), output(1)},
                                                                *m_rigPort,
                                                                m_rig,
                                                                m_messenger,
                                                                {&m_timer3, &m_timer4},
                                                                m_timer7,
                                                                rigType});

    m_server = std::make_unique<RigctlServer>(*m_link);
    m_network = std::make_unique<NetworkDoor>(
        NetworkDoor::Deps{*m_controls.network, *m_server, *m_networkTerminal, m_messenger});
    m_xmlRpcServer = std::make_unique<XmlRpcServer>(*m_link);
    m_xmlRpc = std::make_unique<NetworkDoor>(
        NetworkDoor::Deps{*m_controls.xmlrpc, *m_xmlRpcServer, *m_xmlRpcTerminal, m_messenger});
    // What the door's programs may change, as its frame says.
    QComboBox *permission = m_controls.xmlrpc->cbPermission;
    const auto applyPermission = [this, permission] {
        m_xmlRpcServer->setPermission(permission->currentIndex() == 1 ? Permission::Full
                                                                      : Permission::FreqMode);
    };
    applyPermission();
    connect(permission, &QComboBox::currentIndexChanged, this, applyPermission);

    connect(m_rigReplies.get(), &RigReplyHandler::replyReceived, this, &Bridge::ProcessRigReply);
    connect(m_rigConnection.get(), &RigConnection::rigClosed, m_outputs.get(),
            &OutputPorts::RigDisconnected);
    // A program's setting that no rig took: the radio's own answer to what it cannot do. A
    // refused one has had the rig's "?;" already.
    connect(m_link.get(), &RigAccess::settled, this,
            [this](const Source &source, const QByteArray &, SettingResult result) {
                if (result == SettingResult::NoRig)
                    deliver("?;", {source});
            });
    connect(m_link.get(), &RigLink::notice, this,
            [this](const QByteArray &line) { AppendToTerminal(*m_rigTerminal, line); });

    // The published items, as the window shows them and as other programs reach them.
    connect(m_items.get(), &PublishedItems::text8Changed, m_controls.text8, &QLineEdit::setText);
    connect(m_items.get(), &PublishedItems::transmitIndicatorChanged, m_controls.ovxTx,
            &QLineEdit::setText);
    connect(m_items.get(), &PublishedItems::trxLinkChanged, this, &Bridge::pokeToRig);
    connect(m_controls.cmdTX, &QPushButton::clicked, this,
            [this] { m_items->setTransmitIndicator(QStringLiteral("On")); });
    connect(m_controls.cmdRX, &QPushButton::clicked, this,
            [this] { m_items->setTransmitIndicator(QStringLiteral("Off")); });
}

Bridge::~Bridge() = default;

RigType Bridge::rigType() const
{
    return rigTypeFromIndex(m_controls.rig->cbRigType->currentIndex());
}

TerminalModel &Bridge::terminal(int n)
{
    if (n == 0)
        return *m_rigTerminal;
    if (n == 7)
        return *m_sdrTerminal;
    return *m_appTerminals[std::size_t(n - 1)];
}

void Bridge::saveConfig()
{
    if (m_saveConfig)
        m_saveConfig();
}

int Bridge::baud() const
{
    return baudOf(baudModeAt(m_controls.rig->cbBaudRate->currentIndex()));
}

void Bridge::ProcessRigReply(const QByteArray &reply)
{
    const RigType type = rigType();
    const RigLink::Routed routed = m_link->takeReply(reply);
    // Whoever asked gets it first, as the rig's answer to them; then auto-information to the
    // others. A reply that no one asked for and no rule claims goes to port 1; one the bridge
    // alone asked for (a poll the rig refused), or one that came after its asker gave up, goes
    // nowhere but the rig terminal. Writes the rig refused before it get their "?;" first.
    deliver("?;", routed.refused);
    deliver(reply, routed.askers);
    if (routed.row)
        performRouting(*routed.row, reply, type, routed.askers);
    else if (!routed.asked)
        m_appPortsHandler->DeliverToPort1(reply);
}

void Bridge::deliver(const QByteArray &reply, const QList<Source> &askers)
{
    for (const Source &s : askers) {
        switch (s.kind) {
        case Source::Kind::AppPort:
            m_appPortsHandler->SendToAppPort(s.index, reply);
            break;
        case Source::Kind::Sdr:
            m_sdr->DeliverReply(reply);
            break;
        case Source::Kind::Network:
        case Source::Kind::XmlRpc:
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

void Bridge::performRouting(const RoutingRow &row, const QByteArray &reply, RigType type,
                            const QList<Source> &askers)
{
    const bool sdrAsked = askers.contains(kSdrSource);
    for (RigAction action : row.then) {
        switch (action) {
        case RigAction::None:
            break;
        case RigAction::AI1:
            m_appPortsHandler->BroadcastAutoInfo1(m_rig.get(Entry::IF), askers);
            break;
        case RigAction::AI2:
            m_appPortsHandler->BroadcastAutoInfo2(reply, askers);
            break;
        case RigAction::Sdr:
            if (!sdrAsked)
                m_sdr->DeliverReply(reply);
            break;
        case RigAction::SdrIfYaesu:
            if (type == RigType::Yaesu && !sdrAsked)
                m_sdr->DeliverReply(reply);
            break;
        case RigAction::Out:
            m_outputs->StartOutputWindow();
            break;
        case RigAction::Text8:
            m_items->setText8(reply);
            break;
        case RigAction::TxIndicator:
            m_items->setTransmitIndicator(reply.size() > 2 && reply.at(2) == '1'
                                              ? QStringLiteral("On")
                                              : QStringLiteral("Off"));
            break;
        }
    }
}
