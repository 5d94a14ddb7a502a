// The rig's queue under floods: how much memory the bridge takes, how long the queue gets and how
// late a station program's query reaches the rig, each flood beside the same run without it.
//
// As in ovx2-bench, the bridge (and its window, shown offscreen) runs on the main thread's event
// loop, the simulated K3 in a thread of its own, and every station program is a thread doing
// blocking reads and writes on its port. The probe is a program on port 2 asking the rig a read the
// virtual rig does not keep (so that it goes to the rig) every 400 ms; its delay runs from its
// write to the moment the simulated rig reads it. The probe turns through five such reads, so that
// none is shared with the same read still waiting for its reply (given up after 1.5 s); whether
// each answer reaches the probe is counted too.

#include "bridge/bridge.h"
#include "controls/frames.h"
#include "figures.h"
#include "monitor/published_items.h"
#include "platform/clock.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "rig/rig_link.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "scripted_messenger.h"
#include "station_client.h"
#include "windowed_station.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 200;
constexpr int kProbeEveryMs = 400;
constexpr int kProbePort = 2;
constexpr auto kProbeLost = std::chrono::seconds(5);
constexpr double kBitsPerCharacter = 10; // start bit, eight data bits, stop bit
constexpr long kRssTargetKiB = 2048;
// Reads a K3 answers that no poll asks, all of one length.
const QByteArrayList kProbes{"RVM;", "RVD;", "RVA;", "RVR;", "RVF;"};

// A figure of /proc/self/status in KiB: "VmRSS:" now, "VmHWM:" the peak since resetPeak().
long statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// The simulated rig's side of the probe: when each probe read reached it.
struct ProbeArrivals {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::pair<QByteArray, std::int64_t>> seen;
    QByteArray tail; // a read may be cut between two reads of the device
};

enum class Flood {
    None,
    Port1,   // a program on port 1 writing settings as fast as the port takes them
    Dbus,    // TRX_LINK pokes as fast as the bridge takes them
    SdrIdle, // a panadapter holding the SDR port, listening
    Sdr,     // the same, tuning at 50 settings a second
};

struct Result {
    double seconds = 0;
    std::uint64_t floodBytes = 0;
    long rssGrowthKiB = 0;
    int queuePeak = 0;
    qsizetype queueBytesPeak = 0;
    std::vector<double> probeMs;
    int probesLost = 0;     // never reached the rig
    int probesAnswered = 0; // their answers reached the probe
};

// Reads what arrives on the program's port until `until`; what came, when `kept`.
QByteArray drainUntil(StationClient &client, Clock::time_point until, bool kept = false)
{
    QByteArray text;
    for (auto now = Clock::now(); now < until; now = Clock::now()) {
        const QByteArray got =
            client.receive(std::chrono::duration_cast<std::chrono::milliseconds>(until - now) +
                           std::chrono::milliseconds(1));
        if (kept)
            text += got;
    }
    return text;
}

QByteArray frequency(int step, int baseHz)
{
    return QByteArray::number(baseHz + (step % 20000) * 10).rightJustified(11, '0');
}

// A program on port 1 writing settings of three kinds as fast as the port takes them.
void floodSettings(const QString &path, const std::atomic<bool> &stop,
                   std::atomic<std::uint64_t> &bytes)
{
    StationClient client;
    if (!client.open(path))
        return;
    for (int step = 0; !stop;) {
        QByteArray burst;
        while (burst.size() < 4096) {
            ++step;
            burst += step % 3 == 0   ? "FA" + frequency(step, 14000000) + ";"
                     : step % 3 == 1 ? "FB" + frequency(step, 7000000) + ";"
                                     : QByteArray(step % 2 ? "MD1;" : "MD2;");
        }
        if (!client.writeAll(burst))
            break;
        bytes += std::uint64_t(burst.size());
    }
}

