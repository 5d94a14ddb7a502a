#include "appports/app_ports.h"
#include "appports/sdr_port.h"
#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "outports/output_ports.h"
#include "ports/pty_device.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "rig/cat_framing.h"
#include "rig/rig_tables.h"
#include "rig/virtual_rig.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "station_program.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

// Station programs on the published ports of a bridge connected to each simulated radio family.
class TestStationPrograms : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { m_bridges.clear(); }
    void portsAnswerForwardOrDrop_data();
    void portsAnswerForwardOrDrop();
    void port1SetsTheRigsFrequency();
    void ports2And5AreIndependent();
    void sdrProgram();
    void unfinishedCommandGoesWithItsProgram_data();
    void unfinishedCommandGoesWithItsProgram();
    void programRestartedAtOnceGetsItsAnswer();
    void noRigRefusesSettingsAndAnswersNoReads();
    void yaesuOutputLinesInItsOwnFormat();
    void outputPortsThrowAwayWhatTheEquipmentSends();
    // Last: it disconnects the rig.
    void outputPortsRefusedWithoutRig();
    void outputPortsRepeatWhileTheRigReports();

private:
    ConnectedBridge &connected(RigType type);
    // Opens output port `n` of `b` on the far end of `equipment`.
    static void openOutput(ConnectedBridge &b, int n, PtyDevice &equipment);
    std::map<RigType, std::unique_ptr<ConnectedBridge>> m_bridges;
};

ConnectedBridge &TestStationPrograms::connected(RigType type)
{
    auto &b = m_bridges[type];
    if (!b) {
        b = std::make_unique<ConnectedBridge>(type);
        if (!b->connectRig())
            qFatal("cannot connect the simulated %s: %s", qPrintable(rigTypeName(type)),
                   qPrintable(b->why()));
        // Polls every five seconds, so that what a program sends stands out at the rig.
        b->bridge().setPollInterval(5000);
    }
    return *b;
}

void TestStationPrograms::openOutput(ConnectedBridge &b, int n, PtyDevice &equipment)
{
    QVERIFY(equipment.open());
    b.edit([&](StationSettings &s) { s.output(n).name = equipment.slavePath(); });
    b.bridge().toggleOutput(n);
    QVERIFY(b.bridge().outputPort(n).IsOpened());
}

