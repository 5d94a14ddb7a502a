// The network doors and the shared rig: what a station program on TCP waits for "f", beside
// Hamlib's own rigctld serving its dummy rig from memory in the same run; what a program of flrig's
// interface waits for rig.get_vfo, beside flrig itself with its rig on the simulator; and what the
// rig's line is spared when several programs ask it the same read at once.
//
// The bridge (and its window, shown offscreen) runs on the main thread's event loop as in the
// product; the simulated K3 runs in its own thread; every client is a thread of its own doing
// blocking I/O.

#include "bridge/bridge.h"
#include "controls/frames.h"
#include "figures.h"
#include "flrig_tools.h"
#include "monitor/published_items.h"
#include "net/rigctl_server.h"
#include "net/xmlrpc_server.h"
#include "platform/clock.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "scripted_messenger.h"
#include "serving.h"
#include "station_client.h"
#include "windowed_station.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kWarmUp = 200;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

struct TcpRun {
    std::vector<std::int64_t> samplesNs;
    int failures = 0;
    QByteArray firstAnswer;
};

// A blocking socket to a loopback port with Nagle off (as Hamlib sets it); -1 when refused.
int connectLoopback(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A client of the rigctld protocol asking "f" one request at a time, as Hamlib's NET rigctl
// does, on a blocking socket with Nagle off (as Hamlib sets it).
TcpRun askFrequency(quint16 port, int count)
{
    TcpRun run;
    const int fd = connectLoopback(port);
    if (fd < 0) {
        run.failures = 1;
        return run;
    }
    run.samplesNs.reserve(std::size_t(count));
    char buf[256];
    for (int i = 0; i < kWarmUp + count; ++i) {
        const std::int64_t start = nowNs();
        if (::write(fd, "f\n", 2) != 2) {
            ++run.failures;
            break;
        }
        QByteArray answer;
        while (!answer.endsWith('\n')) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            answer.append(buf, n);
        }
        if (!answer.endsWith('\n')) {
            ++run.failures;
            break;
        }
        if (run.firstAnswer.isEmpty())
            run.firstAnswer = answer.trimmed();
        if (i >= kWarmUp)
            run.samplesNs.push_back(nowNs() - start);
    }
    ::close(fd);
    return run;
}

// A program of flrig's interface asking rig.get_vfo one call at a time on one kept-alive HTTP
// connection, as fldigi and Hamlib's FLRig backend do.
TcpRun askVfoOverXmlRpc(quint16 port, int count)
{
    TcpRun run;
    const int fd = connectLoopback(port);
    if (fd < 0) {
        run.failures = 1;
        return run;
    }
    const QByteArray body = "<?xml version=\"1.0\"?><methodCall><methodName>rig.get_vfo"
                            "</methodName><params></params></methodCall>";
    const QByteArray request =
        "POST /RPC2 HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
        "\r\nContent-Type: text/xml\r\nContent-Length: " + QByteArray::number(body.size()) +
        "\r\n\r\n" + body;
    run.samplesNs.reserve(std::size_t(count));
    char buf[4096];
    for (int i = 0; i < kWarmUp + count; ++i) {
        const std::int64_t start = nowNs();
        if (::write(fd, request.constData(), size_t(request.size())) != request.size()) {
            ++run.failures;
            break;
        }
        QByteArray answer;
        qsizetype needed = -1; // the whole answer's length, once its head is in
        while (needed < 0 || answer.size() < needed) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            answer.append(buf, n);
            const qsizetype head = answer.indexOf("\r\n\r\n");
            if (needed < 0 && head >= 0) {
                const qsizetype at = answer.toLower().indexOf("content-length:");
                needed = at < 0 ? head + 4
                                : head + 4 +
                                      answer.mid(at + 15, answer.indexOf('\r', at) - at - 15)
                                          .trimmed()
                                          .toLongLong();
            }
        }
        if (needed < 0 || answer.size() < needed) {
            ++run.failures;
            break;
        }
        if (run.firstAnswer.isEmpty()) {
            const qsizetype from = answer.indexOf("<value>");
            run.firstAnswer = answer.mid(from, answer.indexOf("</value>") - from + 8);
        }
        if (i >= kWarmUp)
            run.samplesNs.push_back(nowNs() - start);
    }
    ::close(fd);
    return run;
}

void addLatencyRow(FigureTable &t, const QString &name, const TcpRun &run)
{
    const LatencySummary s = summarize(run.samplesNs);
    t.addRow(name, {QString::number(s.count), micro(s.p50Us), micro(s.p99Us), micro(s.maxUs),
                    run.failures == 0 ? QStringLiteral("ok")
                                      : QStringLiteral("%1 failed").arg(run.failures)});
}

class NetBench {
public:
    explicit NetBench(int requests) : m_requests(requests), m_form(configPath(), systemClock()) {}
    bool connectBridge();
    void roundTrips();
    void xmlRpcRoundTrips();
    void sharedReads(double seconds);

private:
    QString configPath() const { return m_dir.filePath(QStringLiteral("config.ini")); }