// A panadapter on the SDR port: it hears the rig's frequency and mode, and tunes at `perSecond`
// frequency settings a second (0: it only listens).
void panadapter(const QString &path, int perSecond, const std::atomic<bool> &stop,
                std::atomic<std::uint64_t> &bytes)
{
    StationClient client;
    if (!client.open(path))
        return;
    const auto period = std::chrono::milliseconds(perSecond > 0 ? 1000 / perSecond : 100);
    auto due = Clock::now();
    for (int step = 0; !stop; ++step) {
        if (perSecond > 0) {
            const QByteArray setting = "FA" + frequency(step, 14000000) + ";";
            if (!client.writeAll(setting))
                break;
            bytes += std::uint64_t(setting.size());
        }
        due += period;
        drainUntil(client, due);
    }
}

class QueueBench {
public:
    QueueBench(const QString &runtime, int baud, double seconds)
        : m_baud(baud), m_seconds(seconds),
          m_form(runtime + QStringLiteral("/config-%1.ini").arg(baud), systemClock())
    {
    }
    bool connectBridge();
    Result run(Flood flood);
    int baud() const { return m_baud; }
    // How long a probe takes on the line by itself.
    double probeLineMs() const
    {
        return double(kProbes.first().size()) * kBitsPerCharacter * 1000 / m_baud;
    }
    qsizetype queueBound() { return bridge().link().queueBound(); }
    void reportMessages() const;

private:
    Bridge &bridge() { return m_form.bridge(); }
    void probe(const std::atomic<bool> &stop, Result &r);

    int m_baud;
    double m_seconds;
    WindowedStation m_form;
    std::unique_ptr<RigSimThread> m_sim;
    ProbeArrivals m_arrivals;
};

bool QueueBench::connectBridge()
{
    m_form.window().show();
    bridge().items().setTransmitIndicator(QStringLiteral("Off"));
    m_sim = std::make_unique<RigSimThread>(RigType::K3, m_baud);
    const QString rig = m_sim->start();
    if (rig.isEmpty()) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(m_sim->errorString()));
        return false;
    }
    // Watched in the simulator's own thread: forwarding every read to this thread would wake the
    // bridge's event loop, which no radio does.
    m_sim->invoke([this](RigSimServer &server) {
        QObject::disconnect(&server, nullptr, m_sim.get(), nullptr);
        QObject::connect(
            &server, &RigSimServer::received, &server, [this](const QByteArray &chunk) {
                const std::int64_t at = nowNs();
                std::lock_guard<std::mutex> guard(m_arrivals.lock);
                const QByteArray text = m_arrivals.tail + chunk;
                for (const QByteArray &probe : kProbes) {
                    for (qsizetype i = text.indexOf(probe); i >= 0; i = text.indexOf(probe, i + 1))
                        m_arrivals.seen.emplace_back(probe, at);
                }
                m_arrivals.tail = text.right(kProbes.first().size() - 1);
                m_arrivals.arrived.notify_all();
            });
    });
    const Controls &controls = m_form.window().controls();
    controls.rig->baudRate->setCurrentText(QString::number(m_baud));
    controls.rig->portName->setEditText(rig);
    controls.rig->connectButton->click();
    if (!bridge().rigPort().IsOpened()) {
        std::fprintf(stderr, "the bridge did not connect to the simulated K3 at %d baud\n", m_baud);
        return false;
    }
    controls.polling->stepper->setValue(kPollMs);
    for (int n : {1, kProbePort})
        controls.appFrame(n)->connectButton->click();
    controls.sdr->connectButton->click();
    return bridge().appPort(1).IsCreated() && bridge().appPort(kProbePort).IsCreated() &&
           bridge().sdrPort().IsCreated();
}

void QueueBench::probe(const std::atomic<bool> &stop, Result &r)
{
    StationClient client;
    if (!client.open(bridge().appPort(kProbePort).DevicePath()))
        return;
    auto due = Clock::now();
    for (qsizetype k = 0; !stop; ++k) {
        const QByteArray &probe = kProbes[k % kProbes.size()];
        const std::int64_t written = nowNs();
        client.writeAll(probe);
        std::int64_t at = -1;
        {
            std::unique_lock<std::mutex> guard(m_arrivals.lock);
            m_arrivals.arrived.wait_for(guard, kProbeLost, [&] {
                for (const auto &[text, ns] : m_arrivals.seen) {
                    if (text == probe && ns >= written)
                        at = ns;
                }
                return at >= 0;
            });
        }
        if (at >= 0)
            r.probeMs.push_back(double(at - written) / 1e6);
        else
            ++r.probesLost;
        due += std::chrono::milliseconds(kProbeEveryMs);
        r.probesAnswered += int(drainUntil(client, due, true).count("RV"));
    }
}

