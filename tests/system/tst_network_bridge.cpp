// The network front door on a bridge connected to each simulated radio family: Hamlib's own NET
// rigctl client reads and changes the rig through it, and network clients and a station program
// on a serial port follow each other's changes.

#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "hamlib_tools.h"
#include "monitor/terminal_model.h"
#include "net/rigctl_server.h"
#include "net/xmlrpc_server.h"
#include "ports/virtual_port.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "station_program.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

constexpr int kRunMs = 60000; // far above need: only reached when something hangs
constexpr int kPollMs = 200;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// A client of the rigctld protocol on a raw socket, as Hamlib's NET rigctl is on the wire.
class Client {
public:
    explicit Client(quint16 port) { m_socket.connectToHost(QStringLiteral("127.0.0.1"), port); }
    bool connected() { return m_socket.waitForConnected(5000); }
    // Sends one request and returns its answer once `lines` lines have come.
    QByteArray ask(const QByteArray &request, int lines)
    {
        m_socket.write(request);
        QByteArray answer;
        QElapsedTimer clock;
        clock.start();
        while (answer.count('\n') < lines && clock.elapsed() < kRunMs) {
            QTest::qWait(1); // the bridge answering runs on this thread's event loop
            answer += m_socket.readAll();
        }
        return answer;
    }

private:
    QTcpSocket m_socket;
};

} // namespace

class TestNetworkBridge : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rigctlThroughTheBridge_data();
    void rigctlThroughTheBridge();
    void extendedFormsOnTheWire();
    void clientsAndAPortFollowEachOther();
    void answersAsRigctldDoes_data();
    void answersAsRigctldDoes();
    void flrigDoorThroughTheBridge_data();
    void flrigDoorThroughTheBridge();

private:
    // Hamlib's rigctl with a network model (2: NET rigctl, 4: FLRig) at 127.0.0.1:port: false,
    // and a failed check, when it did not end well.
    bool runRigctl(int model, quint16 port, const QStringList &commands, QByteArray &output);

    QString m_rigctl;
};

bool TestNetworkBridge::runRigctl(int model, quint16 port, const QStringList &commands,
                                  QByteArray &output)
{
    QProcess rigctl;
    connect(&rigctl, &QProcess::readyReadStandardOutput, this,
            [&] { output += rigctl.readAllStandardOutput(); });
    rigctl.start(m_rigctl, QStringList{"-m", QString::number(model), "-r",
                                       QStringLiteral("127.0.0.1:%1").arg(port)} +
                               commands);
    if (!rigctl.waitForStarted(kRunMs) ||
        !QTest::qWaitFor([&] { return rigctl.state() == QProcess::NotRunning; }, kRunMs)) {
        qWarning("rigctl did not run to its end");
        return false;
    }
    output += rigctl.readAllStandardOutput();
    if (rigctl.exitCode() != 0) {
        qWarning("rigctl failed: %s", rigctl.readAllStandardError().right(2000).constData());
        return false;
    }
    return true;
}

void TestNetworkBridge::initTestCase()
{
    OVX2_REQUIRE_HAMLIB_TOOL(m_rigctl, "rigctl");
}

void TestNetworkBridge::rigctlThroughTheBridge_data()
{
    QTest::addColumn<RigType>("type");
    QTest::newRow("K3") << RigType::K3;
    QTest::newRow("Yaesu") << RigType::Yaesu;
    QTest::newRow("Kenwood") << RigType::Kenwood;
    QTest::newRow("K2") << RigType::K2;
}

void TestNetworkBridge::rigctlThroughTheBridge()
{
    QFETCH(RigType, type);
    ConnectedBridge b(type);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    const quint16 port = freePort();
    QVERIFY(b.bridge().rigctlServer().listen(QHostAddress::LocalHost, port));
    b.sim().invoke([](RigSimServer &s) { s.selectMode('1'); }); // LSB, so that USB is news

    const QStringList commands =
        QStringLiteral("f F 7040000 f m M USB 2400 m v t T 1 t T 0 t s get_powerstat dump_state")
            .split(QLatin1Char(' '));
    QByteArray output;
    QVERIFY(runRigctl(2, port, commands, output));
    QVERIFY2(!output.contains("error"), output.constData());

    const QList<QByteArray> lines = output.split('\n');
    // f, f, m m, m m, v, t, t, t, s s, powerstat, then the dump.
    QVERIFY2(lines.size() > 14, output.constData());
    QCOMPARE(lines[1], QByteArray("7040000"));
    QCOMPARE(lines[4], QByteArray("USB"));
    QCOMPARE(lines[5], QByteArray("2400")); // M USB 2400 set the width too
    QCOMPARE(lines[6], QByteArray("VFOA"));
    QCOMPARE(lines.mid(7, 3), (QList<QByteArray>{"0", "1", "0"}));
    QCOMPARE(lines.mid(10, 2), (QList<QByteArray>{"0", "VFOA"})); // no split
    QCOMPARE(lines[12], QByteArray("1"));                         // switched on
    QVERIFY(lines.size() > 30);                                   // the rig's description

    // The radio itself followed, and the network terminal shows the traffic.
    qint64 vfoA = 0;
    char mode = 0;
    bool transmitting = true;
    b.sim().invoke([&](RigSimServer &s) {
        vfoA = s.model().vfoA();
        mode = s.model().mode();
        transmitting = s.model().isTransmitting();
    });
    QCOMPARE(vfoA, 7040000);
    QCOMPARE(mode, '2'); // USB on every family
    QVERIFY(!transmitting);
    QVERIFY(b.bridge().doorTerminal(Door::Rigctl).lines().contains("#1> F 7040000.000000"));
}