    QTemporaryDir m_dir;
    int m_requests;
    WindowedStation m_form;
    std::unique_ptr<RigSimThread> m_sim;
    std::atomic<int> m_rvmAtRig{0};
};

bool NetBench::connectBridge()
{
    m_form.window().show();
    m_form.bridge().items().setTransmitIndicator(QStringLiteral("Off"));
    m_sim = std::make_unique<RigSimThread>(RigType::K3, 38400);
    const QString rig = m_sim->start();
    if (rig.isEmpty())
        return false;
    // Counted in the simulator's own thread: nothing of it wakes the bridge's event loop.
    m_sim->invoke([this](RigSimServer &server) {
        QObject::disconnect(&server, nullptr, m_sim.get(), nullptr);
        QObject::connect(
            &server, &RigSimServer::received, &server,
            [this](const QByteArray &chunk) { m_rvmAtRig += int(chunk.count("RVM;")); });
    });
    m_form.window().controls().rig->portName->setEditText(rig);
    m_form.window().controls().rig->connectButton->click();
    for (int n = 1; n <= 5; ++n)
        m_form.window().controls().appFrame(n)->connectButton->click();
    return m_form.bridge().rigPort().IsOpened() &&
           QTest::qWaitFor([&] { return !m_form.bridge().rig().get(Entry::FA).isEmpty(); }, 5000);
}

void NetBench::roundTrips()
{
    FigureTable t(QStringLiteral("1. Round trip of \"f\" over TCP, one request at a time, %1 "
                                 "requests")
                      .arg(m_requests),
                  {QStringLiteral("server"), QStringLiteral("requests"), QStringLiteral("p50 us"),
                   QStringLiteral("p99 us"), QStringLiteral("max us"), QStringLiteral("answers")});

    // Hamlib's own rigctld with its dummy rig: the frequency comes from memory.
    const QString rigctld = QStandardPaths::findExecutable(QStringLiteral("rigctld"));
    if (!rigctld.isEmpty()) {
        const quint16 port = freePort();
        QProcess daemon;
        daemon.start(rigctld, {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port)});
        TcpRun run;
        if (daemon.waitForStarted(5000)) {
            for (int attempt = 0; attempt < 50; ++attempt) { // until it listens
                run = askFrequency(port, 1);
                if (run.failures == 0)
                    break;
                QTest::qWait(100);
            }
            runWhileServing({[&] { run = askFrequency(port, m_requests); }});
        }
        addLatencyRow(t, QStringLiteral("rigctld -m 1 (Hamlib's dummy rig)"), run);
        daemon.terminate();
        daemon.waitForFinished(5000);
    } else {
        t.addNote(QStringLiteral("rigctld is not installed: no comparison (libhamlib-utils)"));
    }

    // The bridge: the frequency comes from the virtual rig, kept current by polling.
    const quint16 port = freePort();
    m_form.bridge().rigctlServer().listen(QHostAddress::LocalHost, port);
    TcpRun run;
    runWhileServing({[&] { run = askFrequency(port, m_requests); }});
    addLatencyRow(t, QStringLiteral("the bridge, simulated K3 polled every 200 ms"), run);
    t.addNote(QStringLiteral("The bridge answered \"%1\". Target: p99 no worse than rigctld's.")
                  .arg(QString::fromLatin1(run.firstAnswer)));
    t.print();
}

