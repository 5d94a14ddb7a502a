// The network front door on a bridge connected to each simulated radio family: Hamlib's own NET
// rigctl client reads and changes the rig through it, and network clients and a station program
// on a serial port follow each other's changes.

#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "controls/frames.h"
#include "hamlib_tools.h"
#include "monitor/terminal_model.h"
#include "net/rigctl_server.h"
#include "ports/virtual_port.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "shell/form1.h"
#include "station_program.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScrollBar>
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

private:
    QString m_rigctl;
};

void TestNetworkBridge::initTestCase()
{
    OVX2_REQUIRE_HAMLIB_TOOL(m_rigctl, "rigctl");
}

void TestNetworkBridge::rigctlThroughTheBridge_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QString>("widthAfter"); // what m reads after M USB 2400: "" for any
    QTest::newRow("K3") << RigType::K3 << QStringLiteral("2400");
    QTest::newRow("Yaesu") << RigType::Yaesu << QString();     // its width is not read over CAT
    QTest::newRow("Kenwood") << RigType::Kenwood << QString(); // read from FW, not set
    QTest::newRow("K2") << RigType::K2 << QString();
}

void TestNetworkBridge::rigctlThroughTheBridge()
{
    QFETCH(RigType, type);
    QFETCH(QString, widthAfter);
    ConnectedBridge b(type);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    const quint16 port = freePort();
    QVERIFY(b.bridge().server().listen(QHostAddress::LocalHost, port));
    b.sim().invoke([](RigSimServer &s) { s.selectMode('1'); }); // LSB, so that USB is news

    const QStringList commands =
        QStringLiteral("f F 7040000 f m M USB 2400 m v t T 1 t T 0 t s get_powerstat dump_state")
            .split(QLatin1Char(' '));
    QProcess rigctl;
    QByteArray output;
    connect(&rigctl, &QProcess::readyReadStandardOutput, this,
            [&] { output += rigctl.readAllStandardOutput(); });
    rigctl.start(m_rigctl,
                 QStringList{"-m", "2", "-r", QStringLiteral("127.0.0.1:%1").arg(port)} + commands);
    QVERIFY(rigctl.waitForStarted(kRunMs));
    QTRY_VERIFY_WITH_TIMEOUT(rigctl.state() == QProcess::NotRunning, kRunMs);
    output += rigctl.readAllStandardOutput();
    const QByteArray errors = rigctl.readAllStandardError();
    QVERIFY2(rigctl.exitCode() == 0, errors.right(2000).constData());
    QVERIFY2(!output.contains("error"), output.constData());

    const QList<QByteArray> lines = output.split('\n');
    // f, f, m m, m m, v, t, t, t, s s, powerstat, then the dump.
    QVERIFY2(lines.size() > 14, output.constData());
    QCOMPARE(lines[1], QByteArray("7040000"));
    QCOMPARE(lines[4], QByteArray("USB"));
    if (!widthAfter.isEmpty())
        QCOMPARE(lines[5], widthAfter.toLatin1());
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
    QVERIFY(b.bridge().networkTerminal().lines().contains("#1> F 7040000.000000"));
}

void TestNetworkBridge::extendedFormsOnTheWire()
{
    ConnectedBridge b(RigType::K3);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    const quint16 port = freePort();
    QVERIFY(b.bridge().server().listen(QHostAddress::LocalHost, port));
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
    b.controls().polling->VScrollPoll->setValue(kPollMs);
    const quint16 port = freePort();
    QVERIFY(b.bridge().server().listen(QHostAddress::LocalHost, port));
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

QTEST_MAIN(TestNetworkBridge)
#include "tst_network_bridge.moc"