Result QueueBench::run(Flood flood)
{
    Result r;
    // What the last run left waiting reaches the rig first.
    QTest::qWait(1500);
    {
        std::lock_guard<std::mutex> guard(m_arrivals.lock);
        m_arrivals.seen.clear();
        m_arrivals.tail.clear();
    }
    const long rssBefore = statusKiB("VmRSS:");
    const bool peakKept = resetPeak();
    long rssPeak = rssBefore;

    std::atomic<bool> stop{false};
    std::atomic<std::uint64_t> floodBytes{0};
    std::vector<std::thread> threads;
    if (flood == Flood::Port1)
        threads.emplace_back(floodSettings, bridge().appPort(1).DevicePath(), std::cref(stop),
                             std::ref(floodBytes));
    if (flood == Flood::Sdr || flood == Flood::SdrIdle)
        threads.emplace_back(panadapter, bridge().sdrPort().DevicePath(),
                             flood == Flood::Sdr ? 50 : 0, std::cref(stop), std::ref(floodBytes));
    threads.emplace_back([this, &stop, &r] { probe(stop, r); });
    // A D-Bus client poking TRX_LINK as fast as the bridge takes its calls: each poke arrives on
    // the event loop, as a D-Bus call does, and goes to the rig exactly as written.
    QTimer poker;
    int pokes = 0;
    QObject::connect(&poker, &QTimer::timeout, &m_form.window(), [&] {
        const QByteArray text = "FA" + frequency(++pokes, 14000000) + ";MD2;";
        bridge().pokeToRig(QString::fromLatin1(text));
        floodBytes += std::uint64_t(text.size());
    });
    if (flood == Flood::Dbus)
        poker.start(0);
    // The queue and the memory, looked at from the bridge's own thread.
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &m_form.window(), [&] {
        const RigQueue &queue = bridge().link().queue();
        r.queuePeak = std::max(r.queuePeak, queue.size());
        r.queueBytesPeak = std::max(r.queueBytesPeak, queue.bytes());
        rssPeak = std::max(rssPeak, statusKiB("VmRSS:"));
    });
    sampler.start(5);

    const std::int64_t start = nowNs();
    QTest::qWait(int(m_seconds * 1000));
    stop = true;
    poker.stop();
    // The programs finish their last write and read while the bridge still serves.
    QEventLoop finish;
    std::thread joiner([&] {
        for (std::thread &t : threads)
            t.join();
        QMetaObject::invokeMethod(&finish, &QEventLoop::quit, Qt::QueuedConnection);
    });
    finish.exec();
    joiner.join();
    sampler.stop();
    r.seconds = double(nowNs() - start) / 1e9;
    r.floodBytes = floodBytes;
    r.rssGrowthKiB = std::max(rssPeak, peakKept ? statusKiB("VmHWM:") : 0) - rssBefore;
    return r;
}

void QueueBench::reportMessages() const
{
    for (const Message &m : m_form.messenger().shown)
        std::printf("message shown by the bridge: %s\n", qPrintable(m.text));
}

QString ms(double v)
{
    return QString::number(v, 'f', 1);
}