void TestNetworkBridge::extendedFormsOnTheWire()
{
    ConnectedBridge b(RigType::K3);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    const quint16 port = freePort();
    QVERIFY(b.bridge().rigctlServer().listen(QHostAddress::LocalHost, port));
    Client c(port);
    QVERIFY(c.connected());
    // The forms rigctld itself gives (checked against it in tst_rigctl_hamlib).
    QCOMPARE(c.ask("+f\n", 3), QByteArray("get_freq:\nFrequency: 14074000\nRPRT 0\n"));
    QCOMPARE(c.ask(";f\n", 1), QByteArray("get_freq:;Frequency: 14074000;RPRT 0\n"));
    const QByteArray dump = c.ask("+\\dump_state\n", 2);
    QVERIFY2(dump.startsWith("dump_state:\n"), dump.constData());
    QCOMPARE(c.ask("q\n", 0), QByteArray());
}

void TestNetworkBridge::clientsAndAPortFollowEachOther()
{
    // Two network clients and a logger on port 1 take turns to change the frequency; each change
    // reaches all three within one poll interval plus 100 ms.
    ConnectedBridge b(RigType::K3);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    b.bridge().setPollInterval(kPollMs);
    const quint16 port = freePort();
    QVERIFY(b.bridge().rigctlServer().listen(QHostAddress::LocalHost, port));
    Client first(port), second(port);
    QVERIFY(first.connected() && second.connected());
    StationProgram &logger = b.program(1);

    auto frequencyOf = [&](int who) -> qint64 {
        if (who < 2) {
            Client &c = who == 0 ? first : second;
            return c.ask("f\n", 1).trimmed().toLongLong();
        }
        const qsizetype before = logger.received().size();
        logger.write("FA;");
        if (!QTest::qWaitFor([&] { return logger.received().indexOf(';', before) >= 0; }))
            return -1;
        const QByteArray reply = logger.take().mid(before);
        return reply.mid(2, 11).toLongLong();
    };
    for (int n = 0; n < 6; ++n) {
        const qint64 hz = 7010000 + 1000 * n;
        const int who = n % 3;
        if (who < 2)
            QCOMPARE((who == 0 ? first : second).ask("F " + QByteArray::number(hz) + "\n", 1),
                     QByteArray("RPRT 0\n"));
        else
            logger.write("FA" + QByteArray::number(hz).rightJustified(11, '0') + ';');
        QTRY_VERIFY(b.atRig().contains(QByteArray::number(hz) + ';')); // the rig has it
        QElapsedTimer clock;
        clock.start();
        for (int reader = 0; reader < 3; ++reader) {
            QTRY_COMPARE_WITH_TIMEOUT(frequencyOf(reader), hz, kRunMs);
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
    QTest::addColumn<int>("hamlibModel");
    QTest::addColumn<int>("unserved"); // lines of rigctld's \dump_state for modes not served
    QTest::addColumn<int>("cw500");    // the width M CW 500 gives
    const RigType kw = RigType::Kenwood, ya = RigType::Yaesu;
    QTest::newRow("K3") << RigType::K3 << QStringLiteral("k3") << 2029 << 0 << 500;
    // Hamlib calls the K2's MD6 and MD9 PKTLSB and PKTUSB, the bridge RTTY and RTTYR; its
    // crystal filter nearest 500 Hz is the 400 Hz one.
    QTest::newRow("K2") << RigType::K2 << QStringLiteral("k2") << 2021 << 1 << 400;
    QTest::newRow("TS-2000") << kw << QStringLiteral("ts2000") << 2014 << 0 << 500;
    QTest::newRow("TS-590SG") << kw << QStringLiteral("ts590sg") << 2037 << 0 << 500;
    QTest::newRow("TS-480") << kw << QStringLiteral("ts480") << 2028 << 0 << 500;
    QTest::newRow("FT-991A") << ya << QStringLiteral("ft991a") << 1035 << 0 << 500;
    QTest::newRow("FTDX101D") << ya << QStringLiteral("ftdx101d") << 1040 << 0 << 500;
    QTest::newRow("FT-891") << ya << QStringLiteral("ft891") << 1036 << 0 << 500;
    QTest::newRow("FT-710") << ya << QStringLiteral("ft710") << 1049 << 0 << 500;
}

void TestNetworkBridge::answersAsRigctldDoes()
{
    // rigctld serving the same simulated radio is the judge of the small answers: the split
    // frequency with split off, and what \dump_state tells of the radio.
    QFETCH(RigType, type);
    QFETCH(QString, model);
    QFETCH(int, hamlibModel);
    QFETCH(int, unserved);
    QFETCH(int, cw500);
    QString rigctld;
    OVX2_REQUIRE_HAMLIB_TOOL(rigctld, "rigctld");
    ConnectedBridge b(type, model);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    const quint16 ours = freePort();
    QVERIFY(b.bridge().rigctlServer().listen(QHostAddress::LocalHost, ours));
    RigSimThread radio(model);
    const QString device = radio.start();
    QVERIFY2(!device.isEmpty(), qPrintable(radio.errorString()));
    const quint16 theirs = freePort();
    QProcess daemon;
    QStringList args{
        "-m", QString::number(hamlibModel), "-r", device, "-s", "38400", "-T", "127.0.0.1",
        "-t", QString::number(theirs)};
    if (type == RigType::K2) // Hamlib waits 100 ms after each write to a K2 otherwise
        args << QStringLiteral("--set-conf=post_write_delay=0");
    daemon.start(rigctld, args);
    QVERIFY(daemon.waitForStarted(kRunMs));
    QList<QByteArray> answers[2]; // rigctld's, the bridge's
    for (const quint16 port : {theirs, ours}) {
        QTcpSocket socket;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                socket.abort();
                socket.connectToHost(QHostAddress::LocalHost, port);
                return socket.waitForConnected(200);
            }(),
            kRunMs);
        socket.write("\\chk_vfo\n\\dump_state\ni\n");
        QByteArray text;
        QTRY_VERIFY_WITH_TIMEOUT(
            (text += socket.readAll()).indexOf('\n', text.indexOf("\ndone\n") + 6) > 0, kRunMs);
        answers[port == ours] = text.split('\n');
    }
    daemon.terminate();
    QVERIFY(daemon.waitForFinished(kRunMs));
    auto withKey = [](const QList<QByteArray> &lines, const char *key) {
        QList<QByteArray> found;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
                     [key](const QByteArray &l) { return l.startsWith(key); });
        return found;
    };
    QCOMPARE(withKey(answers[1], "ptt_type="), withKey(answers[0], "ptt_type="));
    QCOMPARE(withKey(answers[1], "rig_model="), withKey(answers[0], "rig_model="));
    QCOMPARE(answers[1].at(answers[1].size() - 2), answers[0].at(answers[0].size() - 2)); // i
    // As long as rigctld's, less the tone lists: the bridge serves no tones.
    const qsizetype tones =
        withKey(answers[0], "ctcss_list=").size() + withKey(answers[0], "dcs_list=").size();
    QCOMPARE(answers[1].size(), answers[0].size() - tones - unserved);

    // The width goes to the radio and comes back from it.
    Client c(ours);
    QVERIFY(c.connected());
    QCOMPARE(c.ask("M CW 500\nm\nM USB 2400\nm\n", 6),
             "RPRT 0\nCW\n" + QByteArray::number(cw500) + "\nRPRT 0\nUSB\n2400\n");
}

