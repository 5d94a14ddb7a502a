#include "appports/app_ports.h"
#include "appports/sdr_port.h"
#include "connected_bridge.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "outports/output_ports.h"
#include "ports/pty_device.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "rig/cat_framing.h"
#include "rig/rig_reply_handler.h"
#include "rig/rig_tables.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "station_program.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

// Station programs on the published ports of a bridge connected to each simulated radio family,
// output ports with equipment on them, and garbage from either side.
class TestStationPrograms : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { m_bridges.clear(); }
    void portsAnswerForwardOrDrop_data();
    void portsAnswerForwardOrDrop();
    void programsKeepTheirOwnCommands();
    void unfinishedCommandGoesWithItsProgram_data();
    void unfinishedCommandGoesWithItsProgram();
    void programRestartedAtOnceGetsItsAnswer();
    void garbageWithoutTerminatorIsBounded();
    void noRigRefusesSettingsAndAnswersNoReads();
    void yaesuOutputLinesInItsOwnFormat();
    void outputPortsRepeatWhileTheRigReports(); // last: it disconnects the rig

private:
    ConnectedBridge &connected(RigType type);
    QByteArray openOutput(ConnectedBridge &b, int n, PtyDevice &equipment);
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
        b->bridge().setPollInterval(5000); // so that what a program sends stands out at the rig
    }
    return *b;
}

// Opens output port n on the far end of `equipment`: empty, or why not.
QByteArray TestStationPrograms::openOutput(ConnectedBridge &b, int n, PtyDevice &equipment)
{
    if (!equipment.open())
        return "cannot open";
    b.edit([&](StationSettings &s) { s.output(n).name = equipment.slavePath(); });
    b.bridge().toggleOutput(n);
    return b.bridge().outputPort(n).IsOpened() ? QByteArray() : "not opened";
}

void TestStationPrograms::portsAnswerForwardOrDrop_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("command");
    // answer (virtual rig), local (the port), rig (passed, replied), set (passed), drop, refuse
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QByteArray>("answer"); // for "local" and "rig"; "sim": the radio's own reply
    const RigType K3 = RigType::K3, Yaesu = RigType::Yaesu;
    const struct {
        RigType type;
        int port;
        const char *command, *outcome, *answer = "";
    } rows[] = {
        {K3, 1, "MD;", "answer"},
        {K3, 1, "KP;", "rig", "?;"},
        {K3, 1, "AI1;", "drop"},
        {K3, 1, "K3;", "rig", "K31;"},
        {K3, 3, "AI;", "local", "AI0;"},
        {K3, 2, "RVM;", "rig", "sim"},
        {K3, 1, "fb;", "set"},
        {K3, 3, "RX;", "refuse"},
        {K3, 2, "fa;", "refuse"},
        {Yaesu, 5, "TX;", "answer"},
        {Yaesu, 2, "EX032;", "rig", "sim"},
        {RigType::Kenwood, 2, "SV;", "refuse"},
        {RigType::K2, 1, "BW;", "rig", "?;"},
    };
    for (const auto &r : rows)
        QTest::addRow("%s %s on port %d", qPrintable(rigTypeName(r.type)), r.command, r.port)
            << r.type << r.port << QByteArray(r.command) << QString::fromLatin1(r.outcome)
            << QByteArray(r.answer);
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
    if (outcome == QLatin1String("answer"))
        answer = b.bridge().rig().get(rowOfQuery(command)->entry);

    p.write(command);
    QVERIFY(b.settle(port));
    QVERIFY(b.bridge().terminal(port).lines().contains(command));
    // A poll may have come meanwhile: what the program caused is what remains without it.
    QByteArray atRig = b.atRig();
    for (const QByteArray &poll :
         pollWrites(b.bridge().items().transmitting(), false, type) + QList<QByteArray>{"ID;"})
        atRig.replace(poll, "");
    const bool passed = outcome == QLatin1String("rig") || outcome == QLatin1String("set");
    QCOMPARE(atRig, passed ? command : QByteArray());
    QVERIFY(outcome != QLatin1String("answer") || !answer.isEmpty());
    QCOMPARE(p.take(), answer);
    const QByteArray refused =
        command + " not passed: this port may change frequency and mode only";
    QCOMPARE(b.bridge().terminal(port).lines().mid(terminalLines).contains(refused),
             outcome == QLatin1String("refuse"));
}

