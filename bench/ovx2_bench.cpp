// Latency, throughput and idle CPU of the bridge, each beside a floor measured in the same run.
//
// The bridge (and its window, shown offscreen) runs on the main thread's event loop as in the
// product; the simulated K3 runs in its own thread; every station program is a thread of its own
// doing blocking poll()/read()/write() on its port, so the bridge thread is measured alone. The
// idle figures are also taken of `ovx2 --headless`, in a process of its own as a service runs it.

#include "bridge/bridge.h"
#include "controls/frames.h"
#include "figures.h"
#include "headless_idle.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "pty_responder.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "scripted_messenger.h"
#include "serving.h"
#include "station_client.h"
#include "thread_cpu.h"
#include "windowed_station.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

namespace {

constexpr int kWarmUpRoundTrips = 200;
constexpr int kBatch = 100; // queries per pipelined write
constexpr int kAppPorts = 5;

struct Options {
    int roundTrips = 10'000;
    int idleSeconds = 10;
    double throughputSeconds = 3;
    QString program; // ovx2, for the headless idle figures
};

struct QueryRun {
    std::vector<std::int64_t> samplesNs;
    int failures = 0;
    int wrongAnswers = 0;
};

// A program asking one query at a time. It keeps going after its quota until every program of
// the group has reached its own, so the load does not thin out at the end.
struct QueryLoop {
    QString path;
    QByteArray query;
    QByteArray expected;
    int quota;
    int group;
    std::atomic<int> *reached;
    QueryRun *out;

