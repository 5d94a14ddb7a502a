#include "hamlib_tools.h"
#include "ports/pty_device.h"
#include "station_program.h"
#include "test_data.h"
#include "tool_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QSocketNotifier>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <cstdio>
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
    void startsInOrderServesAndStopsOnSigterm_data();
    void startsInOrderServesAndStopsOnSigterm();
    void noDisplaySaysHowToRunWithoutAWindow();
    void signalStopsAStartingBridge_data();
    void signalStopsAStartingBridge();
    void secondBridgeOnTheSameSettingsRefused();
    void staleLockRemovedAndSaid_data();
    void staleLockRemovedAndSaid();

private:
    void writeConfig(const QMap<QByteArray, QByteArray> &values, const QString &dir = {});
    // Settings that connect the simulator at start and publish port 1 under `name`.
    QMap<QByteArray, QByteArray> rigAndPort1(const QByteArray &name = "COM11") const;
    // SIGTERM, and the bridge ends on its own, without an error.
    static void stop(QProcess &bridge);
    // Starts `exe` (the copy in the test's folder when empty) as a user would; what it says on
    // standard error is kept for errorsOf().
    // Headless: with --headless and no display at all, its standard output kept; NoDisplay: no
    // display and no argument.
    enum class Start { Window, Headless, NoDisplay };
    void startBridge(QProcess &bridge, const QString &exe = {}, Start how = Start::Window);
    static QByteArray errorsOf(QProcess &bridge);
    // After the bridge has ended: no link left behind, a whole config.ini saved.
    void checkNothingLeftBehind();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_run;   // the bridge's XDG_RUNTIME_DIR
    QString m_ports; // the port folder in it
    QString m_exe;
    QString m_rigLink;
    std::unique_ptr<QProcess> m_sim;
    QByteArray m_windowSaved; // the config.ini the windowed start saved
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

void TestStartupProcess::writeConfig(const QMap<QByteArray, QByteArray> &values, const QString &dir)
{
    QFile config((dir.isEmpty() ? m_dir->path() : dir) + QStringLiteral("/config.ini"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(configFile(values));
}

QMap<QByteArray, QByteArray> TestStartupProcess::rigAndPort1(const QByteArray &name) const
{
    return {{"RigPort=", m_rigLink.toUtf8()},
            {"RigPortAutoConnect=", "1"},
            {"VirPort1AutoConnect=", "1"},
            {"VirPort1=", name}};
}

void TestStartupProcess::stop(QProcess &bridge)
{
    bridge.terminate();
    QVERIFY(bridge.waitForFinished(10000));
    QCOMPARE(bridge.exitStatus(), QProcess::NormalExit);
    QCOMPARE(bridge.exitCode(), 0);
}

void TestStartupProcess::startBridge(QProcess &bridge, const QString &exe, Start how)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(display));
    if (how == Start::Window)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_run);
    // The user's own settings folder is the test's, never the real one.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->path() + QStringLiteral("/home-config"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    bridge.setProcessEnvironment(env);
    const bool headless = how == Start::Headless;
    bridge.setProcessChannelMode(headless ? QProcess::SeparateChannels
                                          : QProcess::ForwardedOutputChannel);
    bridge.start(exe.isEmpty() ? m_exe : exe,
                 headless ? QStringList{QStringLiteral("--headless")} : QStringList());
    QVERIFY(bridge.waitForStarted(5000));
}

QByteArray TestStartupProcess::errorsOf(QProcess &bridge)
{
    const QByteArray more = bridge.readAllStandardError();
    std::fwrite(more.constData(), 1, std::size_t(more.size()), stderr); // in the test's log too
    const QByteArray all = bridge.property("errors").toByteArray() + more;
    bridge.setProperty("errors", all);
    return all;
}

void TestStartupProcess::checkNothingLeftBehind()
{
    QCOMPARE(QDir(m_ports).entryList(QDir::System | QDir::NoDotAndDotDot), QStringList());
    QFile config(m_dir->path() + QStringLiteral("/config.ini"));
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll().count("\r\n"), 51);
}

void TestStartupProcess::startsInOrderServesAndStopsOnSigterm_data()
{
    QTest::addColumn<bool>("headless");
    QTest::newRow("window") << false;
    QTest::newRow("headless, no display") << true;
}