void TestStationPrograms::portsAnswerForwardOrDrop_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("command");
    // "answer" from the virtual rig; "local", answered by the port itself; "rig", passed to the
    // rig, whose reply comes back; "set", passed to the rig, nothing comes back; "drop";
    // "refuse", dropped and said in the port's terminal.
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QByteArray>("answer"); // for "local" and "rig"; "sim": the radio's own reply

    const RigType K3 = RigType::K3, Yaesu = RigType::Yaesu, Kenwood = RigType::Kenwood,
                  K2 = RigType::K2;
    struct Row {
        const char *name;
        RigType type;
        int port;
        const char *command;
        const char *outcome;
        const char *answer = "";
    };
    const Row rows[] = {
        {"K3 MD on port 1", K3, 1, "MD;", "answer"},
        {"K3 MD$ on port 1", K3, 1, "MD$;", "answer"},
        {"K3 KP on port 1", K3, 1, "KP;", "rig", "?;"},
        {"K3 AI1 on port 1", K3, 1, "AI1;", "drop"},
        {"K3 K31 on port 1", K3, 1, "K31;", "drop"},
        {"K3 K2 query on port 1", K3, 1, "K2;", "rig", "K22;"},
        {"K3 K3 query on port 1", K3, 1, "K3;", "rig", "K31;"},
        {"K3 AI query on port 1", K3, 1, "AI;", "local", "AI0;"},
        {"K3 AI query on port 3", K3, 3, "AI;", "local", "AI0;"},
        {"K3 RVM on port 2", K3, 2, "RVM;", "rig", "sim"},
        {"K3 OM on port 2", K3, 2, "OM;", "rig", "sim"},
        {"K3 lower case on port 1", K3, 1, "fb;", "set"},
        {"K3 RVM on port 1", K3, 1, "RVM;", "rig", "sim"},
        {"K3 MD on port 4", K3, 4, "MD;", "answer"},
        {"K3 MD$ on port 4", K3, 4, "MD$;", "rig", "sim"},
        {"K3 BG on port 2", K3, 2, "BG;", "rig", "sim"},
        {"K3 RX on port 3", K3, 3, "RX;", "refuse"},
        {"K3 CW text on port 2", K3, 2, "KYWE;", "refuse"},
        {"K3 K2 query on port 2", K3, 2, "K2;", "rig", "K22;"},
        {"K3 K22 on port 2", K3, 2, "K22;", "drop"},
        {"K3 lower case on port 2", K3, 2, "fa;", "refuse"},
        {"Yaesu MD on port 1", Yaesu, 1, "MD;", "rig", "?;"},
        {"Yaesu KP on port 1", Yaesu, 1, "KP;", "answer"},
        {"Yaesu TX on port 1", Yaesu, 1, "TX;", "answer"},
        {"Yaesu KP on port 3", Yaesu, 3, "KP;", "answer"},
        {"Yaesu TX on port 5", Yaesu, 5, "TX;", "answer"},
        {"Yaesu preamp read on port 2", Yaesu, 2, "PA0;", "rig", "sim"},
        {"Yaesu AGC read on port 2", Yaesu, 2, "GT0;", "rig", "sim"},
        {"Yaesu menu read on port 2", Yaesu, 2, "EX032;", "rig", "sim"},
        {"Yaesu mode read on port 5", Yaesu, 5, "MD0;", "rig", "sim"},
        {"Yaesu AI query on port 2", Yaesu, 2, "AI;", "local", "AI0;"},
        {"Kenwood FW on port 1", Kenwood, 1, "FW;", "answer"},
        {"Kenwood MD on port 2", Kenwood, 2, "MD;", "answer"},
        {"Kenwood BG on port 1", Kenwood, 1, "BG;", "rig", "?;"},
        {"Kenwood KP on port 2", Kenwood, 2, "KP;", "refuse"},
        {"Kenwood memory write on port 2", Kenwood, 2, "SV;", "refuse"},
        {"Kenwood PA on port 2", Kenwood, 2, "PA;", "answer"},
        {"Kenwood meter on port 2", Kenwood, 2, "SM0;", "rig", "sim"},
        {"K2 BG on port 1", K2, 1, "BG;", "answer"},
        {"K2 TQ on port 1", K2, 1, "TQ;", "answer"},
        {"K2 BW on port 1", K2, 1, "BW;", "rig", "?;"},
        {"K2 SM on port 2", K2, 2, "SM;", "answer"},
        {"K2 TQ on port 2", K2, 2, "TQ;", "rig", "sim"},
    };
    for (const Row &r : rows)
        QTest::newRow(r.name) << r.type << r.port << QByteArray(r.command)
                              << QString::fromLatin1(r.outcome) << QByteArray(r.answer);
}

void TestStationPrograms::portsAnswerForwardOrDrop()
{
    QFETCH(RigType, type);
    QFETCH(int, port);
    QFETCH(QByteArray, command);
    QFETCH(QString, outcome);
    QFETCH(QByteArray, answer);
    ConnectedBridge &b = connected(type);
    StationProgram &p = b.program(port);
    QVERIFY(b.settle(port));
    p.take();
    b.clearAtRig();
    const int terminalLines = b.bridge().terminal(port).lineCount();
    if (answer == "sim")
        answer = b.simReply(command);

    p.write(command);
    QVERIFY(b.settle(port));
    QVERIFY(b.bridge().terminal(port).lines().contains(command));
    // A poll may have come meanwhile: what the program caused is what remains without it.
    QByteArray atRig = b.atRig();
    for (const QByteArray &poll :
         pollWrites(b.bridge().items().transmitting(), false, type) + QList<QByteArray>{"ID;"})
        atRig.replace(poll, "");
    if (outcome == QLatin1String("answer")) {
        const EntryRow *row = rowOfQuery(command);
        QVERIFY(row);
        QVERIFY(!b.bridge().rig().get(row->entry).isEmpty());
        QCOMPARE(p.received(), b.bridge().rig().get(row->entry));
        QCOMPARE(atRig, QByteArray());
    } else if (outcome == QLatin1String("local")) {
        QCOMPARE(p.received(), answer);
        QCOMPARE(atRig, QByteArray());
    } else if (outcome == QLatin1String("rig") || outcome == QLatin1String("set")) {
        QCOMPARE(atRig, command);
        QCOMPARE(p.received(), answer);
    } else {
        QCOMPARE(atRig, QByteArray());
        QCOMPARE(p.received(), QByteArray());
        const QList<QByteArray> lines = b.bridge().terminal(port).lines();
        const bool said =
            lines.mid(terminalLines)
                .contains(command + " not passed: this port may change frequency and mode only");
        QCOMPARE(said, outcome == QLatin1String("refuse"));
    }
    p.take();
}

