#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "controls/version.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/serial_port.h"
#include "private_runtime.h"
#include "rig/rig_connection.h"
#include "rig/rig_link.h"
#include "rig/rig_tables.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "scripted_messenger.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <mutex>

// What the bridge asks as it loads the virtual rig, in order.
static QStringList loadQueries(RigType type)
{
    return QString::fromLatin1(loadQueriesFor(type).join(' ')).split(' ');
}

// Connecting the rig, with the simulator as the rig.
class TestRigConnection : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { usePrivateRuntimeDir(m_runtime); }
    void init();
    void cleanup() { m_bridge.reset(), m_sim.reset(); }
    void k3GetsProbeSetUpAndLoadQueries();
    void otherRigsConnect_data();
    void otherRigsConnect();
    void failureIsReported_data();
    void failureIsReported();
    void rigThatComesBackIsTakenBack();

private:
    void startRig(RigType type, int baud = 38400);

    QTemporaryDir m_runtime;
    ScriptedMessenger m_messenger;
    std::unique_ptr<Bridge> m_bridge;
    QString m_title;      // the window title the connection's progress makes
    QStringList m_titles; // each, in turn
    QList<qint64> m_titleTimes;
    QElapsedTimer m_clock;
    std::unique_ptr<RigSimThread> m_sim;
    QStringList m_received;
    void edit(const std::function<void(StationSettings &)> &change)
    {
        StationSettings next = m_bridge->settings();
        change(next);
        m_bridge->changeSettings(next);
    }
};

void TestRigConnection::init()
{
    m_messenger.shown.clear();
    m_received.clear();
    // One test keeps the real waits; the others run them at a quarter of real time.
    Clock &clock = QTest::currentTestFunction() == QLatin1String("k3GetsProbeSetUpAndLoadQueries")
                       ? systemClock()
                       : testClock();
    m_bridge = std::make_unique<Bridge>(StationSettings(), m_messenger, clock);
    m_title = QString::fromLatin1(kAppTitle);
    m_titles.clear(), m_titleTimes.clear(), m_clock.start();
    connect(&m_bridge->rigConnection(), &RigConnection::progress, this,
            [this](const QString &suffix) {
                m_titles << (m_title = QString::fromLatin1(kAppTitle) + suffix);
                m_titleTimes << m_clock.elapsed();
            });
}

void TestRigConnection::startRig(RigType type, int baud)
{
    m_sim = std::make_unique<RigSimThread>(type, baud);
    const QString path = m_sim->start();
    QVERIFY2(!path.isEmpty(), qPrintable(m_sim->errorString()));
    connect(m_sim.get(), &RigSimThread::received, this,
            [this](const QByteArray &chunk) { m_received << QString::fromLatin1(chunk); });
    edit([&](StationSettings &s) {
        s.rigType = type;
        s.rigPort = path;
        s.baudIndex = baud == 4800 ? 0 : 3;
    });
}