void TestStartupProcess::startsInOrderServesAndStopsOnSigterm()
{
    QFETCH(bool, headless);
    const QString rigDevice = QFileInfo(m_rigLink).symLinkTarget();
    QVERIFY(rigDevice.startsWith(QStringLiteral("/dev/pts/")));
    PtyDevice out1, out2; // the equipment on the output ports
    QVERIFY(out1.open() && out2.open());
    QMap<QByteArray, QByteArray> settings = rigAndPort1();
    for (int n : {2, 3, 4, 5, 7}) {
        settings.insert("VirPort" + QByteArray::number(n) + '=',
                        "COM" + QByteArray::number(n + 10));
        settings.insert("VirPort" + QByteArray::number(n) + "AutoConnect=", "1");
    }
    // Values that run handlers as they load (the baud rate), and one that cannot be converted.
    settings.insert("RigBaudRate(0,1,2,3,4..4800 to 57600)=", "4");
    settings.insert("Rig Type(0,1,2..K3, Yaesu, Ken)=", "K3");
    for (int n : {1, 2}) {
        PtyDevice &out = n == 1 ? out1 : out2;
        settings.insert("OutputPort" + QByteArray::number(n) + '=', out.slavePath().toUtf8());
        settings.insert("OutputPort" + QByteArray::number(n) + "AutoConnect=", "1");
    }
    writeConfig(settings);
    // The network doors on ports of their own.
    const quint16 doorPorts[2] = {test_tools::freePort(), test_tools::freePort()};
    QVERIFY(doorPorts[0] && doorPorts[1]);
    {
        QSettings extra(m_dir->path() + QStringLiteral("/ovx2.ini"), QSettings::IniFormat);
        extra.setValue(QStringLiteral("Network/Port"), doorPorts[0]);
        extra.setValue(QStringLiteral("XmlRpc/Port"), doorPorts[1]);
    }

    // Watch the openings: the rig's and output ports' devices opened, the links created.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QMap<int, QString> names;
    for (const auto &[device, name] : {std::pair{rigDevice, "rig"},
                                       {out1.slavePath(), "output 1"},
                                       {out2.slavePath(), "output 2"}})
        names[::inotify_add_watch(watch, QFile::encodeName(device), IN_OPEN)] = name;
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
    startBridge(bridge, {}, headless ? Start::Headless : Start::Window);
    const QString expected =
        QStringLiteral("rig COM11 COM12 COM13 COM14 COM15 COM17 output 1 output 2");
    QTRY_COMPARE_WITH_TIMEOUT(order.join(u' '), expected, 15000);
    notifier.setEnabled(false); // before its descriptor goes and the number is reused
    ::close(watch);
    QFile config(m_dir->path() + QStringLiteral("/config.ini"));
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll(), configFile(settings)); // untouched: a kill -9 now loses nothing
    config.close();

    // A station program can use port 3 at once.
    StationProgram three(m_ports + QStringLiteral("/COM13"));
    QVERIFY(three.isOpen());
    three.write("FA;");
    QTRY_COMPARE_WITH_TIMEOUT(three.received(), QByteArray("FA00014074000;"), 5000);
    three.close();

    // Hamlib's rigctl through a port and through both network doors: Elecraft K3 on port 2,
    // "Hamlib NET rigctl" on the rigctld door, "FLRig" on the XML-RPC door.
    QString rigctl;
    OVX2_REQUIRE_HAMLIB_TOOL(rigctl, "rigctl");
    for (const QString &client : {"-m 2029 -s 38400 -r " + m_ports + "/COM12",
                                  QStringLiteral("-m 2 -r 127.0.0.1:%1").arg(doorPorts[0]),
                                  QStringLiteral("-m 4 -r 127.0.0.1:%1").arg(doorPorts[1])}) {
        const auto run = test_tools::runTool(rigctl, client.split(u' ') << QStringLiteral("f"));
        QVERIFY2(run.out.trimmed() == "14074000", qPrintable(client));
    }

    if (headless) {
        // No window and no display: no platform plugin is ever loaded.
        QFile maps(QStringLiteral("/proc/%1/maps").arg(bridge.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(mapped.contains("libQt6Core"));
        QVERIFY2(!mapped.contains("/platforms/"), "a platform plugin was loaded");
    }

    // SIGTERM: every link removed, the settings saved.
    stop(bridge);
    checkNothingLeftBehind();
    QVERIFY(config.open(QIODevice::ReadOnly));
    // The same settings are saved the same, with or without a window (each run has folders and
    // devices of its own).
    const QByteArray saved = config.readAll()
                                 .replace(QFile::encodeName(m_dir->path()), "<folder>")
                                 .replace(QFile::encodeName(out1.slavePath()), "<output 1>")
                                 .replace(QFile::encodeName(out2.slavePath()), "<output 2>");
    // What was loaded, the unconvertible rig type as the list shows it.
    for (const char *line :
         {"VirPort3AutoConnect=1\r\n", "RigBaudRate(0,1,2,3,4..4800 to 57600)=4\r\n",
          "Rig Type(0,1,2..K3, Yaesu, Ken)=0\r\n"})
        QVERIFY2(saved.contains(line), line);
    if (!headless) {
        m_windowSaved = saved;
        return;
    }
    QCOMPARE(saved, m_windowSaved);
    // Every line a terminal shows, one line each, after the terminal's name.
    const QList<QByteArray> out = bridge.readAllStandardOutput().split('\n');
    for (const char *line : {"RIG: Loading Virtual Rig", "RIG: Virtual K3 Loaded", "PORT 3: FA;",
                             "PORT 3: FA00014074000;", "SDR: Published as "})
        QVERIFY2(std::any_of(out.cbegin(), out.cend(),
                             [line](const QByteArray &l) { return l.startsWith(line); }),
                 line);
}

void TestStartupProcess::noDisplaySaysHowToRunWithoutAWindow()
{
    QProcess bridge;
    startBridge(bridge, {}, Start::NoDisplay);
    QVERIFY(bridge.waitForFinished(10000));
    QCOMPARE(bridge.exitStatus(), QProcess::NormalExit);
    QCOMPARE(bridge.exitCode(), 2);
    const QList<QByteArray> lines = bridge.readAllStandardError().trimmed().split('\n');
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains("ovx2 --headless"), lines.first().constData());
    QVERIFY(!QFile::exists(m_dir->path() + QStringLiteral("/config.ini"))); // nothing started
}