void TestStationPrograms::port1SetsTheRigsFrequency()
{
    ConnectedBridge &b = connected(RigType::K3);
    b.program(1).write("FA00014060000;");
    QVERIFY(b.settle(1));
    QVERIFY(b.atRig().contains("FA00014060000;"));
    qint64 vfoA = 0;
    b.sim().invoke([&](RigSimServer &s) { vfoA = s.model().vfoA(); });
    QCOMPARE(vfoA, 14060000);
}

void TestStationPrograms::ports2And5AreIndependent()
{
    ConnectedBridge &b = connected(RigType::K3);
    StationProgram &two = b.program(2);
    StationProgram &five = b.program(5);
    // Each port keeps its own unfinished command: the pieces arrive interleaved.
    QSignalSpy terminal2(&b.bridge().terminal(2), &TerminalModel::appended);
    two.write("F");
    five.write("I");
    two.write("A");
    five.write("F;");
    QTRY_COMPARE(five.received(), b.bridge().rig().get(Entry::IF));
    QCOMPARE(terminal2.count(), 0);
    two.write(";");
    QTRY_COMPARE(two.received(), b.bridge().rig().get(Entry::FA));
    two.take();
    five.take();
}

void TestStationPrograms::sdrProgram()
{
    ConnectedBridge &b = connected(RigType::K3);
    StationProgram &sdr = b.program(7);
    const QByteArray fa = b.bridge().rig().get(Entry::FA);
    b.clearAtRig();
    sdr.write("IF;AI2;" + fa);
    QTRY_VERIFY(b.bridge().terminal(7).lines().contains(fa));
    QVERIFY(b.settleRig());
    QVERIFY(b.atRig().contains("IF;"));
    QVERIFY(b.atRig().contains("AI2;"));
    QVERIFY2(!b.atRig().contains(fa), b.atRig().constData()); // the stored FA reply is held back
    // Routed replies reach the SDR program: its own IF query's answer among them.
    QTRY_VERIFY(sdr.received().contains("IF000"));
    b.closeProgram(7);
}

void TestStationPrograms::outputPortsRefusedWithoutRig()
{
    // Another window, never connected: both output ports refuse.
    ConnectedBridge unconnected(RigType::K3);
    unconnected.bridge().toggleOutput(2);
    QCOMPARE(unconnected.messenger().shown.size(), 1);
    QCOMPARE(unconnected.messenger().shown.first().text,
             QStringLiteral("Rig port must be opened first."));
    QCOMPARE(unconnected.messenger().shown.first().title, QStringLiteral("Warning"));
    QVERIFY(!unconnected.bridge().outputPort(2).IsOpened());

    // A port that cannot be opened, with the rig connected.
    ConnectedBridge &b = connected(RigType::K3);
    b.messenger().shown.clear();
    b.edit([&](StationSettings &s) { s.output(1).name = QStringLiteral("/dev/no-such-port"); });
    b.bridge().toggleOutput(1);
    QCOMPARE(b.messenger().shown.size(), 1);
    QCOMPARE(b.messenger().shown.first().text, QStringLiteral("/dev/no-such-port is in use"));
    QVERIFY(!b.bridge().outputPort(1).IsOpened());
}