void addRow(FigureTable &table, const QueueBench &bench, const QString &name, const Result &r)
{
    std::vector<double> sorted = r.probeMs;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted.empty() ? 0 : sorted[sorted.size() / 2];
    const double worst = sorted.empty() ? 0 : sorted.back();
    const double target = kPollMs + bench.probeLineMs();
    const bool met =
        !sorted.empty() && worst <= target && r.rssGrowthKiB < kRssTargetKiB && r.probesLost == 0;
    const double lineBytesPerSecond = double(bench.baud()) / kBitsPerCharacter;
    const double flood = double(r.floodBytes) / r.seconds / lineBytesPerSecond;
    table.addRow(name,
                 {r.floodBytes > 0 ? QString::number(flood, 'f', 1) + QStringLiteral("x")
                                   : QStringLiteral("-"),
                  QString::number(r.rssGrowthKiB), QString::number(r.queuePeak),
                  QString::number(r.queueBytesPeak),
                  QString::number(sorted.size()) +
                      (r.probesLost ? QStringLiteral(" (%1 lost)").arg(r.probesLost) : QString()),
                  ms(median), ms(worst), met ? QStringLiteral("yes") : QStringLiteral("NO"),
                  QString::number(r.probesAnswered)});
}

void addNotes(FigureTable &table, QueueBench &bench)
{
    table.addNote(QStringLiteral("flood: what the flood sent, in multiples of what the line "
                                 "carries. Queue: commands and bytes waiting, at most; its bound "
                                 "is %1 bytes (a second of line time, never under 4 KiB).")
                      .arg(bench.queueBound()));
    table.addNote(QStringLiteral("Polled every %1 ms; a probe's own line time is %2 ms. Target: "
                                 "every probe at the rig within %3 ms, RSS growth under %4 KiB. "
                                 "answered: probes whose answer came back to the probe.")
                      .arg(kPollMs)
                      .arg(ms(bench.probeLineMs()))
                      .arg(ms(kPollMs + bench.probeLineMs()))
                      .arg(kRssTargetKiB));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Ports are published in a folder of this run, not the user's.
    QTemporaryDir runtime;
    usePrivateRuntimeDir(runtime);

    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The rig queue of the OVX2 bridge under floods of settings."));
    parser.addHelpOption();
    const QCommandLineOption seconds(QStringLiteral("seconds"),
                                     QStringLiteral("Length of each run."), QStringLiteral("s"),
                                     QStringLiteral("10"));
    parser.addOption(seconds);
    parser.process(app);
    const double runSeconds = std::max(2.0, parser.value(seconds).toDouble());

    const std::vector<QString> columns{QStringLiteral("run"),          QStringLiteral("flood"),
                                       QStringLiteral("RSS +KiB"),     QStringLiteral("queue"),
                                       QStringLiteral("bytes"),        QStringLiteral("probes"),
                                       QStringLiteral("probe p50 ms"), QStringLiteral("max ms"),
                                       QStringLiteral("target met"),   QStringLiteral("answered")};
    {
        QueueBench bench(runtime.path(), 38400, runSeconds);
        if (!bench.connectBridge())
            return 1;
        FigureTable t(QStringLiteral("a. K3 at 38400 baud: settings faster than the line carries "
                                     "them (%1 s each)")
                          .arg(runSeconds),
                      columns);
        addRow(t, bench, QStringLiteral("no flood"), bench.run(Flood::None));
        addRow(t, bench, QStringLiteral("port 1: settings as fast as it writes"),
               bench.run(Flood::Port1));
        addRow(t, bench, QStringLiteral("D-Bus: TRX_LINK pokes as fast as they come"),
               bench.run(Flood::Dbus));
        addNotes(t, bench);
        t.print();
        bench.reportMessages();
    }
    {
        QueueBench bench(runtime.path(), 4800, runSeconds);
        if (!bench.connectBridge())
            return 1;
        FigureTable t(QStringLiteral("b. K3 at 4800 baud: a panadapter on the SDR port tuning at "
                                     "50 settings a second (%1 s each)")
                          .arg(runSeconds),
                      columns);
        addRow(t, bench, QStringLiteral("no flood: the panadapter listens"),
               bench.run(Flood::SdrIdle));
        addRow(t, bench, QStringLiteral("SDR: 50 frequency settings a second"),
               bench.run(Flood::Sdr));
        addNotes(t, bench);
        t.print();
        bench.reportMessages();
    }
    return 0;
}
