#include "ports/pty_device.h"
#include "station_program.h"
#include "test_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

// The real ovx2 executable, installed in a folder of its own with config.ini beside it, and the
// simulator executable as the rig.
class TestStartupProcess : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startsInOrderServesAndStopsOnSigterm();
    void sigtermDuringStartUpLeavesNothingBehind();

private:
    void writeConfig(const QMap<QByteArray, QByteArray> &values);
    void startBridge(QProcess &bridge);
    // After the bridge has ended: no link left behind, a whole config.ini saved.
    void checkNothingLeftBehind();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_run;   // the bridge's XDG_RUNTIME_DIR
    QString m_ports; // the port folder in it
    QString m_exe;
    QString m_rigLink;
    std::unique_ptr<QProcess> m_sim;
};

void TestStartupProcess::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_run = m_dir->path() + QStringLiteral("/run");
    m_ports = m_run + QStringLiteral("/ovx2");
    QVERIFY(QDir().mkpath(m_ports));
    ::chmod(QFile::encodeName(m_run).constData(), 0700);
    ::chmod(QFile::encodeName(m_ports).constData(), 0700);
    m_exe = m_dir->path() + QStringLiteral("/ovx2");
    QVERIFY(QFile::copy(QStringLiteral(OVX2_EXE), m_exe));
    m_sim = std::make_unique<QProcess>();
    m_rigLink = m_dir->path() + QStringLiteral("/rig");
    m_sim->start(QStringLiteral(OVX2_RIGSIM_EXE),
                 {QStringLiteral("--link"), m_rigLink, QStringLiteral("--verbose")});
    QVERIFY(m_sim->waitForReadyRead(5000)); // its first line: the path it serves
}

void TestStartupProcess::cleanup()
{
    m_sim->terminate();
    QVERIFY(m_sim->waitForFinished(5000));
    m_sim.reset();
    m_dir.reset();
}

void TestStartupProcess::writeConfig(const QMap<QByteArray, QByteArray> &values)
{
    QFile config(m_dir->path() + QStringLiteral("/config.ini"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(configFile(values));
}

void TestStartupProcess::startBridge(QProcess &bridge)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_run);
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    bridge.setProcessEnvironment(env);
    bridge.setProcessChannelMode(QProcess::ForwardedChannels);
    bridge.start(m_exe, {});
    QVERIFY(bridge.waitForStarted(5000));
}

void TestStartupProcess::checkNothingLeftBehind()
{
    QCOMPARE(QDir(m_ports).entryList(QDir::System | QDir::NoDotAndDotDot), QStringList());
    QFile config(m_dir->path() + QStringLiteral("/config.ini"));
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll().count("\r\n"), 51);
}