void TestStationPrograms::outputPortsRepeatWhileTheRigReports()
{
    ConnectedBridge &b = connected(RigType::K3);
    b.bridge().setPollInterval(200);
    QTRY_COMPARE(b.bridge().rig().get(Entry::FA), b.simReply("FA;")); // polled since it changed
    QTRY_COMPARE(b.bridge().rig().get(Entry::IF), b.simReply("IF;"));
    PtyDevice out1, out2; // the external equipment
    QByteArray got1, got2;
    QElapsedTimer clock;
    clock.start();
    qint64 last1 = 0;
    connect(&out1, &PtyDevice::readyRead, this, [&] {
        got1 += out1.readAll();
        last1 = clock.elapsed();
    });
    connect(&out2, &PtyDevice::readyRead, this, [&] { got2 += out2.readAll(); });
    openOutput(b, 1, out1);
    openOutput(b, 2, out2);

    // FT0: VFO A's frequency, and the IF line built on it.
    const QByteArray fa = b.bridge().rig().get(Entry::FA);
    const QByteArray line2 = "IF" + fa.mid(2, 11) + b.bridge().rig().get(Entry::IF).mid(13, 25);
    QTRY_VERIFY_WITH_TIMEOUT(got1.count(fa + line2) >= 3, 4000);
    QTRY_VERIFY(got2.count(fa + line2) >= 2);
    QVERIFY(b.bridge().outputTerminal(1).lines().contains(line2));

    // The rig falls silent: no FR or FT replies keep the output window open.
    b.sim().invoke([](RigSimServer &s) { s.setSilent(true); });
    const qint64 silentAt = clock.elapsed();
    QTRY_VERIFY_WITH_TIMEOUT(!b.bridge().outputs().outputWindow().isActive(), 4000);
    const qint64 stopped = last1 - silentAt;
    // With the window closed the send timers stop too (an idle bridge does not wake for them),
    // and nothing more goes out.
    QTRY_VERIFY(!b.bridge().outputs().sendTimer(1).isActive());
    QTest::qWait(300);
    QVERIFY2(last1 - silentAt == stopped, "output went on after the window closed");
    qInfo("output stopped %lld ms after the rig fell silent", stopped);
    QVERIFY(stopped <=
            5000); // about 2 s after the last FR or FT reply; generous for a loaded machine
    b.sim().invoke([](RigSimServer &s) { s.setSilent(false); });

    // Disconnect of the rig closes both output ports.
    b.bridge().toggleRig();
    QVERIFY(!b.bridge().outputPort(1).IsOpened() && !b.bridge().outputPort(2).IsOpened());
}

void TestStationPrograms::yaesuOutputLinesInItsOwnFormat()
{
    ConnectedBridge &b = connected(RigType::Yaesu);
    b.bridge().setPollInterval(200);
    PtyDevice equipment;
    QByteArray got;
    connect(&equipment, &PtyDevice::readyRead, this, [&] { got += equipment.readAll(); });
    openOutput(b, 1, equipment);

    // VFO A transmits: the lines are the rig's own FA and IF replies.
    QTRY_COMPARE(b.bridge().rig().get(Entry::IF), b.simReply("IF;"));
    const QByteArray fa = b.simReply("FA;");
    const QByteArray info = b.simReply("IF;");
    QCOMPARE(info.size(), 28);
    QTRY_VERIFY_WITH_TIMEOUT(got.count(fa + info) >= 2, 4000);

    // Split: VFO B transmits, and its frequency takes the IF reply's frequency field.
    b.sim().invoke([](RigSimServer &s) { s.model().feed("FB007040000;FT3;"); });
    QByteArray split = b.simReply("IF;");
    split.replace(5, 9, "007040000");
    got.clear();
    QTRY_VERIFY_WITH_TIMEOUT(got.count("FA007040000;" + split) >= 2, 4000);
    for (const QByteArray &line : CatFramer::split(got))
        QVERIFY2(line == "FA007040000;" || line == split || line == fa || line == info,
                 line.constData());
    b.bridge().toggleOutput(1);
}

void TestStationPrograms::outputPortsThrowAwayWhatTheEquipmentSends()
{
    ConnectedBridge &b = connected(RigType::K3);
    PtyDevice equipment;
    openOutput(b, 2, equipment);
    const auto *device = b.bridge().outputPort(2).findChild<QSerialPort *>();
    QVERIFY(device);

    // Equipment that talks: 32 MiB, as fast as the bridge takes it. What waits unread in the
    // bridge stays far below what came; the kernel's own buffer holds back the rest.
    const QByteArray chunk = QByteArray("FA00014060000;IF;").repeated(4096);
    qint64 sent = 0;
    qint64 mostWaiting = 0;
    while (sent < 32 << 20) {
        equipment.write(chunk);
        QTRY_COMPARE(equipment.bytesToWrite(), 0);
        sent += chunk.size();
        mostWaiting = std::max(mostWaiting, device->bytesAvailable());
    }
    qInfo("%lld bytes sent to output port 2; at most %lld waited in the bridge", sent, mostWaiting);
    QVERIFY2(mostWaiting <= 256 * 1024, qPrintable(QString::number(mostWaiting)));

    // The rig port reads on as before.
    b.clearAtRig();
    QVERIFY(b.settleRig());
    StationProgram &one = b.program(1);
    one.take();
    one.write("FA;");
    QTRY_COMPARE(one.received(), b.bridge().rig().get(Entry::FA));
    one.take();
    b.bridge().toggleOutput(2);
}

