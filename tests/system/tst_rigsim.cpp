// The rig simulator on real pseudo-terminals: in-process in its own thread, and as the
// ovx2-rigsim program a ham starts by hand.

#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "rigsim_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int kWaitMs = 10000; // only ever reached when something is broken

// A station program's end of the CAT line.
struct Station {
    explicit Station(const QString &path) : port(path)
    {
        port.setBaudRate(QSerialPort::Baud38400);
        port.open(QIODevice::ReadWrite);
    }
    // Writes `text` and waits until `size` bytes have arrived; all of them.
    QByteArray ask(const QByteArray &text, qsizetype size)
    {
        if (!text.isEmpty() && port.write(text) > 0)
            port.waitForBytesWritten(kWaitMs);
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while ((got += port.readAll()).size() < size && clock.elapsed() < kWaitMs)
            port.waitForReadyRead(100);
        return got;
    }
    QSerialPort port;
};

} // namespace

class TestRigSim : public QObject {
    Q_OBJECT
private slots:
    void thread();
    void pacing_data();
    void pacing();
    void publishLink();
    void programWithFrontPanel();
    void programRejectsBadArguments_data();
    void programRejectsBadArguments();
};

// By rig type (its family's default radio) or by model name (tst_network_bridge starts each); a
// setting takes before the query behind it in the same write is answered; one received chunk per
// write; silent at run time.
void TestRigSim::thread()
{
    RigSimThread k3(RigType::K3);
    QSignalSpy received(&k3, &RigSimThread::received);
    Station station(k3.start());
    QVERIFY(station.port.isOpen());
    QCOMPARE(station.ask("FA;FA00007074000;FA;", 28), QByteArray("FA00014074000;FA00007074000;"));
    QCOMPARE(station.ask("FB;", 14), QByteArray("FB00014080000;"));
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 2, kWaitMs);
    QCOMPARE(received.at(1).at(0).toByteArray(), QByteArray("FB;"));
    k3.invoke([](RigSimServer &server) { server.setSilent(true); });
    station.ask("FA;", 0);
    // received() comes after the model has seen the chunk, so the query has been ignored.
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 3, kWaitMs);
    k3.invoke([](RigSimServer &server) { server.setSilent(false); });
    QCOMPARE(station.ask("FB;", 14), QByteArray("FB00014080000;"));

    RigSimThread unknown(QStringLiteral("ft1000"));
    QVERIFY(unknown.start().isEmpty());
    QCOMPARE(unknown.errorString(), QStringLiteral("The simulator has no radio model 'ft1000'."));
    unknown.invoke([](RigSimServer &) { QFAIL("no server to run on"); });
}

void TestRigSim::pacing_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("latencyMs");
    QTest::addColumn<QByteArray>("queries");
    QTest::addColumn<int>("replyLength");
    QTest::newRow("three at 9600") << 9600 << 0 << QByteArray("FA;FB;IF;") << 66;
    QTest::newRow("each command its time") << 38400 << 100 << QByteArray("FA;FB;") << 28;
}

// A reply never arrives before the radio has processed its command and a real line could have
// carried it. No upper bound: a loaded machine may always be late.
void TestRigSim::pacing()
{
    QFETCH(int, baud);
    QFETCH(int, latencyMs);
    QFETCH(QByteArray, queries);
    QFETCH(int, replyLength);
    RigSimThread sim(RigType::K3, baud);
    Station station(sim.start());
    QVERIFY(station.port.isOpen());
    sim.invoke([latencyMs](RigSimServer &server) { server.setLatency(latencyMs); });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(station.ask(queries, replyLength).size(), replyLength);
    // The radio works on the next command while the previous reply is on the line.
    const qint64 processingNs = qint64(queries.count(';')) * latencyMs * 1'000'000;
    const qint64 lineNs = std::max(qint64(replyLength) * 10 * 1'000'000'000 / baud, processingNs);
    QVERIFY2(clock.nsecsElapsed() >= lineNs, qPrintable(QString::number(clock.nsecsElapsed())));
}

// A link left by a crash is replaced, a file is never overwritten, the link goes with the
// server.
void TestRigSim::publishLink()
{
    RigsimProcess dir; // only its folder
    const QString link = dir.link(), file = dir.folder() + QStringLiteral("/notes");
    QVERIFY(QFile::link(dir.folder() + QStringLiteral("/gone"), link));
    QFile notes(file);
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("73") == 2);
    notes.close();
    {
        RigSimThread sim;
        QVERIFY(!sim.start().isEmpty());
        bool linked = false, overwrote = true;
        QString slave;
        sim.invoke([&](RigSimServer &server) {
            linked = server.publishLink(link);
            overwrote = server.publishLink(file);
            slave = server.slavePath();
        });
        QVERIFY(linked && !overwrote);
        QCOMPARE(QFileInfo(link).symLinkTarget(), slave);
        QCOMPARE(Station(link).ask("ID;", 6), QByteArray("ID017;"));
    }
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(notes.open(QIODevice::ReadOnly) && notes.readAll() == "73");
}

