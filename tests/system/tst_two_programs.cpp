// Two station programs sharing the radio through the bridge for a minute, as a logger and a
// digital-mode program would: Hamlib's rigctld on application ports 1 and 2, each with a client
// polling frequency, mode and PTT every 100 ms, while the frequency and mode change every 5 s,
// in turn from each program and from the radio's front panel. No poll may fail, and every change
// must reach both programs within one poll interval of the bridge plus 100 ms.

#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "hamlib_tools.h"
#include "ports/virtual_port.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kPollMs = 200;       // the bridge's poll interval
constexpr int kClientPollMs = 100; // each program's
constexpr int kChangeEveryMs = 5000;
constexpr qint64 kSeenWithinMs = kPollMs + 100;

struct State {
    qint64 hz = 0;
    QString mode;
    friend bool operator==(const State &, const State &) = default;
};

// A station program talking to its rigctld: a poll of f, m and t every 100 ms, and now and
// then a change of its own, strictly one request after the other as Hamlib's clients do.
class Program : public QObject {
public:
    Program(quint16 port, QElapsedTimer &clock) : m_clock(clock)
    {
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        connect(&m_socket, &QTcpSocket::readyRead, this, [this] { onReadable(); });
        m_poll.setInterval(kClientPollMs);
        connect(&m_poll, &QTimer::timeout, this, [this] { request("f\nm\nt\n", 4); });
    }
    bool waitConnected() { return m_socket.waitForConnected(5000); }
    void start()
    {
        request("\\set_cache 0\n", 1); // rigctld would answer from its own 500 ms cache
        m_poll.start();
    }
    void stop() { m_poll.stop(); }
    void change(const State &to)
    {
        m_changes << (QByteArray("F ") + QByteArray::number(to.hz) + "\nM " + to.mode.toLatin1() +
                      " 0\n");
        send();
    }
    int errors = 0;
    int polls = 0;
    QList<std::pair<qint64, State>> seen; // what each poll found, and when its answer came
    QByteArray log;                       // the last answers, for a failure message

private:
    void request(const QByteArray &text, int lines)
    {
        if (!m_busy.isEmpty()) // the last one still runs: skip a beat, as a program would
            return;
        m_busy = text;
        m_lines = lines;
        m_answer.clear();
        m_socket.write(text);
    }
    void send()
    {
        if (m_busy.isEmpty() && !m_changes.isEmpty())
            request(m_changes.takeFirst(), 2);
    }
    void onReadable()
    {
        m_answer += m_socket.readAll();
        if (m_answer.count('\n') < m_lines)
            return;
        const QList<QByteArray> lines = m_answer.trimmed().split('\n');
        log = (log + "> " + m_busy + "< " + m_answer).right(2000);
        if (m_busy.startsWith("f\n")) {
            ++polls;
            bool ok = false;
            const qint64 hz = lines.value(0).toLongLong(&ok);
            if (!ok || lines.size() != 4 || lines.value(3).startsWith("RPRT"))
                ++errors;
            else
                seen << std::pair{m_clock.elapsed(), State{hz, QString::fromLatin1(lines[1])}};
        } else if (m_answer.contains("RPRT") && !m_answer.contains("RPRT 0")) {
            ++errors;
        }
        m_busy.clear();
        send();
    }

    QElapsedTimer &m_clock;
    QTcpSocket m_socket;
    QTimer m_poll;
    QByteArray m_busy;
    int m_lines = 0;
    QByteArray m_answer;
    QList<QByteArray> m_changes;
};

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class TestTwoPrograms : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void bothProgramsFollowEveryChange();

private:
    QString m_rigctld;
};

void TestTwoPrograms::initTestCase()
{
    OVX2_REQUIRE_HAMLIB_TOOL(m_rigctld, "rigctld");
}