void TestStartupProcess::startsInOrderServesAndStopsOnSigterm()
{
    const QString rigDevice = QFileInfo(m_rigLink).symLinkTarget();
    QVERIFY(rigDevice.startsWith(QStringLiteral("/dev/pts/")));
    PtyDevice out1, out2; // the equipment on the output ports
    QVERIFY(out1.open() && out2.open());
    writeConfig({
        {"RigPort=", m_rigLink.toUtf8()},
        {"RigPortAutoConnect=", "1"},
        {"VirPort1AutoConnect=", "1"},
        {"VirPort2AutoConnect=", "1"},
        {"VirPort3AutoConnect=", "1"},
        {"VirPort4AutoConnect=", "1"},
        {"VirPort5AutoConnect=", "1"},
        {"VirPort7AutoConnect=", "1"},
        {"VirPort1=", "COM11"},
        {"VirPort2=", "COM12"},
        {"VirPort3=", "COM13"},
        {"VirPort4=", "COM14"},
        {"VirPort5=", "COM15"},
        {"VirPort7=", "COM99"},
        {"OutputPort1=", out1.slavePath().toUtf8()},
        {"OutputPort2=", out2.slavePath().toUtf8()},
        {"OutputPort1AutoConnect=", "1"},
        {"OutputPort2AutoConnect=", "1"},
    });

    // Watch the openings: the rig's and output ports' devices opened, the links created.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QMap<int, QString> names;
    names[::inotify_add_watch(watch, QFile::encodeName(rigDevice).constData(), IN_OPEN)] =
        QStringLiteral("rig");
    names[::inotify_add_watch(watch, QFile::encodeName(out1.slavePath()).constData(), IN_OPEN)] =
        QStringLiteral("output 1");
    names[::inotify_add_watch(watch, QFile::encodeName(out2.slavePath()).constData(), IN_OPEN)] =
        QStringLiteral("output 2");
    const int folderWatch =
        ::inotify_add_watch(watch, QFile::encodeName(m_ports).constData(), IN_CREATE);
    QStringList order;
    QSocketNotifier notifier(watch, QSocketNotifier::Read);
    connect(&notifier, &QSocketNotifier::activated, this, [&] {
        alignas(inotify_event) char buf[4096];
        ssize_t n;
        while ((n = ::read(watch, buf, sizeof buf)) > 0) {
            for (char *p = buf; p < buf + n;) {
                auto *e = reinterpret_cast<inotify_event *>(p);
                const QString what =
                    e->wd == folderWatch ? QString::fromLocal8Bit(e->name) : names.value(e->wd);
                if (!what.startsWith(QLatin1Char('.')) && !order.contains(what))
                    order << what;
                p += sizeof(inotify_event) + e->len;
            }
        }
    });

    QProcess bridge;
    startBridge(bridge);
    const QStringList expected{
        QStringLiteral("rig"),   QStringLiteral("COM11"),    QStringLiteral("COM12"),
        QStringLiteral("COM13"), QStringLiteral("COM14"),    QStringLiteral("COM15"),
        QStringLiteral("COM99"), QStringLiteral("output 1"), QStringLiteral("output 2")};
    QTRY_COMPARE_WITH_TIMEOUT(order, expected, 15000);
    notifier.setEnabled(false); // before its descriptor goes and the number is reused
    ::close(watch);

    // A station program can use port 3 at once.
    StationProgram three(m_ports + QStringLiteral("/COM13"));
    QVERIFY(three.isOpen());
    three.write("FA;");
    QTRY_COMPARE_WITH_TIMEOUT(three.received(), QByteArray("FA00014074000;"), 5000);
    three.close();

    // SIGTERM: every link removed, the settings saved.
    bridge.terminate();
    QVERIFY(bridge.waitForFinished(10000));
    QCOMPARE(bridge.exitStatus(), QProcess::NormalExit);
    QCOMPARE(bridge.exitCode(), 0);
    checkNothingLeftBehind();
    QFile config(m_dir->path() + QStringLiteral("/config.ini"));
    QVERIFY(config.open(QIODevice::ReadOnly));
    QVERIFY(config.readAll().contains("VirPort3AutoConnect=1\r\n"));
}

void TestStartupProcess::sigtermDuringStartUpLeavesNothingBehind()
{
    writeConfig({{"RigPort=", m_rigLink.toUtf8()},
                 {"RigPortAutoConnect=", "1"},
                 {"VirPort1AutoConnect=", "1"},
                 {"VirPort2AutoConnect=", "1"},
                 {"VirPort1=", "COM11"},
                 {"VirPort2=", "COM12"}});
    QProcess bridge;
    startBridge(bridge);
    // The signal lands in the middle of the connection sequence: the rig has just been probed.
    QByteArray atRig;
    QTRY_VERIFY_WITH_TIMEOUT((atRig += m_sim->readAllStandardOutput()).contains("<< FA;"), 10000);
    QCOMPARE(bridge.state(), QProcess::Running);
    bridge.terminate();
    QVERIFY(bridge.waitForFinished(15000));
    QCOMPARE(bridge.exitCode(), 0);
    checkNothingLeftBehind();
}

QTEST_GUILESS_MAIN(TestStartupProcess)
#include "tst_startup_process.moc"