    void operator()() const
    {
        StationClient client;
        bool counted = false;
        auto markReached = [&] {
            if (!counted)
                ++*reached;
            counted = true;
        };
        if (!client.open(path)) {
            out->failures = 1;
            markReached();
            return;
        }
        for (int i = 0; i < kWarmUpRoundTrips; ++i)
            client.roundTripNs(query);
        out->samplesNs.reserve(std::size_t(quota) * 2);
        while (!(counted && reached->load() >= group)) {
            const std::int64_t ns = client.roundTripNs(query);
            if (ns < 0) {
                ++out->failures;
                break;
            }
            if (client.lastReplies() != expected)
                ++out->wrongAnswers;
            out->samplesNs.push_back(ns);
            if (int(out->samplesNs.size()) >= quota)
                markReached();
        }
        markReached();
    }
};

struct Throughput {
    std::int64_t queries = 0;
    double seconds = 0;
    int failures = 0;
    int wrongBatches = 0;
    double perSecond() const { return seconds > 0 ? double(queries) / seconds : 0; }
};

// A program writing kBatch queries at once and reading the kBatch answers, for `seconds`.
Throughput pipelined(const QString &path, const QByteArray &query, const QByteArray &expected,
                     double seconds)
{
    Throughput t;
    StationClient client;
    if (!client.open(path)) {
        t.failures = 1;
        return t;
    }
    const QByteArray burst = query.repeated(kBatch);
    const QByteArray answers = expected.repeated(kBatch);
    for (int i = 0; i < 10; ++i) {
        if (!client.writeAll(burst) || !client.readReplies(kBatch)) {
            t.failures = 1;
            return t;
        }
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.nsecsElapsed() < qint64(seconds * 1e9)) {
        if (!client.writeAll(burst) || !client.readReplies(kBatch)) {
            ++t.failures;
            break;
        }
        if (client.lastReplies() != answers)
            ++t.wrongBatches;
        t.queries += kBatch;
    }
    t.seconds = double(clock.nsecsElapsed()) / 1e9;
    return t;
}

QString checks(int failures, int wrong)
{
    if (failures == 0 && wrong == 0)
        return QStringLiteral("ok");
    return QStringLiteral("%1 unanswered, %2 wrong").arg(failures).arg(wrong);
}

// A Qt event loop in a thread of its own, optionally woken by a timer that does nothing: what
// the bridge's idle cost is compared with.
class IdleLoop {
public:
    explicit IdleLoop(int timerMs)
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        if (timerMs > 0) {
            QMetaObject::invokeMethod(
                &m_context,
                [this, timerMs] {
                    m_timer = new QTimer(&m_context);
                    QObject::connect(m_timer, &QTimer::timeout, &m_context, [] {});
                    m_timer->start(timerMs);
                },
                Qt::BlockingQueuedConnection);
        }
    }
    ~IdleLoop()
    {
        QMetaObject::invokeMethod(
            &m_context, [this] { delete m_timer; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    std::int64_t cpuNs() { return threadCpuNs(&m_context); }

private:
    QThread m_thread;
    QObject m_context;
    QTimer *m_timer = nullptr;
};

class Bench {
public:
    Bench(const Options &options, const QString &runtime)
        : m_options(options), m_form(runtime + QStringLiteral("/config.ini"), systemClock())
    {
    }
    bool connectBridge();
    void idleCpu();
    void latencyAlone();
    void latencyUnderLoad();
    void throughput();
    void reportMessages() const;

private:
    QString appPath(int n) { return m_form.bridge().appPort(n).DevicePath(); }
    std::int64_t simCpuNs()
    {
        std::int64_t ns = 0;
        m_sim->invoke([&ns](RigSimServer &) { ns = threadCpuNs(); });
        return ns;
    }
    void setPollInterval(int ms) { m_form.window().controls().polling->stepper->setValue(ms); }

    Options m_options;
    WindowedStation m_form;
    std::unique_ptr<RigSimThread> m_sim;
    QByteArray m_query = "FA;";
    QByteArray m_fa;                  // the virtual rig's answer
    std::atomic<int> m_pollsAtRig{0}; // chunks the simulated rig read
    double m_floorP99Us = 0;
    double m_loadSeconds = 0;
};

bool Bench::connectBridge()
{
    m_form.window().show();
    m_form.bridge().items().setTransmitIndicator(QStringLiteral("Off"));
    m_sim = std::make_unique<RigSimThread>(RigType::K3, 38400);
    const QString rig = m_sim->start();
    if (rig.isEmpty()) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(m_sim->errorString()));
        return false;
    }
    // The simulator forwards its every read and reply to a signal of the thread object, which lives
    // on this thread: each would wake the bridge's event loop, which in the product no radio does.
    // Counted in the simulator's own thread instead.
    m_sim->invoke([this](RigSimServer &server) {
        QObject::disconnect(&server, nullptr, m_sim.get(), nullptr);
        QObject::connect(&server, &RigSimServer::received, &server, [this] { ++m_pollsAtRig; });
    });
    m_form.window().controls().rig->portName->setEditText(rig);
    m_form.window().controls().rig->connectButton->click(); // the connection sequence, about 2.5 s
    if (!m_form.bridge().rigPort().IsOpened()) {
        std::fprintf(stderr, "the bridge did not connect to the simulated K3\n");
        return false;
    }
    for (int n = 1; n <= kAppPorts; ++n)
        m_form.window().controls().appFrame(n)->connectButton->click();
    m_form.window().controls().sdr->connectButton->click();
    for (int n = 1; n <= kAppPorts; ++n) {
        if (!m_form.bridge().appPort(n).IsCreated()) {
            std::fprintf(stderr, "application port %d was not created\n", n);
            return false;
        }
    }
    if (!m_form.bridge().sdrPort().IsCreated() ||
        !QTest::qWaitFor([&] { return !m_form.bridge().rig().get(Entry::FA).isEmpty(); }, 5000)) {
        std::fprintf(stderr, "the SDR port was not created or the rig never answered\n");
        return false;
    }
    m_fa = m_form.bridge().rig().get(Entry::FA);
    std::printf("Bridge connected to a simulated K3 at 38400 baud; ports 1-5 and SDR published.\n"
                "Query \"%s\" answered from the virtual rig with \"%s\".\n",
                m_query.constData(), m_fa.constData());
    return true;
}

void Bench::idleCpu()
{
    setPollInterval(200);
    IdleLoop plain(0);
    IdleLoop ticking(200);
    serveFor(std::chrono::seconds(2)); // let the new interval settle and the first paints pass

    QElapsedTimer wall;
    const int atRig0 = m_pollsAtRig;
    const long wakeUps0 = voluntarySwitches();
    const std::int64_t main0 = threadCpuNs(), process0 = processCpuNs(), sim0 = simCpuNs(),
                       plain0 = plain.cpuNs(), ticking0 = ticking.cpuNs();
    wall.start();
    serveFor(std::chrono::seconds(m_options.idleSeconds));
    const std::int64_t main1 = threadCpuNs(), sim1 = simCpuNs(), plain1 = plain.cpuNs(),
                       ticking1 = ticking.cpuNs(), process1 = processCpuNs();
    const double wallNs = double(wall.nsecsElapsed());
    const long wakeUps = voluntarySwitches() - wakeUps0;

    const std::int64_t others = (sim1 - sim0) + (plain1 - plain0) + (ticking1 - ticking0);
    const std::int64_t bridgeNs = (process1 - process0) - others;
    const double wakeUpsPerSecond = double(wakeUps) * 1e9 / wallNs;
    auto row = [&](FigureTable &t, const QString &name, std::int64_t ns) {
        t.addRow(name, {QString::number(double(ns) / 1e6, 'f', 1),
                        QString::number(100.0 * double(ns) / wallNs, 'f', 3)});
    };
    FigureTable t(QStringLiteral("4. CPU at idle: K3 polled every 200 ms, ports 1-5 and SDR "
                                 "created, no program traffic (%1 s)")
                      .arg(m_options.idleSeconds),
                  {QStringLiteral("thread"), QStringLiteral("CPU ms"), QStringLiteral("% core")});
    row(t, QStringLiteral("bridge main thread (event loop)"), main1 - main0);
    row(t, QStringLiteral("bridge process, all but the threads below"), bridgeNs);
    row(t, QStringLiteral("floor: idle Qt event loop thread"), plain1 - plain0);
    row(t, QStringLiteral("floor: Qt event loop, 200 ms timer doing nothing"), ticking1 - ticking0);
    row(t, QStringLiteral("simulated K3 thread (not the bridge)"), sim1 - sim0);
    t.addNote(QStringLiteral("%1 poll writes reached the rig.").arg(m_pollsAtRig - atRig0));
    t.addNote(QStringLiteral("windowed: %1 wake-ups/s, %2% of a core")
                  .arg(wakeUpsPerSecond, 0, 'f', 0)
                  .arg(100.0 * double(bridgeNs) / wallNs, 0, 'f', 2));
    // The same settings without a window, in a process of its own as a service runs it.
    const HeadlessIdle headless = measureHeadlessIdle(
        m_options.program, QStringLiteral(OVX2_DEMO_CONFIG), m_options.idleSeconds);
    if (headless.ran)
        t.addNote(QStringLiteral("headless: %1 wake-ups/s, %2% of a core (%3 poll writes)")
                      .arg(headless.wakeUps, 0, 'f', 0)
                      .arg(headless.percentOfCore, 0, 'f', 2)
                      .arg(headless.polls));
    else if (headless.refused)
        t.addNote(QStringLiteral("headless: not available in this build (%1)").arg(headless.why));
    else
        t.addNote(QStringLiteral("headless: not measured: %1").arg(headless.why));
    t.addNote(QStringLiteral("target: <= 15 wake-ups/s and < 0.3% of a core"));
    t.print();
}

void Bench::latencyAlone()
{
    setPollInterval(100);
    const int quota = m_options.roundTrips;
    std::atomic<int> reached{0};

    QueryRun floor;
    PtyResponder responder(m_fa);
    const QString echo = responder.start();
    runWhileServing({QueryLoop{echo, m_query, m_fa, quota, 1, &reached, &floor}});
    responder.stop();

    QueryRun bridge;
    reached = 0;
    runWhileServing({QueryLoop{appPath(1), m_query, m_fa, quota, 1, &reached, &bridge}});

    const LatencySummary f = summarize(floor.samplesNs);
    const LatencySummary b = summarize(bridge.samplesNs);
    FigureTable t(QStringLiteral("1. Latency of \"FA;\" answered from the virtual rig, one program "
                                 "on port 1, K3 polled every 100 ms"),
                  {QStringLiteral("path"), QStringLiteral("round trips"), QStringLiteral("p50 us"),
                   QStringLiteral("p99 us"), QStringLiteral("max us"), QStringLiteral("answers")});
    t.addRow(QStringLiteral("floor: pty echo thread"),
             {QString::number(f.count), micro(f.p50Us), micro(f.p99Us), micro(f.maxUs),
              checks(floor.failures, floor.wrongAnswers)});
    t.addRow(QStringLiteral("bridge, port 1"),
             {QString::number(b.count), micro(b.p50Us), micro(b.p99Us), micro(b.maxUs),
              checks(bridge.failures, bridge.wrongAnswers)});
    t.addNote(QStringLiteral("p99: bridge %1x the floor.")
                  .arg(f.p99Us > 0 ? b.p99Us / f.p99Us : 0, 0, 'f', 1));
    t.print();
    m_floorP99Us = f.p99Us;
}

void Bench::latencyUnderLoad()
{
    setPollInterval(100);
    // Each program its own full count: the load then spans many polls of the rig.
    const int quota = m_options.roundTrips;
    auto combined = [](const std::vector<QueryRun> &runs, int &failures, int &wrong) {
        std::vector<std::int64_t> all;
        for (const QueryRun &r : runs) {
            all.insert(all.end(), r.samplesNs.begin(), r.samplesNs.end());
            failures += r.failures;
            wrong += r.wrongAnswers;
        }
        return summarize(std::move(all));
    };

    // The floor under the same load: five echo threads, five programs, at once.
    std::vector<QueryRun> floorRuns(kAppPorts);
    {
        std::vector<std::unique_ptr<PtyResponder>> responders;
        std::vector<std::function<void()>> jobs;
        std::atomic<int> reached{0};
        for (int i = 0; i < kAppPorts; ++i) {
            responders.push_back(std::make_unique<PtyResponder>(m_fa));
            jobs.push_back(QueryLoop{responders.back()->start(), m_query, m_fa, quota, kAppPorts,
                                     &reached, &floorRuns[std::size_t(i)]});
        }
        runWhileServing(jobs);
    }

    // The bridge: five programs on ports 1-5 and an SDR program taking its traffic.
    std::vector<QueryRun> bridgeRuns(kAppPorts);
    std::atomic<bool> stopSdr{false};
    std::atomic<std::uint64_t> sdrBytes{0};
    std::atomic<bool> sdrOpen{false};
    std::thread sdr([&, path = m_form.bridge().sdrPort().DevicePath()] {
        StationClient client;
        sdrOpen = client.open(path);
        while (sdrOpen && !stopSdr)
            sdrBytes += client.drain(std::chrono::milliseconds(50));
    });
    // Polling turns to the SDR row once the bridge sees the program.
    if (!QTest::qWaitFor([&] { return sdrBytes.load() > 0; }, 2000))
        std::printf("(the SDR program got nothing within 2 s)\n");
    {
        std::vector<std::function<void()>> jobs;
        std::atomic<int> reached{0};
        for (int n = 1; n <= kAppPorts; ++n)
            jobs.push_back(QueryLoop{appPath(n), m_query, m_fa, quota, kAppPorts, &reached,
                                     &bridgeRuns[std::size_t(n - 1)]});
        QElapsedTimer wall;
        wall.start();
        runWhileServing(jobs);
        m_loadSeconds = double(wall.nsecsElapsed()) / 1e9;
    }
    const std::uint64_t sdrDuringLoad = sdrBytes.load();
    stopSdr = true;
    sdr.join();

    int ff = 0, fw = 0, bf = 0, bw = 0;
    const LatencySummary f = combined(floorRuns, ff, fw);
    const LatencySummary b = combined(bridgeRuns, bf, bw);
    const LatencySummary one = summarize(bridgeRuns[0].samplesNs);
    FigureTable t(QStringLiteral("2. Latency under load: five programs querying ports 1-5 as fast "
                                 "as they can, an SDR program on the SDR port, K3 polled every "
                                 "100 ms"),
                  {QStringLiteral("path"), QStringLiteral("round trips"), QStringLiteral("p50 us"),
                   QStringLiteral("p99 us"), QStringLiteral("max us"), QStringLiteral("answers")});
    t.addRow(
        QStringLiteral("floor: five pty echo threads at once"),
        {QString::number(f.count), micro(f.p50Us), micro(f.p99Us), micro(f.maxUs), checks(ff, fw)});
    t.addRow(
        QStringLiteral("bridge, ports 1-5 together"),
        {QString::number(b.count), micro(b.p50Us), micro(b.p99Us), micro(b.maxUs), checks(bf, bw)});
    t.addRow(QStringLiteral("bridge, port 1 alone of them"),
             {QString::number(one.count), micro(one.p50Us), micro(one.p99Us), micro(one.maxUs),
              checks(bridgeRuns[0].failures, bridgeRuns[0].wrongAnswers)});
    t.addNote(QStringLiteral("p99: bridge %1x the single-pair floor of table 1, %2x the loaded "
                             "floor; target: within 5x the floor and under 1000 us.")
                  .arg(m_floorP99Us > 0 ? b.p99Us / m_floorP99Us : 0, 0, 'f', 1)
                  .arg(f.p99Us > 0 ? b.p99Us / f.p99Us : 0, 0, 'f', 1));
    t.addNote(QStringLiteral("%1 queries/s answered in all; the SDR program took %2 bytes.")
                  .arg(double(b.count) / m_loadSeconds, 0, 'f', 0)
                  .arg(sdrDuringLoad));
    t.print();
}

void Bench::throughput()
{
    setPollInterval(100);
    Throughput floor;
    {
        PtyResponder responder(m_fa);
        const QString echo = responder.start();
        runWhileServing(
            {[&] { floor = pipelined(echo, m_query, m_fa, m_options.throughputSeconds); }});
    }
    Throughput bridge;
    const QString port1 = appPath(1);
    runWhileServing(
        {[&] { bridge = pipelined(port1, m_query, m_fa, m_options.throughputSeconds); }});
    const QList<QByteArray> lines = m_form.bridge().terminal(1).lines();
    const bool terminalShows = m_form.window().isVisible() && lines.size() >= 2 &&
                               lines.last() == m_fa && lines.at(lines.size() - 2) == m_query;

    FigureTable t(QStringLiteral("3. Throughput: batches of %1 \"FA;\" written at once on port 1, "
                                 "the %1 answers read back; window shown, terminals updating")
                      .arg(kBatch),
                  {QStringLiteral("path"), QStringLiteral("queries"), QStringLiteral("seconds"),
                   QStringLiteral("queries/s"), QStringLiteral("answers")});
    auto row = [&](const QString &name, const Throughput &r) {
        t.addRow(name,
                 {QString::number(r.queries), QString::number(r.seconds, 'f', 2),
                  QString::number(r.perSecond(), 'f', 0), checks(r.failures, r.wrongBatches)});
    };
    row(QStringLiteral("floor: pty echo thread"), floor);
    row(QStringLiteral("bridge, port 1"), bridge);
    t.addNote(QStringLiteral("Port 1 terminal shows the traffic: %1. Target: >= 50000 queries/s.")
                  .arg(terminalShows ? QStringLiteral("yes") : QStringLiteral("NO")));
    t.print();
}

void Bench::reportMessages() const
{
    for (const Message &m : m_form.messenger().shown)
        std::printf("message shown by the bridge: %s\n", qPrintable(m.text));
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
    parser.setApplicationDescription(QStringLiteral("Benchmarks of the OVX2 bridge."));
    parser.addHelpOption();
    const QCommandLineOption roundTrips(QStringLiteral("round-trips"),
                                        QStringLiteral("Round trips per latency figure."),
                                        QStringLiteral("n"), QStringLiteral("10000"));
    const QCommandLineOption idle(QStringLiteral("idle-seconds"),
                                  QStringLiteral("Length of the idle CPU measurement."),
                                  QStringLiteral("s"), QStringLiteral("10"));
    const QCommandLineOption burst(QStringLiteral("throughput-seconds"),
                                   QStringLiteral("Length of each throughput run."),
                                   QStringLiteral("s"), QStringLiteral("3"));
    parser.addPositionalArgument(QStringLiteral("benchmarks"),
                                 QStringLiteral("Which to run: idle latency load throughput "
                                                "(default: all)."),
                                 QStringLiteral("[benchmarks...]"));
    const QCommandLineOption program(QStringLiteral("ovx2"),
                                     QStringLiteral("The ovx2 program measured headless."),
                                     QStringLiteral("path"), QStringLiteral(OVX2_PROGRAM));
    parser.addOptions({roundTrips, idle, burst, program});
    parser.process(app);
    Options options;
    options.roundTrips = std::max(100, parser.value(roundTrips).toInt());
    options.idleSeconds = std::max(1, parser.value(idle).toInt());
    options.throughputSeconds = std::max(0.5, parser.value(burst).toDouble());
    options.program = parser.value(program);

    Bench bench(options, runtime.path());
    if (!bench.connectBridge())
        return 1;
    const QStringList chosen = parser.positionalArguments();
    auto wanted = [&](const char *name) {
        return chosen.isEmpty() || chosen.contains(QLatin1String(name));
    };
    if (wanted("idle"))
        bench.idleCpu();
    if (wanted("latency") || wanted("load"))
        bench.latencyAlone(); // table 2 compares with its floor
    if (wanted("load"))
        bench.latencyUnderLoad();
    if (wanted("throughput"))
        bench.throughput();
    bench.reportMessages();
    return 0;
}