void TestStationPrograms::programsKeepTheirOwnCommands()
{
    ConnectedBridge &b = connected(RigType::K3);
    StationProgram &two = b.program(2), &five = b.program(5);
    // Each port keeps its own unfinished command: the pieces arrive interleaved.
    for (auto [p, text] : {std::pair{&two, "F"}, {&five, "I"}, {&two, "A"}, {&five, "F;"}})
        p->write(text);
    QTRY_COMPARE(five.received(), b.bridge().rig().get(Entry::IF));
    five.take();
    QVERIFY(two.received().isEmpty());
    two.write(";");
    QTRY_COMPARE(two.received(), b.bridge().rig().get(Entry::FA));
    two.take();

    // The SDR program: its reads and settings go to the rig, the stored FA reply is held back,
    // and routed replies reach it, its own IF query's answer among them.
    StationProgram &sdr = b.program(7);
    const QByteArray fa = b.bridge().rig().get(Entry::FA);
    b.clearAtRig();
    sdr.write("IF;AI2;" + fa);
    QTRY_VERIFY(b.bridge().terminal(7).lines().contains(fa));
    QVERIFY(b.settleRig());
    QVERIFY(b.atRig().contains("IF;AI2;"));
    QVERIFY2(!b.atRig().contains(fa), b.atRig().constData());
    QTRY_VERIFY(sdr.received().contains("IF000"));
    b.closeProgram(7);
}

void TestStationPrograms::unfinishedCommandGoesWithItsProgram_data()
{
    QTest::addColumn<int>("port");
    QTest::newRow("port 3") << 3, QTest::newRow("SDR port") << 7;
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
    QTRY_VERIFY(next.received().contains(b.bridge().rig().get(Entry::ID)));
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
    const QByteArray path = QFile::encodeName(b.bridge().appPort(1).DevicePath());
    QByteArray flood;
    for (int i = 0; i < 200; ++i)
        flood += "FA0001407" + QByteArray::number(4000 + i) + ";";
    flood += "FA0001";
    int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, flood.constData(), size_t(flood.size())), ssize_t(flood.size()));
    ::close(fd);
    StationProgram again(QString::fromLocal8Bit(path));
    again.write("RVM;");
    QTRY_VERIFY_WITH_TIMEOUT(again.received().contains("RVM"), 10000);
    QVERIFY2(!again.received().contains("?;"), again.received().constData());
    QVERIFY(b.bridge().terminal(1).lines().contains(
        "FA0001 discarded: the program before left it unfinished"));
}

void TestStationPrograms::garbageWithoutTerminatorIsBounded()
{
    ConnectedBridge &b = connected(RigType::K3);
    StationProgram &one = b.program(1);
    QVERIFY(b.settle(1));
    one.take();
    const auto residentKiB = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : "";
        return text.mid(text.indexOf("VmRSS:") + 6).trimmed().split(' ').value(0).toLong();
    };
    const long before = residentKiB();
    // Eight times the longest reply without a ';' from the rig, a piece at a time...
    for (int i = 0; i < 8; ++i) {
        b.sim().invoke([](RigSimServer &s) {
            s.panel(
                [](RigModel &) { return QByteArrayList{QByteArray(CatFramer::kMaxCommand, 'x')}; });
        });
        QTRY_VERIFY(b.bridge().rigReplies().pending().size() <= CatFramer::kMaxCommand);
    }
    QTRY_VERIFY(b.bridge().terminal(0).lines().last().contains("discarded"));
    // ...and still answering: what comes after the garbage's end is read again.
    b.sim().invoke([](RigSimServer &s) {
        s.panel([](RigModel &) { return QByteArrayList{"FA00014050000;FA00014060000;"}; });
    });
    QTRY_VERIFY(b.bridge().terminal(0).lines().contains("FA00014060000;"));

    // The same from a program: nothing of it is passed on.
    b.clearAtRig();
    for (int i = 0; i < 64; ++i) {
        one.write(QByteArray(16 * 1024, 'y'));
        QTRY_COMPARE(one.unwritten(), 0);
        QVERIFY(b.bridge().appPorts().pending(1).size() <= CatFramer::kMaxCommand);
    }
    QTRY_VERIFY(b.bridge().terminal(1).lines().last().contains("discarded"));
    one.write("FA;FA;");
    QTRY_COMPARE(one.received(), b.bridge().rig().get(Entry::FA));
    one.take();
    QVERIFY(!b.atRig().contains("yy"));
    QVERIFY2(residentKiB() - before < 64 * 1024, qPrintable(QString::number(residentKiB())));
}

