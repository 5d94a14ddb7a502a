// Two station programs sharing the radio (a K3, an IC-7300) through Hamlib's rigctld on
// application ports 1 and 2, each polling f, m and t every 100 ms, while frequency and mode change
// every 5 s, in turn from each program and from the front panel. No poll may fail; every change
// reaches both programs within one poll interval of the bridge plus 100 ms.

#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "hamlib_tools.h"
#include "ports/virtual_port.h"
#include "rig/civ_framing.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kPollMs = 200, kChangeEveryMs = 5000;
using Seen = std::pair<qint64, QByteArray>; // when, and "hz mode" (a poll) or a radio's chunk

// A program on its rigctld: one request after the other, as Hamlib's clients do.
class Program : public QObject {
public:
    Program(quint16 port, QElapsedTimer &clock) : m_clock(clock)
    {
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        connect(&m_socket, &QTcpSocket::readyRead, this, [this] { onReadable(); });
        connect(&m_poll, &QTimer::timeout, this, [this] {
            if (m_busy.isEmpty()) // a poll while a request runs: skip a beat
                m_queue.prepend("f\nm\nt\n"), send();
        });
    }
    bool waitConnected() { return m_socket.waitForConnected(5000); }
    void start() { m_queue << "\\set_cache 0\n", send(), m_poll.start(100); }
    void change(const QByteArray &hz, const QByteArray &mode)
    {
        m_queue << "F " + hz + "\nM " + mode + " 0\n", send();
    }
    int errors = 0, polls = 0;
    QList<Seen> seen;
    QByteArray log; // the last answers, for a failure message

private:
    void send()
    {
        if (m_busy.isEmpty() && !m_queue.isEmpty())
            m_socket.write(m_busy = m_queue.takeFirst()), m_answer.clear();
    }
    void onReadable()
    {
        m_answer += m_socket.readAll();
        const bool poll = m_busy.startsWith("f\n");
        if (m_answer.count('\n') < m_busy.count('\n') + (poll ? 1 : 0))
            return;
        const QList<QByteArray> lines = m_answer.trimmed().split('\n');
        log = (log + "> " + m_busy + "< " + m_answer).right(2000);
        if (poll && (++polls, lines.size() == 4 && lines[0].toLongLong() > 0 &&
                                  !lines[3].startsWith("RPRT")))
            seen << Seen{m_clock.elapsed(), lines[0] + ' ' + lines[1]};
        else if (poll || (m_answer.contains("RPRT") && !m_answer.contains("RPRT 0")))
            ++errors;
        m_busy.clear();
        send();
    }

    QElapsedTimer &m_clock;
    QTcpSocket m_socket;
    QTimer m_poll;
    QByteArray m_busy, m_answer;
    QList<QByteArray> m_queue;
};

} // namespace

class TestTwoPrograms : public QObject {
    Q_OBJECT
private slots:
    void bothProgramsFollowEveryChange_data();
    void bothProgramsFollowEveryChange();
};

void TestTwoPrograms::bothProgramsFollowEveryChange_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<int>("hamlib");
    QTest::newRow("K3") << RigType::K3 << 2029;
    QTest::newRow("IC-7300") << RigType::Icom << 3073;
}

