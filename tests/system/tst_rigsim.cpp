// The rig simulator on real pseudo-terminals: in-process in its own thread, and as the
// ovx2-rigsim program a ham starts by hand.

#include "rig_sim_server.h"
#include "rig_sim_thread.h"

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
    void answersQueries();
    void pacing_data();
    void pacing();
    void oneReceivedChunkPerWrite();
    void reportsFrontPanelChangeUnasked();
    void silentAtRunTime();
    void publishLink();
    void program();
    void programRejectsBadArguments_data();
    void programRejectsBadArguments();
};

void TestRigSim::answersQueries()
{
    RigSimThread sim(RigType::K3);
    const QString path = sim.start();
    QVERIFY2(!path.isEmpty(), qPrintable(sim.errorString()));
    Station station(path);
    QVERIFY(station.isOpen());
    station.write("FA;");
    QCOMPARE(station.waitFor(14), QByteArray("FA00014074000;"));
    station.clear();
    station.write("FA00007074000;FA;");
    QCOMPARE(station.waitFor(14), QByteArray("FA00007074000;"));
}

void TestRigSim::pacing_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("queries");
    QTest::addColumn<int>("replyLength");
    QTest::newRow("IF at 4800") << 4800 << QByteArray("IF;") << 38;
    QTest::newRow("three at 9600") << 9600 << QByteArray("FA;FB;IF;") << 66;
    QTest::newRow("OM at 4800") << 4800 << QByteArray("OM;") << 16;
}

// A reply never arrives before a real line could have carried it. No upper bound: a loaded
// machine may always be late.
void TestRigSim::pacing()
{
    QFETCH(int, baud);
    QFETCH(QByteArray, queries);
    QFETCH(int, replyLength);
    RigSimThread sim(RigType::K3, baud);
    Station station(sim.start());
    QVERIFY(station.isOpen());
    QElapsedTimer clock;
    clock.start();
    station.write(queries);
    QCOMPARE(station.waitFor(replyLength).size(), replyLength);
    const qint64 lineNs = qint64(replyLength) * 10 * 1'000'000'000 / baud;
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

void TestRigSim::reportsFrontPanelChangeUnasked()
{
    RigSimThread sim;
    Station station(sim.start());
    QVERIFY(station.isOpen());
    station.write("AI2;AI;");
    QCOMPARE(station.waitFor(4), QByteArray("AI2;"));
    station.clear();
    sim.invoke([](RigSimServer &server) { server.turnVfoA(7074000); });
    QCOMPARE(station.waitFor(14), QByteArray("FA00007074000;"));
    station.clear();
    sim.invoke([](RigSimServer &server) { server.setTransmit(true); });
    QCOMPARE(station.waitFor(4), QByteArray("TQ1;"));
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
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("kenwood"));
    QProcess sim;
    sim.start(QStringLiteral(OVX2_RIGSIM_EXE),
              {QStringLiteral("--rig"), QStringLiteral("kenwood"), QStringLiteral("--link"), link,
               QStringLiteral("--verbose")});
    QVERIFY(sim.waitForStarted(kWaitMs));
    QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), kWaitMs);
    QCOMPARE(QString::fromLocal8Bit(sim.readLine()).trimmed(), link);
    QVERIFY(QFileInfo(link).isSymLink());

    {
        Station station(link);
        QVERIFY(station.isOpen());
        station.write("ID;");
        QCOMPARE(station.waitFor(6), QByteArray("ID019;"));
    }
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += sim.readAllStandardOutput()).contains(">> ID019;\n"), kWaitMs);
    QVERIFY(log.contains("<< ID;\n"));

    sim.terminate(); // SIGTERM
    QVERIFY(sim.waitForFinished(kWaitMs));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestRigSim::programRejectsBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("rig") << QStringList{"--rig", "ic7300"} << "unknown rig type 'ic7300'";
    QTest::newRow("baud") << QStringList{"--baud", "fast"} << "baud rate 'fast'";
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
