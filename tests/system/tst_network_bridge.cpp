// Both network doors on a bridge connected to a simulated radio: Hamlib's NET rigctl and FLRig
// clients read and change the rig through them, rigctld on the same radio judges the small
// answers, and network clients and a station program on a port follow each other's changes.

#include "../net/rigctl_test_client.h"
#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "hamlib_tools.h"
#include "monitor/terminal_model.h"
#include "net/rigctl_server.h"
#include "net/xmlrpc_server.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "station_program.h"
#include "tool_run.h"

#include <QTest>

using test_tools::freePort;

class TestNetworkBridge : public QObject {
    Q_OBJECT
private slots:
    void hamlibThroughADoor_data();
    void hamlibThroughADoor();
    void clientsAndAPortFollowEachOther();
    void answersAsRigctldDoes_data();
    void answersAsRigctldDoes();
};

void TestNetworkBridge::hamlibThroughADoor_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<int>("hamlib"); // 2: NET rigctl on the rigctld door, 4: FLRig on flrig's
    for (RigType t : {RigType::K3, RigType::Yaesu, RigType::Kenwood, RigType::K2})
        QTest::addRow("%s rigctld", qPrintable(rigTypeName(t))) << t << 2;
    QTest::newRow("Yaesu flrig") << RigType::Yaesu << 4;
    QTest::newRow("K2 flrig") << RigType::K2 << 4;
}

void TestNetworkBridge::hamlibThroughADoor()
{
    QFETCH(RigType, type);
    QFETCH(int, hamlib);
    QString rigctl;
    OVX2_REQUIRE_HAMLIB_TOOL(rigctl, "rigctl");
    ConnectedBridge b(type);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    const quint16 port = freePort();
    DoorServer &door = hamlib == 2 ? static_cast<DoorServer &>(b.bridge().rigctlServer())
                                   : b.bridge().xmlRpcServer();
    QVERIFY(door.listen(QHostAddress::LocalHost, port));
    b.sim().invoke([](RigSimServer &s) { s.selectMode('1'); }); // LSB, so that USB is news
    const QString commands = hamlib == 2 ? "get_powerstat dump_state" : "V VFOB S 1 VFOB s";
    const test_tools::ToolRun run = test_tools::runTool(
        rigctl,
        QStringList{"-m", QString::number(hamlib), "-r", QStringLiteral("127.0.0.1:%1").arg(port)} +
            ("f F 7040000 f m M USB 2400 m v t T 1 t T 0 t s " + commands).split(' '));
    QVERIFY2(run.ok && !run.out.contains("rror"), run.out + run.err.right(2000));
    // f, f, m (mode, width; may be what the bridge held before the panel's change), m, v, t, t,
    // t, s (split, tx VFO), then the power and the rig's description, or s after S.
    const QStringList got = rigctlAnswers(run.out);
    QVERIFY2(got.size() >= 14, qPrintable(got.join(QLatin1Char('|'))));
    QCOMPARE(QStringList{got[1]} + got.mid(4, 10),
             QStringList({"7040000", "USB", "2400", "VFOA", "0", "1", "0", "0", "VFOA", "1"}) +
                 QStringList{hamlib == 2 ? got[13] : "VFOB"});
    QVERIFY(hamlib == 4 || got.size() > 30);
    qint64 vfoA = 0;
    char mode = 0;
    bool transmitting = true, split = false;
    b.sim().invoke([&](RigSimServer &s) {
        vfoA = s.model().vfoA();
        mode = s.model().mode();
        transmitting = s.model().isTransmitting();
        split = s.model().isSplit();
    });
    QCOMPARE(vfoA, 7040000);
    QCOMPARE(mode, '2'); // USB on every family
    QVERIFY(!transmitting);
    QCOMPARE(split, hamlib == 4);
    const QByteArrayList traffic =
        b.bridge().doorTerminal(hamlib == 2 ? Door::Rigctl : Door::XmlRpc).lines();
    QVERIFY2(
        traffic.contains(hamlib == 2 ? "#1> F 7040000.000000" : "#1> rig.set_vfoA 7040000 -> OK"),
        traffic.join('\n'));
}

void TestNetworkBridge::clientsAndAPortFollowEachOther()
{
    // Two network clients and a logger on port 1 take turns to change the frequency; each change
    // reaches all three within one poll interval plus 100 ms.
    constexpr int kPollMs = 200;
    ConnectedBridge b(RigType::K3);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    b.bridge().setPollInterval(kPollMs);
    QVERIFY(b.bridge().rigctlServer().listen(QHostAddress::LocalHost, 0));
    RigctlTestClient clients[2];
    for (RigctlTestClient &c : clients)
        QVERIFY(c.connectTo(b.bridge().rigctlServer().port()));
    StationProgram &logger = b.program(1);
    auto waitFor = [](auto done) { // in 1 ms steps: the bound below is tight
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 60000)
            QTest::qWait(1);
        return done();
    };
    auto frequencyOf = [&](int who) -> qint64 {
        if (who < 2) {
            clients[who].send("f\n");
            return waitFor([&] { return clients[who].received().endsWith('\n'); })
                       ? clients[who].take().trimmed().toLongLong()
                       : -1;
        }
        logger.take();
        logger.write("FA;");
        return waitFor([&] { return logger.received().endsWith(';'); })
                   ? logger.take().mid(2, 11).toLongLong()
                   : -1;
    };
    for (int n = 0; n < 6; ++n) {
        const qint64 hz = 7010000 + 1000 * n;
        if (n % 3 < 2) {
            clients[n % 3].send("F " + QByteArray::number(hz) + "\n");
            QTRY_COMPARE(clients[n % 3].received(), QByteArray("RPRT 0\n"));
            clients[n % 3].take();
        } else {
            logger.write("FA" + QByteArray::number(hz).rightJustified(11, '0') + ';');
        }
        QTRY_VERIFY(b.atRig().contains(QByteArray::number(hz) + ';')); // the rig has it
        QElapsedTimer clock;
        clock.start();
        for (int reader = 0; reader < 3; ++reader) {
            QTRY_COMPARE_WITH_TIMEOUT(frequencyOf(reader), hz, 60000);
            QVERIFY2(clock.elapsed() <= kPollMs + 100,
                     qPrintable(QStringLiteral("reader %1 saw %2 after %3 ms")
                                    .arg(reader)
                                    .arg(hz)
                                    .arg(clock.elapsed())));
        }
    }
}