void TestTwoPrograms::bothProgramsFollowEveryChange()
{
    QFETCH(RigType, type);
    QFETCH(int, hamlib);
    QString rigctld;
    OVX2_REQUIRE_HAMLIB_TOOL(rigctld, "rigctld");
    const bool civ = type == RigType::Icom;
    ConnectedBridge b(type);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    b.bridge().setPollInterval(kPollMs);
    QElapsedTimer clock;
    clock.start();
    QList<Seen> atRadio; // a program's change counts from when it reached the radio
    connect(&b.sim(), &RigSimThread::received, this, [&](const QByteArray &chunk) {
        atRadio << Seen{clock.elapsed(), chunk};
    });
    std::array<QProcess, 2> daemons;
    std::array<std::unique_ptr<Program>, 2> programs;
    for (int i = 0; i < 2; ++i) {
        b.bridge().togglePort(i + 1);
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 tcp = probe.serverPort();
        probe.close();
        daemons[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        daemons[i].start(rigctld, {"-m", QString::number(hamlib), "-r",
                                   b.bridge().appPort(i + 1).DevicePath(), "-s", "38400", "-T",
                                   "127.0.0.1", "-t", QString::number(tcp)});
        // rigctld listens once it has opened the radio through the bridge.
        QTRY_VERIFY_WITH_TIMEOUT(
            (programs[i] = std::make_unique<Program>(tcp, clock), programs[i]->waitConnected()),
            20000);
    }
    for (auto &p : programs)
        p->start();
    const int seconds = qEnvironmentVariableIntValue("OVX2_TWO_PROGRAMS_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("OVX2_TWO_PROGRAMS_SECONDS")
                            : 60;
    // The mode's name, its MD digit and its CI-V code.
    constexpr std::array<std::tuple<const char *, char, char>, 3> modes{
        {{"LSB", '1', '\x00'}, {"USB", '2', '\x01'}, {"CW", '3', '\x03'}}};
    QList<Seen> changes;
    for (int n = 0; n < seconds * 1000 / kChangeEveryMs; ++n) {
        QTest::qWait(kChangeEveryMs); // the pace of the changes, not a wait for anything
        const qint64 hz = 7000000 + 1000 * (n + 1);
        const auto [mode, digit, civCode] = modes[std::size_t(n % 3)];
        const char code = civ ? civCode : digit;
        const qint64 asked = clock.elapsed();
        qint64 at = asked;
        if (n % 3 == 2) {
            b.sim().invoke([hz, code](RigSimServer &s) { s.turnVfoA(hz), s.selectMode(code); });
        } else {
            programs[n % 3]->change(QByteArray::number(hz), mode);
            // What reaches the radio: the frequency's BCD in a CI-V frame, or the K3's FA and MD.
            const QByteArrayList settings =
                civ ? QByteArrayList{civ::frequencyBytes(hz)}
                    : QByteArrayList{"FA" + QByteArray::number(hz).rightJustified(11, '0'),
                                     "MD" + QByteArray(1, code) + ';'};
            for (const QByteArray &setting : settings) {
                const auto reached = [&] {
                    return std::find_if(atRadio.cbegin(), atRadio.cend(), [&](const Seen &a) {
                        return a.first >= asked && a.second.contains(setting);
                    });
                };
                QTRY_VERIFY_WITH_TIMEOUT(reached() != atRadio.cend(), 20000);
                at = std::max(at, reached()->first);
            }
        }
        changes << Seen{at, QByteArray::number(hz) + ' ' + mode};
    }
    QTest::qWait(kChangeEveryMs);
    for (int i = 0; i < 2; ++i) {
        const Program &p = *programs[i];
        qInfo("program %d: %d polls, %d errors", i + 1, p.polls, p.errors);
        QVERIFY2(p.errors == 0, p.log.constData());
        QVERIFY(p.polls > seconds * 1000 / 100 / 2);
        for (const auto &[at, to] : std::as_const(changes)) {
            const auto seen = std::find_if(p.seen.cbegin(), p.seen.cend(), [&](const Seen &s) {
                return s.first >= at && s.second == to;
            });
            QVERIFY2(seen != p.seen.cend() && seen->first - at <= kPollMs + 100,
                     qPrintable(QStringLiteral("program %1 saw %2 late or never")
                                    .arg(i + 1)
                                    .arg(QString::fromLatin1(to))));
        }
        daemons[i].terminate();
        QVERIFY(daemons[i].waitForFinished(5000));
    }
}

QTEST_MAIN(TestTwoPrograms)
#include "tst_two_programs.moc"
