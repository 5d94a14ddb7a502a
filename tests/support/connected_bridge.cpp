#include "connected_bridge.h"

#include "bridge/bridge.h"
#include "civ_command.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "rig/civ_framing.h"
#include "rig/rig_link.h"
#include "rig/rig_reply_handler.h"
#include "rig/rig_tables.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "station_program.h"

#include <QSignalSpy>
#include <QTest>

Clock &testClock()
{
    static ScaledClock clock(4);
    return clock;
}

ConnectedBridge::ConnectedBridge(RigType type, const QString &model, int baud)
    : m_type(type), m_model(model), m_baud(baud)
{
    usePrivateRuntimeDir(m_dir);
    StationSettings settings;
    settings.rigType = type;
    m_bridge = std::make_unique<Bridge>(settings, m_messenger, testClock());
}

ConnectedBridge::~ConnectedBridge()
{
    m_programs.clear();
    m_bridge.reset();
    m_sim.reset();
}

bool ConnectedBridge::connectRig()
{
    m_sim = m_model.isEmpty() ? std::make_unique<RigSimThread>(m_type, m_baud)
                              : std::make_unique<RigSimThread>(m_model, m_baud);
    const QString path = m_sim->start();
    if (path.isEmpty())
        return m_why = m_sim->errorString(), false;
    connect(m_sim.get(), &RigSimThread::received, this,
            [this](const QByteArray &chunk) { m_atRig += chunk; });
    quint8 civAddress = 0;
    m_sim->invoke([&](RigSimServer &s) {
        if (s.model().radio().civ)
            civAddress = s.model().radio().civ->address;
    });
    // The transmit indicator as start-up leaves it, so that polling writes from the first tick.
    bridge().items().setTransmitIndicator(QStringLiteral("Off"));
    edit([&](StationSettings &s) {
        s.rigType = m_type;
        s.rigPort = path;
        if (civAddress)
            s.civAddress = civAddress;
    });
    QSignalSpy finished(&bridge().rigConnection(), &RigConnection::finished);
    bridge().connectRig();
    if (!finished.wait(10000) || !bridge().rigPort().IsOpened()) {
        m_why = QStringLiteral("the rig port did not stay open (") +
                bridge().rigPort().ErrorString() + QStringLiteral("); the probe read \"") +
                QString::fromLatin1(bridge().rig().get(Entry::FA)) + QLatin1Char('"');
        return false;
    }
    // Connected once the first poll has been answered.
    const QByteArray poll = toRig(pollWrites(false, false, m_type).constLast());
    if (!QTest::qWaitFor([&] { return m_atRig.contains(poll); }) || !settleRig())
        return m_why = QStringLiteral("the rig was never polled"), false;
    return true;
}

StationProgram &ConnectedBridge::program(int n)
{
    auto &p = m_programs[n];
    if (!p) {
        VirtualPort &port = n == 7 ? bridge().sdrPort() : bridge().appPort(n);
        if (!port.IsCreated())
            bridge().togglePort(n);
        p = std::make_unique<StationProgram>(port.DevicePath());
        if (!QTest::qWaitFor([&port] { return port.IsOpenedByApp(); }))
            qWarning("the bridge did not notice a program opening %s",
                     qPrintable(port.DevicePath()));
    }
    return *p;
}

void ConnectedBridge::closeProgram(int n)
{
    m_programs.erase(n);
    VirtualPort &port = n == 7 ? bridge().sdrPort() : bridge().appPort(n);
    if (!QTest::qWaitFor([&port] { return !port.IsOpenedByApp(); }))
        qWarning("the bridge did not notice a program closing %s", qPrintable(port.DevicePath()));
}

QByteArray ConnectedBridge::simReply(const QByteArray &query)
{
    QByteArray reply;
    m_sim->invoke([&](RigSimServer &s) { reply = s.model().feed(query).join(); });
    return reply;
}

bool ConnectedBridge::settle(int n)
{
    // The program's marker (answered from the virtual rig), the rig's, the program's again.
    return portMarker(n) && settleRig() && portMarker(n);
}

QByteArray ConnectedBridge::toRig(const QByteArray &text) const
{
    const std::optional<quint8> civ = m_bridge->settings().civRadio();
    return civ ? CivLine(CivLine::End::Controller).frames(text, *civ) : text;
}

QByteArray ConnectedBridge::toProgram(const QByteArray &text) const
{
    const std::optional<quint8> civ = m_bridge->settings().civRadio();
    return civ ? CivLine(CivLine::End::Radio).frames(text, *civ) : text;
}

QByteArray ConnectedBridge::idQuery() const
{
    return m_bridge->settings().civRadio() ? "1900;" : "ID;";
}

bool ConnectedBridge::portMarker(int n)
{
    StationProgram &p = program(n);
    // No setting puts the radio's ID out of date.
    const QByteArray marker = toProgram(bridge().rig().get(rowOfQuery(idQuery())->entry));
    if (marker.isEmpty())
        return false;
    const qsizetype before = p.received().size();
    p.write(toRig(idQuery()));
    if (!QTest::qWaitFor([&] { return p.received().indexOf(marker, before) >= 0; }))
        return false;
    p.drop(p.received().indexOf(marker, before), marker.size());
    return true;
}

bool ConnectedBridge::settleRig()
{
    // The rig answers in order: once the reply to this query is handled, every earlier one is.
    QSignalSpy replies(&bridge().rigReplies(), &RigReplyHandler::replyReceived);
    const QByteArray id = idQuery();
    bridge().link().ask({Source::Kind::Bridge, 0}, id); // behind everything waiting
    return QTest::qWaitFor([&] {
        return std::any_of(replies.cbegin(), replies.cend(), [&](const QList<QVariant> &r) {
            return r.at(0).toByteArray().startsWith(id.chopped(1));
        });
    });
}