void TestStartupProcess::signalStopsAStartingBridge_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("rigOff"); // "Can't connect to rig" open, or the rig just probed
    QTest::newRow("SIGTERM in the connection sequence") << SIGTERM << false;
    QTest::newRow("SIGTERM (logout), a message open") << SIGTERM << true;
    QTest::newRow("SIGINT (Ctrl+C), a message open") << SIGINT << true;
    QTest::newRow("SIGHUP (its terminal closed), a message open") << SIGHUP << true;
}

void TestStartupProcess::signalStopsAStartingBridge()
{
    QFETCH(int, signal);
    QFETCH(bool, rigOff);
    QMap<QByteArray, QByteArray> settings = rigAndPort1();
    settings.insert("VirPort2AutoConnect=", "1");
    settings.insert("VirPort2=", "COM12");
    QProcess off; // a rig that is switched off
    const QString offLink = m_dir->path() + QStringLiteral("/rig-off");
    if (rigOff) {
        off.start(QStringLiteral(OVX2_RIGSIM_EXE),
                  {QStringLiteral("--silent"), QStringLiteral("--link"), offLink});
        QVERIFY(off.waitForReadyRead(5000));
        settings.insert("RigPort=", offLink.toUtf8());
    }
    writeConfig(settings);
    // The bridge closes the rig port right before it shows the message.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(!rigOff ||
            ::inotify_add_watch(watch, QFile::encodeName(QFileInfo(offLink).symLinkTarget()),
                                IN_CLOSE_WRITE) >= 0);
    bool closed = false;
    QSocketNotifier notifier(watch, QSocketNotifier::Read);
    connect(&notifier, &QSocketNotifier::activated, this, [&] { closed = true; });

    QProcess bridge;
    startBridge(bridge);
    QByteArray atRig;
    QTRY_VERIFY_WITH_TIMEOUT(
        rigOff ? closed : (atRig += m_sim->readAllStandardOutput()).contains("<< FA;"), 15000);
    notifier.setEnabled(false);
    ::close(watch);
    QCOMPARE(bridge.state(), QProcess::Running);
    ::kill(pid_t(bridge.processId()), signal);
    QVERIFY2(bridge.waitForFinished(10000), "the bridge did not shut down");
    QCOMPARE(bridge.exitStatus(), QProcess::NormalExit);
    QCOMPARE(bridge.exitCode(), 0);
    checkNothingLeftBehind();
    off.terminate();
    off.waitForFinished(5000);
}

