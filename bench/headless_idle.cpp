#include "headless_idle.h"

#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "serving.h"
#include "thread_cpu.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <ctime>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

constexpr int kStartSeconds = 20; // the connection sequence takes about 2.5 s
constexpr int kStopSeconds = 15;

// The demo settings, changed where the windowed measurement differs: ports 1-5 and the SDR port
// created at start, polling every 200 ms.
QByteArray benchConfig(const QByteArray &demo, const QString &rig)
{
    const QList<QPair<QByteArray, QByteArray>> changed{
        {"RigPort", rig.toLocal8Bit()}, {"Poll", "200"},
        {"VirPort1AutoConnect", "1"},   {"VirPort2AutoConnect", "1"},
        {"VirPort3AutoConnect", "1"},   {"VirPort4AutoConnect", "1"},
        {"VirPort5AutoConnect", "1"},   {"VirPort7AutoConnect", "1"},
    };
    QByteArray out;
    for (QByteArray line : demo.split('\n')) {
        if (line.isEmpty())
            continue;
        const QByteArray key = line.left(line.indexOf('='));
        for (const auto &[name, value] : changed) {
            if (key == name)
                line = key + '=' + value + '\r';
        }
        out += line + '\n';
    }
    return out;
}

long voluntarySwitchesOf(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/task/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toLong();
    }
    return -1;
}

std::int64_t processCpuNsOf(qint64 pid)
{
    clockid_t clock{};
    if (::clock_getcpuclockid(pid_t(pid), &clock) != 0)
        return -1;
    return cpuNs(clock);
}

QString lastLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    return QString::fromLocal8Bit(lines.last().trimmed());
}

} // namespace

HeadlessIdle measureHeadlessIdle(const QString &program, const QString &demoConfig, int seconds)
{
    HeadlessIdle result;
    QTemporaryDir folder;
    QFile demo(demoConfig);
    if (!folder.isValid() || !demo.open(QIODevice::ReadOnly)) {
        result.why = QStringLiteral("no settings to start it with (%1)").arg(demoConfig);
        return result;
    }
    const QString config = folder.filePath(QStringLiteral("config"));
    const QString runtime = folder.filePath(QStringLiteral("run"));
    QDir().mkpath(config);
    QDir().mkpath(runtime);
    ::chmod(QFile::encodeName(runtime).constData(), 0700);

    std::atomic<int> polls{0}; // outlives the simulator, which counts into it
    RigSimThread sim(RigType::K3, 38400);
    const QString rig = sim.start();
    if (rig.isEmpty()) {
        result.why = QStringLiteral("simulator: %1").arg(sim.errorString());
        return result;
    }
    // Counted in the simulator's own thread, so that the rig's traffic wakes nothing here.
    sim.invoke([&](RigSimServer &server) {
        QObject::disconnect(&server, nullptr, &sim, nullptr);
        QObject::connect(&server, &RigSimServer::received, &server, [&polls] { ++polls; });
    });
    QFile file(config + QStringLiteral("/config.ini"));
    if (!file.open(QIODevice::WriteOnly) || file.write(benchConfig(demo.readAll(), rig)) < 0) {
        result.why = QStringLiteral("could not write %1").arg(file.fileName());
        return result;
    }
    file.close();

    // As a service starts it: no display of any kind, its ports in a folder of its own.
    QProcess bridge;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    bridge.setProcessEnvironment(env);
    bridge.setStandardOutputFile(QProcess::nullDevice()); // as the journal takes it: no reader here
    const QString errors = folder.filePath(QStringLiteral("stderr.txt"));
    bridge.setStandardErrorFile(errors);
    // A build that aborts for want of a display leaves no core file behind.
    bridge.setChildProcessModifier([] {
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_CORE, &none);
    });
    bridge.start(program, {QStringLiteral("--headless"), QStringLiteral("--config"), config});
    if (!bridge.waitForStarted()) {
        result.why = bridge.errorString();
        return result;
    }

    const QString ports = runtime + QStringLiteral("/ovx2/");
    auto ready = [&] {
        if (bridge.state() != QProcess::Running)
            return true;
        for (const char *name : {"COM11", "COM12", "COM13", "COM14", "COM15", "COM99"}) {
            if (!QFileInfo(ports + QLatin1String(name)).isSymLink())
                return false;
        }
        return polls > 5;
    };
    const bool started = QTest::qWaitFor(ready, kStartSeconds * 1000);
    if (bridge.state() != QProcess::Running) {
        result.refused = true;
        const QString said = lastLine(errors);
        result.why = bridge.exitStatus() == QProcess::CrashExit
                         ? QStringLiteral("it crashed at start")
                         : QStringLiteral("it exited with status %1").arg(bridge.exitCode());
        if (!said.isEmpty())
            result.why += QStringLiteral(": ") + said;
        return result;
    }
    if (!started) {
        result.why = QStringLiteral("within %1 s it had not polled the rig and created ports 1-5 "
                                    "and the SDR port")
                         .arg(kStartSeconds);
    } else {
        const qint64 pid = bridge.processId();
        serveFor(std::chrono::seconds(2)); // the first polls and lines pass
        const long switches0 = voluntarySwitchesOf(pid);
        const std::int64_t cpu0 = processCpuNsOf(pid);
        const int polls0 = polls;
        QElapsedTimer wall;
        wall.start();
        serveFor(std::chrono::seconds(seconds));
        const long switches1 = voluntarySwitchesOf(pid);
        const std::int64_t cpu1 = processCpuNsOf(pid);
        const double wallNs = double(wall.nsecsElapsed());
        if (switches0 < 0 || switches1 < 0 || cpu0 < 0 || cpu1 < 0) {
            result.why = QStringLiteral("its figures could not be read from /proc");
        } else {
            result.ran = true;
            result.wakeUps = double(switches1 - switches0) * 1e9 / wallNs;
            result.percentOfCore = 100.0 * double(cpu1 - cpu0) / wallNs;
            result.polls = polls - polls0;
        }
    }
    bridge.terminate(); // SIGTERM: links removed, settings saved
    if (!bridge.waitForFinished(kStopSeconds * 1000)) {
        bridge.kill();
        bridge.waitForFinished();
    }
    return result;
}