void TestStationPrograms::unfinishedCommandGoesWithItsProgram_data()
{
    QTest::addColumn<int>("port");
    QTest::newRow("port 1") << 1;
    QTest::newRow("port 3") << 3;
    QTest::newRow("SDR port") << 7;
}

void TestStationPrograms::unfinishedCommandGoesWithItsProgram()
{
    QFETCH(int, port);
    ConnectedBridge &b = connected(RigType::K3);
    auto pending = [&] {
        return port == 7 ? b.bridge().sdr().pending() : b.bridge().appPorts().pending(port);
    };
    // The program hangs up in the middle of a frequency setting...
    b.program(port).write("FA0001");
    QTRY_COMPARE(pending(), QByteArray("FA0001"));
    b.closeProgram(port);
    QTRY_COMPARE(pending(), QByteArray());
    QVERIFY(b.bridge().terminal(port).lines().last().contains("6 characters discarded"));

    // ...and the next program's first command is its own.
    b.clearAtRig();
    StationProgram &next = b.program(port);
    next.write("ID;");
    const QByteArray id = b.bridge().rig().get(Entry::ID);
    QTRY_VERIFY(next.received().contains(id));
    QVERIFY(b.settle(port));
    QVERIFY2(!next.received().contains("?;"), next.received().constData());
    QVERIFY2(!b.atRig().contains("FA0001"), b.atRig().constData());
    b.closeProgram(port);
}

void TestStationPrograms::programRestartedAtOnceGetsItsAnswer()
{
    // A program floods port 1 with settings, its last one cut short, and closes the port; it is
    // opened again before the bridge has read a byte of it (a station program restarting).
    ConnectedBridge &b = connected(RigType::K3);
    b.program(1);
    b.closeProgram(1);
    QTRY_VERIFY(!b.bridge().appPort(1).IsOpenedByApp());
    const QByteArray path = b.bridge().appPort(1).DevicePath().toLocal8Bit();
    QByteArray flood;
    for (int i = 0; i < 200; ++i)
        flood += "FA0001407" + QByteArray::number(4000 + i) + ";";
    flood += "FA0001";
    int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, flood.constData(), size_t(flood.size())), ssize_t(flood.size()));
    ::close(fd);
    fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "RVM;", 4), ssize_t(4));
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
            return got.contains("RVM");
        }(),
        10000);
    ::close(fd);
    QVERIFY2(!got.contains("?;"), got.constData());
    QVERIFY(b.bridge().terminal(1).lines().contains(
        "FA0001 discarded: the program before left it unfinished"));
}

void TestStationPrograms::noRigRefusesSettingsAndAnswersNoReads()
{
    // With the rig disconnected a program's setting is refused as the radio refuses what it
    // cannot do, and its reads are not answered from a virtual rig that is no longer current.
    ConnectedBridge &b = connected(RigType::K3);
    StationProgram &p = b.program(1);
    QVERIFY(b.settle(1));
    p.take();
    b.bridge().toggleRig();
    QVERIFY(!b.bridge().rigPort().IsOpened());
    p.write("FA00007040000;FA;");
    QTRY_COMPARE(p.received(), QByteArray("?;"));
    QTest::qWait(300); // and nothing more: the read goes unanswered
    QCOMPARE(p.take(), QByteArray("?;"));
    b.bridge().toggleRig();
    QTRY_VERIFY(b.bridge().rigPort().IsOpened());
    QVERIFY(b.settle(1));
}

QTEST_MAIN(TestStationPrograms)
#include "tst_station_programs.moc"
