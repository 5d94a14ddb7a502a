// The rig simulator on real pseudo-terminals: in-process in its own thread, and as the
// ovx2-rigsim program a ham starts by hand.

#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "rigsim_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kWaitMs = 10000; // only ever reached when something is broken

// A station program's end of the CAT line.
class Station {
public:
    explicit Station(const QString &path)
    {
        m_port.setPortName(path);
        m_port.setBaudRate(QSerialPort::Baud38400);
        m_opened = m_port.open(QIODevice::ReadWrite);
    }
    bool isOpen() const { return m_opened; }
    void write(const QByteArray &text)
    {
        m_port.write(text);
        m_port.waitForBytesWritten(kWaitMs);
    }
    // Everything received so far, including what arrives while waiting.
    QByteArray received()
    {
        m_buffer += m_port.readAll();
        return m_buffer;
    }
    // Waits until `size` bytes have arrived, reading them all.
    QByteArray waitFor(qsizetype size)
    {
        QElapsedTimer clock;
        clock.start();
        while (received().size() < size && clock.elapsed() < kWaitMs)
            m_port.waitForReadyRead(100);
        return m_buffer;
    }
    void clear()
    {
        received();
        m_buffer.clear();
    }

private:
    QSerialPort m_port;
    QByteArray m_buffer;
    bool m_opened = false;
};

} // namespace

class TestRigSim : public QObject {
    Q_OBJECT
private slots:
    void answersAsTheModelAsked();
    void pacing_data();
    void pacing();
    void oneReceivedChunkPerWrite();
    void silentAtRunTime();
    void publishLink();
    void program();
    void frontPanelOnStandardInput_data();
    void frontPanelOnStandardInput();
    void scriptWaits();
    void programRejectsBadArguments_data();
    void programRejectsBadArguments();
};

// By rig type (its family's default radio) or by model name; a setting takes before the
// query behind it in the same write is answered.
void TestRigSim::answersAsTheModelAsked()
{
    RigSimThread k3(RigType::K3);
    const QString path = k3.start();
    QVERIFY2(!path.isEmpty(), qPrintable(k3.errorString()));
    Station station(path);
    QVERIFY(station.isOpen());
    station.write("FA;FA00007074000;FA;");
    QCOMPARE(station.waitFor(28), QByteArray("FA00014074000;FA00007074000;"));

    RigSimThread ft991a(QStringLiteral("ft991a"));
    Station yaesu(ft991a.start());
    QVERIFY(yaesu.isOpen());
    yaesu.write("ID;FA;");
    QCOMPARE(yaesu.waitFor(19), QByteArray("ID0670;FA014074000;"));

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
    QTest::newRow("IF at 4800") << 4800 << 0 << QByteArray("IF;") << 38;
    QTest::newRow("three at 9600") << 9600 << 0 << QByteArray("FA;FB;IF;") << 66;
    QTest::newRow("OM at 4800") << 4800 << 0 << QByteArray("OM;") << 16;
    QTest::newRow("FA after 150 ms") << 38400 << 150 << QByteArray("FA;") << 14;
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
    QVERIFY(station.isOpen());
    sim.invoke([latencyMs](RigSimServer &server) { server.setLatency(latencyMs); });
    QElapsedTimer clock;
    clock.start();
    station.write(queries);
    QCOMPARE(station.waitFor(replyLength).size(), replyLength);
    // The radio works on the next command while the previous reply is on the line.
    const qint64 processingNs = qint64(queries.count(';')) * latencyMs * 1'000'000;
    const qint64 lineNs = std::max(qint64(replyLength) * 10 * 1'000'000'000 / baud, processingNs);
    QVERIFY2(clock.nsecsElapsed() >= lineNs,
             qPrintable(QStringLiteral("%1 ns < %2 ns").arg(clock.nsecsElapsed()).arg(lineNs)));
}

void TestRigSim::oneReceivedChunkPerWrite()
{
    RigSimThread sim;
    QSignalSpy received(&sim, &RigSimThread::received);
    QSignalSpy sent(&sim, &RigSimThread::sent);
    Station station(sim.start());
    QVERIFY(station.isOpen());
    station.write("FA;");
    station.waitFor(14);
    station.write("FB;");
    station.waitFor(28);
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 2, kWaitMs);
    QCOMPARE(received.at(0).at(0).toByteArray(), QByteArray("FA;"));
    QCOMPARE(received.at(1).at(0).toByteArray(), QByteArray("FB;"));
    QTRY_COMPARE_WITH_TIMEOUT(sent.count(), 2, kWaitMs);
    QCOMPARE(sent.at(1).at(0).toByteArray(), QByteArray("FB00014080000;"));
}

void TestRigSim::silentAtRunTime()
{
    RigSimThread sim;
    QSignalSpy received(&sim, &RigSimThread::received);
    Station station(sim.start());
    QVERIFY(station.isOpen());
    sim.invoke([](RigSimServer &server) { server.setSilent(true); });
    station.write("FA;");
    // received() comes after the model has seen the chunk, so the query has been ignored.
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 1, kWaitMs);
    sim.invoke([](RigSimServer &server) { server.setSilent(false); });
    station.write("FB;");
    QCOMPARE(station.waitFor(14), QByteArray("FB00014080000;"));
}