// The operator at the radio: a script's lines run in order, a wait holding the next line at least
// that long, then what is typed on the program's standard input; the radio reports at the AI level
// a program set; --verbose logs the line. The program keeps serving when its input ends.
void TestRigSim::programWithFrontPanel()
{
    RigsimProcess rigsim;
    const QString script = rigsim.folder() + QStringLiteral("/panel.txt");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# tune, wait, tune again\nvfo 7040000\nwait 300\nvfo 3573000\n");
    file.close();
    QVERIFY(rigsim.start({"--rig", "kenwood", "--verbose", "--script", script}));
    QProcess &sim = rigsim.process();
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += sim.readAllStandardOutput()).contains("VFO A 7.040000"),
                             kWaitMs);
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT((said += sim.readAllStandardOutput()).contains("VFO A 3.573000"),
                             kWaitMs);
    QVERIFY2(clock.elapsed() >= 250, qPrintable(QString::number(clock.elapsed())));
    Station station(rigsim.link());
    QCOMPARE(station.ask("AI2;ID;", 6), QByteArray("ID019;"));
    const QByteArray tx = "IF00003573000     +000000000120000000;";
    for (const auto &[line, report] :
         {std::pair{"tx\n", tx}, {"rx\n", QByteArray(tx).replace(28, 1, "0")}}) {
        sim.write(line);
        QVERIFY(sim.waitForBytesWritten(kWaitMs));
        QCOMPARE(station.ask({}, report.size()), report);
    }
    QTRY_VERIFY_WITH_TIMEOUT((said += sim.readAllStandardOutput()).contains("receiving\n"),
                             kWaitMs);
    QVERIFY(said.contains("<< AI2;ID;\n") && said.contains(">> ID019;\n"));
    QVERIFY(said.contains("transmitting\n"));
    sim.closeWriteChannel();
    QCOMPARE(station.ask("FA;", 14), QByteArray("FA00003573000;"));
    QVERIFY(rigsim.stop());
}

void TestRigSim::programRejectsBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("rig") << QStringList{"--rig", "ic7300"} << "unknown rig type 'ic7300'";
    QTest::newRow("model") << QStringList{"--model", "ft1000"} << "unknown model 'ft1000'";
    QTest::newRow("model of another family") << QStringList{"--rig", "k3", "--model", "ts2000"}
                                             << "the Kenwood TS-2000 is not of the rig type 'k3'";
    QTest::newRow("baud") << QStringList{"--baud", "fast"} << "baud rate 'fast'";
    QTest::newRow("latency") << QStringList{"--latency", "soon"} << "latency 'soon'";
    QTest::newRow("script") << QStringList{"--script", "FILE.missing"} << "cannot read the script";
    QTest::newRow("link over a file") << QStringList{"--link", "FILE"} << "is not a link";
}

void TestRigSim::programRejectsBadArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("config.ini"));
    QFile existing(file);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QProcess sim;
    sim.start(QStringLiteral(OVX2_RIGSIM_EXE), arguments.replaceInStrings("FILE", file));
    QVERIFY(sim.waitForFinished(kWaitMs));
    QVERIFY(sim.exitCode() != 0);
    QVERIFY2(sim.readAllStandardError().contains(message.toUtf8()), qPrintable(message));
    QVERIFY(sim.readAllStandardOutput().isEmpty());
    QVERIFY(QFileInfo(file).isFile());
}

QTEST_GUILESS_MAIN(TestRigSim)
#include "tst_rigsim.moc"