void TestNetworkBridge::answersAsRigctldDoes_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("hamlib");
    QTest::addColumn<int>("unserved"); // lines of rigctld's \dump_state for modes not served
    QTest::addColumn<int>("cw500");    // the width M CW 500 gives
    auto row = [](RigType t, const char *model, int hamlib, int unserved = 0, int cw500 = 500) {
        QTest::newRow(model) << t << QString::fromLatin1(model) << hamlib << unserved << cw500;
    };
    const RigType kw = RigType::Kenwood, ya = RigType::Yaesu;
    row(RigType::K3, "k3", 2029);
    // Hamlib calls the K2's MD6 and MD9 PKTLSB and PKTUSB, the bridge RTTY and RTTYR; its
    // crystal filter nearest 500 Hz is the 400 Hz one.
    row(RigType::K2, "k2", 2021, 1, 400);
    row(kw, "ts2000", 2014);
    row(kw, "ts590sg", 2037);
    row(kw, "ts480", 2028);
    row(ya, "ft991a", 1035);
    row(ya, "ftdx101d", 1040);
    row(ya, "ft891", 1036);
    row(ya, "ft710", 1049);
    for (auto [model, hamlib] :
         {std::pair{"ic7300", 3073}, {"ic705", 3085}, {"ic9700", 3081}, {"ic7610", 3078}})
        row(RigType::Icom, model, hamlib);
}

void TestNetworkBridge::answersAsRigctldDoes()
{
    // rigctld serving the same simulated radio judges the split frequency with split off and
    // what \dump_state tells of the radio.
    QFETCH(RigType, type);
    QFETCH(QString, model);
    QFETCH(int, hamlib);
    QFETCH(int, unserved);
    QFETCH(int, cw500);
    QString rigctld;
    OVX2_REQUIRE_HAMLIB_TOOL(rigctld, "rigctld");
    ConnectedBridge b(type, model);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    QVERIFY(b.bridge().rigctlServer().listen(QHostAddress::LocalHost, 0));
    const quint16 ours = b.bridge().rigctlServer().port();
    RigSimThread radio(model);
    const QString device = radio.start();
    QVERIFY2(!device.isEmpty(), qPrintable(radio.errorString()));
    QProcess daemon;
    const quint16 theirs =
        test_tools::startServer(daemon, rigctld,
                                {"-m", QString::number(hamlib), "-r", device, "-s", "38400", "-T",
                                 "127.0.0.1", "-t", "%port", "--set-conf=post_write_delay=0"});
    QVERIFY(theirs != 0);
    QList<QByteArray> answers[2]; // rigctld's, the bridge's
    for (const quint16 port : {theirs, ours}) {
        RigctlTestClient c;
        QTRY_VERIFY_WITH_TIMEOUT(c.connectTo(port), 60000);
        c.send("\\chk_vfo\n\\dump_state\ni\n");
        QTRY_VERIFY_WITH_TIMEOUT(
            c.received().indexOf('\n', c.received().indexOf("\ndone\n") + 6) > 0, 60000);
        answers[port == ours] = c.received().split('\n');
    }
    daemon.terminate();
    QVERIFY(daemon.waitForFinished());
    auto withKey = [](const QList<QByteArray> &lines, const QRegularExpression &key) {
        return QStringList(lines.cbegin(), lines.cend()).filter(key);
    };
    static const QRegularExpression judged(QStringLiteral("^(ptt_type|rig_model)=")),
        tones(QStringLiteral("^(ctcss|dcs)_list="));
    QCOMPARE(withKey(answers[1], judged), withKey(answers[0], judged));
    QCOMPARE(answers[1].at(answers[1].size() - 2), answers[0].at(answers[0].size() - 2)); // i
    // As long as rigctld's, less the tone lists: the bridge serves no tones.
    QCOMPARE(answers[1].size(), answers[0].size() - withKey(answers[0], tones).size() - unserved);
    // The width goes to the radio and comes back from it.
    RigctlTestClient c;
    QVERIFY(c.connectTo(ours));
    c.send("M CW 500\nm\nM USB 2400\nm\n");
    QTRY_COMPARE(c.received(),
                 "RPRT 0\nCW\n" + QByteArray::number(cw500) + "\nRPRT 0\nUSB\n2400\n");
}

QTEST_MAIN(TestNetworkBridge)
#include "tst_network_bridge.moc"
