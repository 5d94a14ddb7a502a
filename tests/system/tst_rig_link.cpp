#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "rig/rig_link.h"
#include "rig/rig_tables.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "station_program.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The rig link with each simulated radio family: what the virtual rig keeps, what polling asks,
// where replies go.
class TestRigLink : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { m_bridges.clear(); }
    void connectionFillsWhatTheTypeKeeps_data();
    void connectionFillsWhatTheTypeKeeps();
    void pollingByTypeAndState_data();
    void pollingByTypeAndState();
    void ftRepliesReachTheSdrProgramOnlyFromAYaesu_data();
    void ftRepliesReachTheSdrProgramOnlyFromAYaesu();
    void autoInformationReachesOnlyHeldPorts();
    void pollingKeepsItsIntervalUnderTraffic();
    void pokesFasterThanTheLineStayBounded();
    void portsRefusedWhileClosedOrHeld();

private:
    ConnectedBridge &connected(RigType type);
    std::map<RigType, std::unique_ptr<ConnectedBridge>> m_bridges;
};

ConnectedBridge &TestRigLink::connected(RigType type)
{
    auto &b = m_bridges[type];
    if (!b) {
        b = std::make_unique<ConnectedBridge>(type);
        if (!b->connectRig())
            qFatal("cannot connect the simulated %s: %s", qPrintable(rigTypeName(type)),
                   qPrintable(b->why()));
    }
    return *b;
}

void TestRigLink::connectionFillsWhatTheTypeKeeps_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<int>("filled"); // entries the load queries and the first polls fill
    // All but KP and TX on a K3; the FT-991 answers FR with "?;", so its FR entry stays empty.
    QTest::newRow("K3") << RigType::K3 << 25;
    QTest::newRow("Yaesu") << RigType::Yaesu << 7;
    QTest::newRow("Kenwood") << RigType::Kenwood << 10;
    QTest::newRow("K2") << RigType::K2 << 13;
}

void TestRigLink::connectionFillsWhatTheTypeKeeps()
{
    QFETCH(RigType, type);
    QFETCH(int, filled);
    ConnectedBridge &b = connected(type);
    QVERIFY(b.settleRig());
    int count = 0;
    for (const EntryRow &row : kEntries) {
        const QByteArray got = b.bridge().rig().get(row.entry);
        count += !got.isEmpty();
        if (!got.isEmpty())
            QTRY_COMPARE(b.bridge().rig().get(row.entry), b.simReply(queryOf(row.entry)));
    }
    QCOMPARE(count, filled);
    QVERIFY(!b.bridge().rig().get(Entry::FA).isEmpty() &&
            !b.bridge().rig().get(Entry::IF).isEmpty());
}

void TestRigLink::pollingByTypeAndState_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<bool>("sdr"); // a program on the SDR port, or else the rig transmitting
    QTest::newRow("Yaesu with SDR") << RigType::Yaesu << true;
    QTest::newRow("K2 transmit") << RigType::K2 << false;
    QTest::newRow("Kenwood transmit") << RigType::Kenwood << false;
}

void TestRigLink::pollingByTypeAndState()
{
    QFETCH(RigType, type);
    QFETCH(bool, sdr);
    // The writes of one tick, run together: the family's for that state, and nothing else.
    const QByteArray polled = pollWrites(!sdr, sdr, type).join();
    QVERIFY(!polled.isEmpty());
    ConnectedBridge &b = connected(type);
    b.bridge().setPollInterval(100);
    // A K3 or K2 reports keying in its TQ replies; the others only through the indicator.
    const auto enter = [&](bool on) {
        if (sdr)
            on ? void(b.program(7)) : b.closeProgram(7);
        else if (type == RigType::K3 || type == RigType::K2)
            b.sim().invoke([on](RigSimServer &s) { s.setTransmit(on); });
        else
            b.bridge().setTransmitting(on);
        QTRY_COMPARE(b.bridge().items().transmitIndicator(), on && !sdr ? "On" : "Off");
    };
    enter(true);
    b.clearAtRig();
    QTRY_VERIFY_WITH_TIMEOUT(b.atRig().count(polled) >= 3, 5000);
    // Nothing else: from the first whole tick on, the rig reads the same text again and again.
    const QByteArray stream = b.atRig().mid(b.atRig().indexOf(polled));
    QCOMPARE(stream.left(polled.size() * 2), polled + polled);
    enter(false);
    b.bridge().setPollInterval(200);
}

void TestRigLink::ftRepliesReachTheSdrProgramOnlyFromAYaesu_data()
{
    QTest::addColumn<RigType>("type");
    QTest::newRow("Yaesu") << RigType::Yaesu;
    QTest::newRow("Kenwood") << RigType::Kenwood;
}

void TestRigLink::ftRepliesReachTheSdrProgramOnlyFromAYaesu()
{
    QFETCH(RigType, type);
    ConnectedBridge &b = connected(type);
    StationProgram &sdr = b.program(7);
    // Connecting again sends the load queries, FT among them; the others also poll it. Nothing
    // may still be on its way from the rig then, or the probe would read it before its FA reply.
    b.bridge().pollTimer().stop();
    QVERIFY(b.settleRig());
    b.bridge().toggleRig();
    b.bridge().toggleRig();
    QVERIFY2(b.bridge().rigPort().IsOpened(), b.bridge().rig().get(Entry::FA).constData());
    QVERIFY(b.settleRig());
    QVERIFY(b.bridge().terminal(0).lines().contains(b.simReply("FT;")));
    QTRY_COMPARE(sdr.received().contains("FT"), type == RigType::Yaesu);
    b.closeProgram(7);
}