void NetBench::xmlRpcRoundTrips()
{
    FigureTable t(QStringLiteral("3. Round trip of rig.get_vfo over XML-RPC, one call at a time "
                                 "on a kept-alive connection, %1 calls")
                      .arg(m_requests),
                  {QStringLiteral("server"), QStringLiteral("calls"), QStringLiteral("p50 us"),
                   QStringLiteral("p99 us"), QStringLiteral("max us"), QStringLiteral("answers")});

    // flrig itself, on a display of its own, its K3 the simulator: it answers from what it polled.
    const QString flrig = QStandardPaths::findExecutable(QStringLiteral("flrig"));
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    TcpRun flrigRun;
    if (!flrig.isEmpty() && !xvfb.isEmpty()) {
        FlrigDisplay display;
        const bool displayReady = display.start(xvfb);
        QProcess sim;
        const QString rig = m_dir.filePath(QStringLiteral("flrig-rig"));
        sim.start(QCoreApplication::applicationDirPath() +
                      QStringLiteral("/../tools/rigsim/ovx2-rigsim"),
                  {QStringLiteral("--model"), QStringLiteral("k3"), QStringLiteral("--link"), rig});
        const bool simReady = QTest::qWaitFor([&sim] { return sim.canReadLine(); }, 10000);
        const quint16 port = freePort();
        QProcess flrigProcess;
        if (simReady && displayReady && writePrefs(m_dir.path(), QStringLiteral("K3"), rig, port)) {
            startFlrig(flrigProcess, flrig, m_dir.path(), display.name());
            for (int attempt = 0; attempt < 100; ++attempt) { // until it has read the radio
                flrigRun = askVfoOverXmlRpc(port, 1);
                if (flrigRun.failures == 0 && flrigRun.firstAnswer.contains("14074000"))
                    break;
                QTest::qWait(100);
            }
            runWhileServing({[&] { flrigRun = askVfoOverXmlRpc(port, m_requests); }});
        }
        addLatencyRow(t, QStringLiteral("flrig 1.4 (its K3 on ovx2-rigsim)"), flrigRun);
        flrigProcess.terminate();
        flrigProcess.waitForFinished(5000);
        sim.terminate();
        sim.waitForFinished(5000);
    } else {
        t.addNote(QStringLiteral("flrig or Xvfb is not installed: no comparison (flrig, xvfb)"));
    }

    const quint16 port = freePort();
    m_form.bridge().xmlRpcServer().listen(QHostAddress::LocalHost, port);
    TcpRun run;
    runWhileServing({[&] { run = askVfoOverXmlRpc(port, m_requests); }});
    addLatencyRow(t, QStringLiteral("the bridge's XML-RPC door, simulated K3"), run);
    const double ours = summarize(run.samplesNs).p99Us;
    const double theirs = summarize(flrigRun.samplesNs).p99Us;
    t.addNote(QStringLiteral("The bridge answered %1. Target: p99 at most half of flrig's%2.")
                  .arg(QString::fromLatin1(run.firstAnswer),
                       theirs > 0 ? QStringLiteral(" (%1: %2)")
                                        .arg(ours <= theirs / 2 ? QStringLiteral("met")
                                                                : QStringLiteral("missed"))
                                        .arg(QStringLiteral("%1 of %2 us")
                                                 .arg(ours, 0, 'f', 0)
                                                 .arg(theirs, 0, 'f', 0))
                                  : QString()));
    t.print();
}

void NetBench::sharedReads(double seconds)
{
    // Five programs ask the rig the same read over and over (RVM; is not kept by the virtual rig,
    // so each one goes to the rig): one write serves every program waiting for it.
    const int atRig0 = m_rvmAtRig;
    std::vector<int> answered(5, 0);
    std::vector<std::function<void()>> programs;
    for (int n = 1; n <= 5; ++n) {
        const QString path = m_form.bridge().appPort(n).DevicePath();
        programs.emplace_back([path, seconds, &count = answered[std::size_t(n - 1)]] {
            StationClient client;
            if (!client.open(path))
                return;
            const std::int64_t end = nowNs() + std::int64_t(seconds * 1e9);
            while (nowNs() < end) {
                if (client.roundTripNs("RVM;") < 0)
                    break;
                ++count;
            }
        });
    }
    runWhileServing(programs);
    int answers = 0;
    for (int a : answered)
        answers += a;
    const int writes = m_rvmAtRig - atRig0;
    const double charMs = 10.0 * 1000.0 / 38400.0;
    FigureTable t(QStringLiteral("2. Five programs asking the rig RVM; at once for %1 s (K3 at "
                                 "38400 baud)")
                      .arg(seconds),
                  {QStringLiteral("what"), QStringLiteral("count"), QStringLiteral("line ms")});
    t.addRow(QStringLiteral("answers the programs got"),
             {QString::number(answers), QString::number(answers * 4 * charMs, 'f', 0)});
    t.addRow(QStringLiteral("RVM; written to the rig"),
             {QString::number(writes), QString::number(writes * 4 * charMs, 'f', 0)});
    t.addNote(QStringLiteral("One write served %1 programs on average; %2 ms of the rig's line "
                             "time were spared (%3 of the %4 s).")
                  .arg(writes > 0 ? double(answers) / writes : 0, 0, 'f', 2)
                  .arg((answers - writes) * 4 * charMs, 0, 'f', 0)
                  .arg(double(answers - writes) * 4 * charMs / (seconds * 1000.0), 0, 'f', 2)
                  .arg(seconds));
    t.print();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Ports are published in a folder of this run, not the user's: set before the bridge exists,
    // as its port folder is placed when it is made.
    QTemporaryDir runtime;
    usePrivateRuntimeDir(runtime);

    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("OVX2 network and shared-read benchmarks"));
    parser.addHelpOption();
    const QCommandLineOption requests(QStringLiteral("requests"),
                                      QStringLiteral("Round trips per server (10000)."),
                                      QStringLiteral("n"), QStringLiteral("10000"));
    const QCommandLineOption seconds(QStringLiteral("shared-seconds"),
                                     QStringLiteral("Seconds of shared reads (5)."),
                                     QStringLiteral("s"), QStringLiteral("5"));
    parser.addOptions({requests, seconds});
    parser.process(app);

    NetBench bench(parser.value(requests).toInt());
    if (!bench.connectBridge()) {
        std::fprintf(stderr, "the bridge did not connect to the simulated K3\n");
        return 1;
    }
    bench.roundTrips();
    bench.sharedReads(parser.value(seconds).toDouble());
    bench.xmlRpcRoundTrips();
    return 0;
}