void TestRigConnection::k3GetsProbeSetUpAndLoadQueries()
{
    startRig(RigType::K3);
    QByteArray faAtDone;
    bool timerRanDuringSequence = false;
    connect(&m_bridge->rigConnection(), &RigConnection::progress, this, [&](const QString &suffix) {
        timerRanDuringSequence |= m_bridge->pollTimer().isActive();
        if (suffix.endsWith(QLatin1String("Done")))
            faAtDone = m_bridge->rig().get(Entry::FA);
    });
    // Nothing blocks while the sequence waits: the event loop keeps turning.
    QTimer beat;
    QSignalSpy beats(&beat, &QTimer::timeout);
    beat.start(20);
    const QStringList expected =
        QStringList{"FA;", "FA;", "AI0;", "K31;", "AI2;", "K22;"} + loadQueries(RigType::K3);
    // When each write reached the rig, taken in the simulator's own thread.
    std::mutex lock;
    QList<qint64> arrivals;
    m_sim->invoke([&](RigSimServer &server) {
        connect(
            &server, &RigSimServer::received, &server,
            [&](const QByteArray &) {
                const std::lock_guard guard(lock);
                arrivals << m_clock.elapsed();
            },
            Qt::DirectConnection);
    });
    m_bridge->connectRig();
    QTRY_VERIFY_WITH_TIMEOUT(m_received.size() >= expected.size(), 5000);
    QCOMPARE(m_received.mid(0, expected.size()), expected);
    const QString title = QString::fromLatin1(kAppTitle);
    QTRY_COMPARE(m_titles, QStringList({title + "  Initializing", title + "  Done", title}));
    // The real waits: 200 ms after each probe, 50 ms after each set-up command, 30 ms after each
    // load query, then a second for the replies. A write reaches the rig a little after it is
    // made, so each gap may come out a few milliseconds short; none may come out much shorter.
    QList<qint64> at;
    {
        const std::lock_guard guard(lock);
        at = arrivals.mid(0, expected.size());
    }
    QCOMPARE(at.size(), expected.size());
    for (qsizetype i = 1; i < at.size(); ++i) {
        const int wait = i <= 2 ? 200 : i <= 6 ? 50 : 30;
        QVERIFY2(
            at[i] - at[i - 1] >= wait - 10,
            qPrintable(QStringLiteral("%1 came %2 ms after %3")
                           .arg(expected[i], QString::number(at[i] - at[i - 1]), expected[i - 1])));
    }
    QVERIFY(m_titleTimes[2] - m_titleTimes[1] >= 1000);
    QVERIFY(!timerRanDuringSequence);
    // More than a second and a half of waits, and the loop ran all through them.
    QVERIFY2(beats.count() >= 40, qPrintable(QString::number(beats.count())));
    QVERIFY(m_bridge->pollTimer().isActive());
    QVERIFY(m_bridge->rigPort().IsOpened());
    QCOMPARE(m_bridge->rigConnection().state(), RigConnection::State::Open);

    // The probe's replies are replies like any other: shown, and kept one at a time.
    QCOMPARE(faAtDone, QByteArray("FA00014074000;"));
    const QList<QByteArray> lines = m_bridge->terminal(0).lines();
    const qsizetype loading = lines.indexOf("Loading Virtual Rig");
    QVERIFY(loading >= 0);
    // The load queries' replies are handled as they come, while the sequence goes on.
    QCOMPARE(lines.mid(loading + 1, 2), (QList<QByteArray>{"FA00014074000;", "FA00014074000;"}));
    QVERIFY(lines.indexOf("Virtual K3 Loaded") > loading + 2);
    QTRY_COMPARE(m_bridge->rig().get(Entry::FA), QByteArray("FA00014074000;"));

    // Disconnect closes the port; polling goes on.
    m_bridge->toggleRig();
    QVERIFY(!m_bridge->rigPort().IsOpened());
    QCOMPARE(m_bridge->rigConnection().state(), RigConnection::State::Closed);
    QVERIFY(m_bridge->pollTimer().isActive());
    QVERIFY(m_messenger.shown.isEmpty());
}

void TestRigConnection::otherRigsConnect_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QStringList>("expected"); // the probe, then the load queries
    QTest::newRow("Kenwood") << RigType::Kenwood << 38400
                             << QStringList{"FA;", "FA;"} + loadQueries(RigType::Kenwood);
    QTest::newRow("K3 at 4800") << RigType::K3 << 4800 << QStringList{"FA;", "FA;"};
}

void TestRigConnection::otherRigsConnect()
{
    QFETCH(RigType, type);
    QFETCH(int, baud);
    QFETCH(QStringList, expected);
    startRig(type, baud);
    QSignalSpy finished(&m_bridge->rigConnection(), &RigConnection::finished);
    m_bridge->connectRig();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().toBool(), true);
    QCOMPARE(m_received.mid(0, expected.size()), expected);
    QTRY_VERIFY(m_bridge->rig().get(Entry::FW).startsWith("FW"));
    QTRY_COMPARE(m_title, QString::fromLatin1(kAppTitle));
    QVERIFY(m_messenger.shown.isEmpty());
    QVERIFY(m_bridge->rigPort().IsOpened());
}