void TestNetworkBridge::flrigDoorThroughTheBridge_data()
{
    rigctlThroughTheBridge_data();
}

void TestNetworkBridge::flrigDoorThroughTheBridge()
{
    // Hamlib's FLRig backend (model 4), as fldigi's and WSJT-X's "FLRig" rig talk to flrig.
    QFETCH(RigType, type);
    ConnectedBridge b(type);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    const quint16 port = freePort();
    QVERIFY(b.bridge().xmlRpcServer().listen(QHostAddress::LocalHost, port));
    b.sim().invoke([](RigSimServer &s) { s.selectMode('1'); }); // LSB, so that USB is news

    const QStringList commands =
        QStringLiteral("f F 7040000 f m M USB 2400 m v V VFOB t T 1 t T 0 t s S 1 VFOB s")
            .split(QLatin1Char(' '));
    QByteArray output;
    QVERIFY(runRigctl(4, port, commands, output));
    // f, f, m (mode, width), m, v, t, t, t, s (split, tx VFO), s; the first m may still be
    // what the virtual rig held before the panel's change was polled.
    const QStringList got = rigctlAnswers(output);
    QVERIFY2(got.size() == 14, qPrintable(got.join(QLatin1Char('|'))));
    const QStringList checked = QStringList{got[1]} + got.mid(4);
    QCOMPARE(checked, (QStringList{"7040000", "USB", "2400", "VFOA", "0", "1", "0", "0", "VFOA",
                                   "1", "VFOB"}));
    bool split = false;
    b.sim().invoke([&](RigSimServer &s) { split = s.model().isSplit(); });
    QVERIFY(split);
    QVERIFY(!b.bridge().doorTerminal(Door::XmlRpc).lines().isEmpty());
}

QTEST_MAIN(TestNetworkBridge)
#include "tst_network_bridge.moc"