void TestStationPrograms::noRigRefusesSettingsAndAnswersNoReads()
{
    // Without the rig a setting is refused as the radio refuses it, and a read goes unanswered.
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

void TestStationPrograms::yaesuOutputLinesInItsOwnFormat()
{
    ConnectedBridge &b = connected(RigType::Yaesu);
    b.bridge().setPollInterval(200);
    PtyDevice equipment;
    QByteArray got;
    connect(&equipment, &PtyDevice::readyRead, this, [&] { got += equipment.readAll(); });
    QCOMPARE(openOutput(b, 1, equipment), QByteArray());
    // VFO A transmits: the lines are the rig's own FA and 28-character IF replies.
    QTRY_COMPARE(b.bridge().rig().get(Entry::IF), b.simReply("IF;"));
    const QByteArray lines = b.simReply("FA;") + b.simReply("IF;");
    QCOMPARE(lines.size(), 12 + 28);
    QTRY_VERIFY_WITH_TIMEOUT(got.count(lines) >= 2, 4000);
    b.bridge().toggleOutput(1);
}

void TestStationPrograms::outputPortsRepeatWhileTheRigReports()
{
    // Never connected: the output ports refuse.
    ConnectedBridge unconnected(RigType::K3);
    unconnected.bridge().toggleOutput(2);
    QCOMPARE(unconnected.messenger().shown.size(), 1);
    QCOMPARE(unconnected.messenger().shown.first().text,
             QStringLiteral("Rig port must be opened first."));
    QVERIFY(!unconnected.bridge().outputPort(2).IsOpened());
    // A port that cannot be opened, with the rig connected.
    ConnectedBridge &b = connected(RigType::K3);
    b.messenger().shown.clear();
    b.edit([&](StationSettings &s) { s.output(1).name = QStringLiteral("/dev/no-such-port"); });
    b.bridge().toggleOutput(1);
    QCOMPARE(b.messenger().shown.size(), 1);
    QCOMPARE(b.messenger().shown.first().text, QStringLiteral("/dev/no-such-port is in use"));

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
    QCOMPARE(openOutput(b, 1, out1) + openOutput(b, 2, out2), QByteArray());
    // FT0: VFO A's frequency, and the IF line built on it.
    const QByteArray fa = b.bridge().rig().get(Entry::FA);
    const QByteArray line2 = "IF" + fa.mid(2, 11) + b.bridge().rig().get(Entry::IF).mid(13, 25);
    QTRY_VERIFY_WITH_TIMEOUT(got1.count(fa + line2) >= 3, 4000);
    QTRY_VERIFY(got2.count(fa + line2) >= 2);
    QVERIFY(b.bridge().outputTerminal(1).lines().contains(line2));
    // Equipment that talks as fast as the bridge takes it: little waits unread in the bridge,
    // and the rig port reads on as before.
    const auto *device = b.bridge().outputPort(2).findChild<QSerialPort *>();
    QVERIFY(device);
    const QByteArray chunk = QByteArray("FA00014060000;IF;").repeated(4096);
    qint64 mostWaiting = 0;
    for (qint64 sent = 0; sent < 4 << 20; sent += chunk.size()) {
        out2.write(chunk);
        QTRY_COMPARE(out2.bytesToWrite(), 0);
        mostWaiting = std::max(mostWaiting, device->bytesAvailable());
    }
    QVERIFY2(mostWaiting <= 256 * 1024, qPrintable(QString::number(mostWaiting)));
    StationProgram &one = b.program(1);
    QVERIFY(b.settle(1));
    one.take();
    one.write("FA;");
    QTRY_COMPARE(one.received(), b.bridge().rig().get(Entry::FA));
    one.take();

    // The rig falls silent: the output window closes, the send timers stop, nothing goes out.
    b.sim().invoke([](RigSimServer &s) { s.setSilent(true); });
    const qint64 silentAt = clock.elapsed();
    QTRY_VERIFY_WITH_TIMEOUT(!b.bridge().outputs().outputWindow().isActive(), 4000);
    QTRY_VERIFY(!b.bridge().outputs().sendTimer(1).isActive());
    const qint64 stopped = last1;
    QTest::qWait(300);
    QCOMPARE(last1, stopped);
    QVERIFY(stopped - silentAt <= 5000); // about 2 s after the last FR or FT reply
    b.sim().invoke([](RigSimServer &s) { s.setSilent(false); });
    // Disconnect of the rig closes both output ports.
    b.bridge().toggleRig();
    QVERIFY(!b.bridge().outputPort(1).IsOpened() && !b.bridge().outputPort(2).IsOpened());
}

QTEST_MAIN(TestStationPrograms)
#include "tst_station_programs.moc"