void TestRigSim::publishLink()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("rig"));
    const QString file = dir.filePath(QStringLiteral("notes"));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), link)); // left by a crash
    QFile notes(file);
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("73") == 2);
    notes.close();

    QString slave;
    {
        RigSimThread sim;
        QVERIFY(!sim.start().isEmpty());
        bool linked = false;
        bool overwrote = true;
        sim.invoke([&](RigSimServer &server) {
            linked = server.publishLink(link);
            overwrote = server.publishLink(file);
            slave = server.slavePath();
        });
        QVERIFY(linked);
        QVERIFY(!overwrote);
        QCOMPARE(QFileInfo(link).symLinkTarget(), slave);
        Station station(link);
        QVERIFY(station.isOpen());
        station.write("ID;");
        QCOMPARE(station.waitFor(6), QByteArray("ID017;"));
    }
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(notes.open(QIODevice::ReadOnly));
    QCOMPARE(notes.readAll(), QByteArray("73"));
}

void TestRigSim::program()
{
    RigsimProcess sim;
    QVERIFY(sim.start(
        {QStringLiteral("--rig"), QStringLiteral("kenwood"), QStringLiteral("--verbose")}));
    {
        Station station(sim.link());
        QVERIFY(station.isOpen());
        station.write("ID;");
        QCOMPARE(station.waitFor(6), QByteArray("ID019;"));
    }
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += sim.process().readAllStandardOutput()).contains(">> ID019;\n"),
                             kWaitMs);
    QVERIFY(log.contains("<< ID;\n"));
    QVERIFY(sim.stop()); // SIGTERM
}

// The operator at each family's radio, typing on the simulator's standard input: the radio
// reports in its own format at the AI level a program set.
void TestRigSim::frontPanelOnStandardInput_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QByteArray>("setAi");
    QTest::addColumn<QByteArrayList>("reports"); // after vfo 7040000, tx and rx
    QTest::newRow("K3 in AI2") << "k3" << QByteArray("AI2;")
                               << QByteArrayList{"FA00007040000;", "TQ1;", "TQ0;"};
    QTest::newRow("TS-2000 in AI2")
        << "ts2000" << QByteArray("AI2;")
        << QByteArrayList{"FA00007040000;", "IF00007040000     +000000000120000000;",
                          "IF00007040000     +000000000020000000;"};
    QTest::newRow("FT-991A in AI1")
        << "ft991a" << QByteArray("AI1;")
        << QByteArrayList{"IF001007040000+000000200000;", "TX2;", "TX0;"};
}

void TestRigSim::frontPanelOnStandardInput()
{
    QFETCH(QString, model);
    QFETCH(QByteArray, setAi);
    QFETCH(QByteArrayList, reports);
    RigsimProcess rigsim;
    QVERIFY(rigsim.start({QStringLiteral("--model"), model}));
    QProcess &sim = rigsim.process();
    Station station(rigsim.link());
    QVERIFY(station.isOpen());
    station.write(setAi + "AI;");
    QCOMPARE(station.waitFor(setAi.size()), setAi);

    const QByteArray lines[] = {"vfo 7040000\n", "tx\n", "rx\n"};
    for (int i = 0; i < 3; ++i) {
        station.clear();
        sim.write(lines[i]);
        QVERIFY(sim.waitForBytesWritten(kWaitMs));
        QCOMPARE(station.waitFor(reports.at(i).size()), reports.at(i));
    }
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += sim.readAllStandardOutput()).contains("receiving\n"),
                             kWaitMs);
    QVERIFY(said.contains("VFO A 7.040000 MHz\ntransmitting\n"));

    sim.write("quit\n");
    QVERIFY(sim.waitForBytesWritten(kWaitMs));
    QVERIFY(rigsim.finished());
}

// A script's lines run in order; a wait holds the next line at least that long. The program
// keeps serving when its input ends.
void TestRigSim::scriptWaits()
{
    RigsimProcess rigsim;
    const QString script = rigsim.folder() + QStringLiteral("/panel.txt");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# tune, wait, tune again\nvfo 7040000\nwait 300\nvfo 3573000\n");
    file.close();
    QProcess &sim = rigsim.process();
    sim.setStandardInputFile(QProcess::nullDevice());
    QVERIFY(rigsim.start({QStringLiteral("--script"), script}));

    QElapsedTimer clock;
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += sim.readAllStandardOutput()).contains("VFO A 7.040000"),
                             kWaitMs);
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT((said += sim.readAllStandardOutput()).contains("VFO A 3.573000"),
                             kWaitMs);
    QVERIFY2(clock.elapsed() >= 250, qPrintable(QString::number(clock.elapsed())));

    Station station(rigsim.link());
    QVERIFY(station.isOpen());
    station.write("FA;");
    QCOMPARE(station.waitFor(14), QByteArray("FA00003573000;"));
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
    arguments.replaceInStrings(QStringLiteral("FILE"), file);

    QProcess sim;
    sim.start(QStringLiteral(OVX2_RIGSIM_EXE), arguments);
    QVERIFY(sim.waitForFinished(kWaitMs));
    QVERIFY(sim.exitCode() != 0);
    QVERIFY2(sim.readAllStandardError().contains(message.toUtf8()), qPrintable(message));
    QVERIFY(sim.readAllStandardOutput().isEmpty());
    QVERIFY(QFileInfo(file).isFile());
}

QTEST_GUILESS_MAIN(TestRigSim)
#include "tst_rigsim.moc"