void TestRigLink::autoInformationReachesOnlyHeldPorts()
{
    ConnectedBridge &b = connected(RigType::K3);
    // Port 1 passes an unknown command; the K3's "?;" matches no routing row and goes to port 1.
    StationProgram &one = b.program(1);
    one.write("ZZ;");
    QTRY_VERIFY(one.received().contains("?;"));
    QTRY_VERIFY(b.bridge().terminal(1).lines().contains("?;"));
    QVERIFY(b.bridge().terminal(0).lines().contains("?;"));
    one.take();
    StationProgram &two = b.program(2);
    StationProgram &three = b.program(3);
    b.bridge().togglePort(4); // nobody holds port 4
    b.edit([](StationSettings &s) {
        setPortBox(s, 2, PortBox::AI2, 1);
        setPortBox(s, 3, PortBox::AI1, 1);
        setPortBox(s, 4, PortBox::AI2, 1);
    });
    const int port4Lines = b.bridge().terminal(4).lineCount();

    // VFO A turned on the rig's panel: the K3 in AI2 reports it unasked.
    b.sim().invoke([](RigSimServer &s) { s.turnVfoA(14070000); });
    QTRY_VERIFY(two.received().contains("FA00014070000;"));
    QTRY_VERIFY(b.bridge().terminal(2).lines().contains("FA00014070000;"));
    // Port 3 gets the stored IF reply after IF (polling) and MD replies, never the FA reply.
    QTRY_VERIFY(b.bridge().rig().get(Entry::IF).mid(2, 11) == "00014070000");
    QTRY_VERIFY(three.received().contains(b.bridge().rig().get(Entry::IF)));
    QVERIFY(!three.received().contains("FA"));
    QVERIFY(!two.received().contains("IF"));
    QCOMPARE(b.bridge().terminal(4).lineCount(), port4Lines);

    b.edit([](StationSettings &s) {
        setPortBox(s, 2, PortBox::AI2, 0);
        setPortBox(s, 3, PortBox::AI1, 0);
        setPortBox(s, 4, PortBox::AI2, 0);
    });
    b.sim().invoke([](RigSimServer &s) { s.turnVfoA(14074000); });
}

void TestRigLink::pollingKeepsItsIntervalUnderTraffic()
{
    // A program sending a setting every 100 ms does not hold polling off.
    ConnectedBridge &b = connected(RigType::K3);
    StationProgram &one = b.program(1);
    QTimer &timer1 = b.bridge().pollTimer();
    b.bridge().setPollInterval(300);
    QTimer sender;
    connect(&sender, &QTimer::timeout, this, [&one] { one.write("FB00014080000;"); });
    sender.start(100);
    QSignalSpy polls(&timer1, &QTimer::timeout);
    QTRY_VERIFY_WITH_TIMEOUT(polls.count() >= 3, 10000); // a poll every 300 ms
    sender.stop();
    QVERIFY(b.atRig().contains("FB00014080000;"));
    // A stopped timer (a connection that failed) is started again by a forwarded command.
    timer1.stop();
    one.write("FB00014080000;");
    QVERIFY(b.settle(1));
    QVERIFY(timer1.isActive());
    b.bridge().setPollInterval(50); // below the range: its lowest, at once
    QCOMPARE(b.bridge().settings().pollInterval, 100);
    QCOMPARE(timer1.interval(), testClock().realMs(100));
    b.bridge().setPollInterval(200);
}

void TestRigLink::pokesFasterThanTheLineStayBounded()
{
    // A D-Bus client poking far faster than the line carries: what waits stays within the
    // queue's bound, and the rig ends where the last poke put it.
    ConnectedBridge &b = connected(RigType::K3);
    const RigLink &link = b.bridge().link();
    for (int i = 0; i < 5000; ++i) {
        b.bridge().pokeToRig(
            QStringLiteral("FA%1;MD2;").arg(14000000 + i * 10, 11, 10, QLatin1Char('0')));
        QVERIFY2(link.queue().bytes() <= link.queueBound() + 16,
                 qPrintable(QString::number(link.queue().bytes())));
    }
    QTRY_VERIFY(b.bridge().terminal(0).lines().join().contains("the oldest are dropped"));
    QVERIFY(b.settleRig());
    qint64 vfoA = 0;
    b.sim().invoke([&](RigSimServer &s) { vfoA = s.model().vfoA(); });
    QCOMPARE(vfoA, 14000000 + 4999 * 10);
    QTRY_COMPARE(b.bridge().rig().get(Entry::FA), QByteArray("FA00014049990;"));
}

void TestRigLink::portsRefusedWhileClosedOrHeld()
{
    ConnectedBridge closed(RigType::K3); // never connected
    for (int n = 1; n <= 5; ++n) {
        closed.bridge().togglePort(n);
        QCOMPARE(closed.messenger().shown.size(), n);
        QCOMPARE(closed.messenger().shown.last().title, QStringLiteral("Warning"));
        QCOMPARE(closed.messenger().shown.last().text,
                 QLatin1String(n <= 2 ? "Connect to rig first" : "Connect to K3 first"));
        QVERIFY(!closed.bridge().appPort(n).IsCreated());
    }
    ConnectedBridge &b = connected(RigType::K3);
    StationProgram &five = b.program(5);
    b.messenger().shown.clear();
    b.bridge().togglePort(5);
    QCOMPARE(b.messenger().shown.size(), 1);
    QCOMPARE(b.messenger().shown.first().text,
             QStringLiteral("Port cannot be deleted: the port is open."));
    five.write("FA;"); // the port keeps working
    QTRY_VERIFY(five.received().startsWith("FA000"));
    b.closeProgram(5);
    b.bridge().togglePort(5);
    QVERIFY(!b.bridge().appPort(5).IsCreated());
}

QTEST_MAIN(TestRigLink)
#include "tst_rig_link.moc"