void TestStartupProcess::secondBridgeOnTheSameSettingsRefused()
{
    writeConfig({});
    const QString lock = m_dir->path() + QStringLiteral("/config.ini.lock");
    QProcess first;
    startBridge(first);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(lock), 10000);

    // A second start from the same folder is refused, naming the bridge that runs.
    QProcess second;
    startBridge(second);
    const QByteArray refusal = "OVX2 is already running with the settings in " +
                               QFile::encodeName(m_dir->path()) + "/config.ini (process " +
                               QByteArray::number(first.processId()) + ", " +
                               QFile::encodeName(m_exe) + ")";
    QTRY_VERIFY_WITH_TIMEOUT(errorsOf(second).contains(refusal), 10000);
    second.terminate(); // its message open: answered by the signal
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 1);
    QCOMPARE(first.state(), QProcess::Running);

    // A copy in a folder of its own (a second radio) runs beside the first.
    const QString other = m_dir->path() + QStringLiteral("/second radio");
    QVERIFY(QDir().mkpath(other));
    QVERIFY(QFile::copy(m_exe, other + QStringLiteral("/ovx2")));
    QProcess beside;
    startBridge(beside, other + QStringLiteral("/ovx2"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(other + QStringLiteral("/config.ini")), 10000);
    QFile held(other + QStringLiteral("/config.ini.lock"));
    QVERIFY(held.open(QIODevice::ReadOnly));
    QCOMPARE(held.readLine().trimmed(), QByteArray::number(beside.processId()));
    stop(first);
    stop(beside);
    QVERIFY(!errorsOf(beside).contains("already running"));
    // Each lock goes with its bridge.
    QVERIFY(!QFileInfo::exists(lock));
    QVERIFY(!held.exists());
}

void TestStartupProcess::staleLockRemovedAndSaid_data()
{
    QTest::addColumn<QByteArray>("lock");
    QTest::addColumn<QByteArray>("said");
    const QByteArray here = QSysInfo::machineHostName().toUtf8();
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    QTest::newRow("empty (a power cut)")
        << QByteArray() << QByteArray("it was empty or unreadable");
    QTest::newRow("written on another host name")
        << self + "\nOVX2\nold-name\n"
        << QByteArray("it was written on the computer \"old-name\"");
    // After a power cut the number may belong to another program, which holds no lock.
    QTest::newRow("its number taken by another program")
        << self + "\nOVX2\n" + here + '\n'
        << "it named process " + self + " of this computer";
}

void TestStartupProcess::staleLockRemovedAndSaid()
{
    QFETCH(QByteArray, lock);
    QFETCH(QByteArray, said);
    writeConfig({});
    const QString path = m_dir->path() + QStringLiteral("/config.ini.lock");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lock);
    file.close();
    QProcess bridge;
    startBridge(bridge);
    // The bridge starts and holds the settings, saying once what it removed.
    auto holder = [&path] {
        QFile held(path);
        return held.open(QIODevice::ReadOnly) ? held.readLine().trimmed() : QByteArray();
    };
    QTRY_COMPARE_WITH_TIMEOUT(holder(), QByteArray::number(bridge.processId()), 10000);
    const QByteArray line = "OVX2: Removed the stale lock file " + QFile::encodeName(path) + " (" +
                            said + "): no running bridge held it.\n";
    QTRY_COMPARE(errorsOf(bridge).count(line), 1);
    stop(bridge);
    QVERIFY(!errorsOf(bridge).contains("already running"));
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(TestStartupProcess)
#include "tst_startup_process.moc"