void TestRigConnection::failureIsReported_data()
{
    QTest::addColumn<bool>("silent"); // else: a port that cannot open
    QTest::addColumn<QByteArray>("said");
    QTest::newRow("a silent rig") << true << QByteArray("No answer");
    QTest::newRow("no such port") << false << QByteArray("no-such-port");
}

void TestRigConnection::failureIsReported()
{
    QFETCH(bool, silent);
    QFETCH(QByteArray, said);
    startRig(RigType::K3);
    m_sim->invoke([silent](RigSimServer &s) { s.setSilent(silent); });
    if (!silent)
        edit([&](StationSettings &s) { s.rigPort = m_runtime.path() + "/no-such-port"; });
    m_bridge->connectRig();
    // A silent rig is said in a message; a port that cannot open only in the rig terminal.
    QTRY_COMPARE(m_messenger.shown.size(), silent ? 1 : 0);
    if (silent) {
        const Message &m = m_messenger.shown.first();
        QCOMPARE(m.text,
                 QStringLiteral("Can't connect to rig\r\nPlease check rig com port settings."));
        QCOMPARE(m.buttons, Message::Buttons::Ok);
        QVERIFY(m.title.isEmpty()); // the application's title
    }
    QVERIFY(!m_bridge->rigPort().IsOpened());
    QCOMPARE(m_bridge->rigConnection().state(), RigConnection::State::Closed);
    QCOMPARE(m_title, QString::fromLatin1(kAppTitle));
    const TerminalModel &rig = m_bridge->terminal(0);
    QVERIFY(rig.line(rig.lineCount() - 1).contains(said));
    QCOMPARE(m_bridge->pollTimer().isActive(), !silent);
    QVERIFY(m_bridge->rig().get(Entry::FA).isEmpty());
}

void TestRigConnection::rigThatComesBackIsTakenBack()
{
    // The radio's USB adapter pulled and plugged in again: the same device name comes back.
    const QString link = m_runtime.filePath(QStringLiteral("rig"));
    startRig(RigType::Kenwood);
    m_sim->invoke([&](RigSimServer &s) { s.publishLink(link); });
    edit([&](StationSettings &s) { s.rigPort = link; });
    m_bridge->connectRig();
    QVERIFY(m_bridge->rigPort().IsOpened());
    const TerminalModel &rig = m_bridge->terminal(0);
    const auto said = [&rig](const char *text) { return rig.lines().join('|').contains(text); };
    QTRY_VERIFY(said("Virtual Kenwood Loaded"));

    m_sim.reset();
    QTRY_VERIFY(!m_bridge->rigPort().IsOpened());
    QVERIFY(m_bridge->link().cachedReply("FA;").isEmpty()); // no longer so
    const int linesWhileAway = rig.lineCount();
    QTest::qWait(RigConnection::kRetryMs + 500); // a try without the rig: nothing more said
    QCOMPARE(rig.lineCount(), linesWhileAway);
    m_sim = std::make_unique<RigSimThread>(RigType::Kenwood, 38400);
    QVERIFY(!m_sim->start().isEmpty());
    m_sim->invoke([&](RigSimServer &s) { s.publishLink(link); });
    QTRY_VERIFY_WITH_TIMEOUT(m_bridge->rigPort().IsOpened(), RigConnection::kRetryMs * 10);
    QTRY_VERIFY(said("is back"));
    QVERIFY(m_messenger.shown.isEmpty());
    QTRY_VERIFY(!m_bridge->link().cachedReply("FA;").isEmpty());
}

QTEST_MAIN(TestRigConnection)
#include "tst_rig_connection.moc"