void TestTwoPrograms::bothProgramsFollowEveryChange()
{
    ConnectedBridge b(RigType::K3);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    b.bridge().setPollInterval(kPollMs);
    std::array<std::unique_ptr<QProcess>, 2> daemons;
    std::array<quint16, 2> tcp{};
    for (int i = 0; i < 2; ++i) {
        const int port = i + 1;
        b.bridge().togglePort(port);
        QVERIFY(b.bridge().appPort(port).IsCreated());
        tcp[std::size_t(i)] = freePort();
        auto &d = daemons[std::size_t(i)];
        d = std::make_unique<QProcess>();
        d->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        d->start(m_rigctld,
                 {"-m", "2029", "-r", b.bridge().appPort(port).DevicePath(), "-s", "38400", "-T",
                  "127.0.0.1", "-t", QString::number(tcp[std::size_t(i)])});
        QVERIFY(d->waitForStarted(5000));
    }

    QElapsedTimer clock;
    clock.start();
    // When each setting reached the radio: a program's change counts from there, not from when
    // it asked its rigctld, which reads the radio before and after it sets anything.
    QList<std::pair<qint64, QByteArray>> atRadio;
    connect(&b.sim(), &RigSimThread::received, this, [&](const QByteArray &chunk) {
        atRadio << std::pair{clock.elapsed(), chunk};
    });
    std::array<std::unique_ptr<Program>, 2> programs;
    for (int i = 0; i < 2; ++i) {
        // rigctld listens once it has opened the radio through the bridge.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                programs[std::size_t(i)] = std::make_unique<Program>(tcp[std::size_t(i)], clock);
                return programs[std::size_t(i)]->waitConnected();
            }(),
            20000);
    }
    for (auto &p : programs)
        p->start();

    const int seconds = qEnvironmentVariableIntValue("OVX2_TWO_PROGRAMS_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("OVX2_TWO_PROGRAMS_SECONDS")
                            : 60;
    const QStringList modes{QStringLiteral("LSB"), QStringLiteral("USB"), QStringLiteral("CW")};
    const QByteArray modeCodes = "123";
    QList<std::pair<qint64, State>> changes;
    QList<bool> byProgram;
    for (int n = 0; n < seconds * 1000 / kChangeEveryMs; ++n) {
        QTest::qWait(kChangeEveryMs); // the pace of the changes, not a wait for anything
        const State to{7000000 + 1000 * (n + 1), modes[n % modes.size()]};
        changes << std::pair{clock.elapsed(), to};
        byProgram << (n % 3 != 2);
        switch (n % 3) {
        case 0:
            programs[0]->change(to);
            break;
        case 1:
            programs[1]->change(to);
            break;
        default: {
            const char md = modeCodes.at(n % 3);
            b.sim().invoke([&to, md](RigSimServer &s) {
                s.turnVfoA(to.hz);
                s.selectMode(md);
            });
        }
        }
    }
    QTest::qWait(kChangeEveryMs);
    for (auto &p : programs)
        p->stop();
    for (qsizetype c = 0; c < changes.size(); ++c) {
        if (!byProgram[c])
            continue;
        auto &[at, to] = changes[c];
        const QByteArray fa = "FA" + QByteArray::number(to.hz).rightJustified(11, '0') + ';';
        const QByteArray md = QByteArray("MD") + modeCodes.at(modes.indexOf(to.mode)) + ';';
        qint64 reached = -1;
        for (const QByteArray &setting : {fa, md}) {
            const auto it = std::find_if(atRadio.cbegin(), atRadio.cend(), [&](const auto &a) {
                return a.first >= at && a.second.contains(setting);
            });
            QVERIFY2(it != atRadio.cend(), setting.constData());
            reached = std::max(reached, it->first);
        }
        at = reached;
    }

    for (int i = 0; i < 2; ++i) {
        const Program &p = *programs[std::size_t(i)];
        qInfo("program %d: %d polls, %d errors", i + 1, p.polls, p.errors);
        QVERIFY2(p.errors == 0, p.log.constData());
        QVERIFY(p.polls > seconds * 1000 / kClientPollMs / 2);
        qint64 worst = 0;
        for (const auto &[at, to] : std::as_const(changes)) {
            const auto seen = std::find_if(p.seen.cbegin(), p.seen.cend(), [&](const auto &s) {
                return s.first >= at && s.second == to;
            });
            QVERIFY2(seen != p.seen.cend(), qPrintable(QStringLiteral("program %1 never saw %2 %3")
                                                           .arg(i + 1)
                                                           .arg(to.hz)
                                                           .arg(to.mode)));
            worst = std::max(worst, seen->first - at);
            QVERIFY2(seen->first - at <= kSeenWithinMs,
                     qPrintable(QStringLiteral("program %1 saw %2 %3 after %4 ms")
                                    .arg(i + 1)
                                    .arg(to.hz)
                                    .arg(to.mode)
                                    .arg(seen->first - at)));
        }
        qInfo("program %d saw every change within %lld ms", i + 1, worst);
    }
    for (auto &d : daemons) {
        d->terminate();
        QVERIFY(d->waitForFinished(5000));
    }
}

QTEST_MAIN(TestTwoPrograms)
#include "tst_two_programs.moc"
