#include "fake_radios.h"
#include "hamlib_tools.h"
#include "net/rigctl_server.h"
#include "rigctl_test_client.h"
#include "tool_run.h"

#include <QTest>

#include <unistd.h>

// Hamlib's own programs as the judges: rigctld with its dummy rig shows the form every answer
// must have, and rigctl started as another user is refused.
class TestRigctlHamlib : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void formsMatchRigctld_data();
    void formsMatchRigctld();
    void otherUsersAreRefused_data();
    void otherUsersAreRefused();

private:
    QString m_rigctl;
    QProcess m_daemon;
    quint16 m_daemonPort = 0;
};

void TestRigctlHamlib::initTestCase()
{
    QString rigctld;
    OVX2_REQUIRE_HAMLIB_TOOL(m_rigctl, "rigctl");
    OVX2_REQUIRE_HAMLIB_TOOL(rigctld, "rigctld");
    m_daemonPort =
        test_tools::startServer(m_daemon, rigctld, {"-m", "1", "-T", "127.0.0.1", "-t", "%port"});
    QVERIFY(m_daemonPort != 0);
}

void TestRigctlHamlib::cleanupTestCase()
{
    m_daemon.terminate();
    m_daemon.waitForFinished();
}

void TestRigctlHamlib::formsMatchRigctld_data()
{
    // Each request and the shape its answer must have, from rigctld and from the server alike;
    // where neither holds a digit or a mode, the same bytes.
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("shape");
    auto row = [](const char *request, const char *shape) {
        QTest::newRow(request) << QByteArray(request) << QString::fromLatin1(shape);
    };
    row("+f\n", "get_freq:\nFrequency: \\d+\nRPRT 0\n");
    row(";f\n", "get_freq:;Frequency: \\d+;RPRT 0\n");
    row("|f\n", "get_freq:\\|Frequency: \\d+\\|RPRT 0\n");
    row("+m\n", "get_mode:\nMode: [A-Z]+\nPassband: \\d+\nRPRT 0\n");
    row("+v\n", "get_vfo:\nVFO: VFOA\nRPRT 0\n");
    row(";s\n", "get_split_vfo:;Split: 0;TX VFO: VFOA;RPRT 0\n");
    row("+F 7040000\n", "set_freq: 7040000\nRPRT 0\n");
    row("F 7040000\n", "RPRT 0\n");
    row("+\\chk_vfo\n", "ChkVFO: 0\n");
    row("+\\get_powerstat\n", "get_powerstat:\nPower Status: 1\nRPRT 0\n");
    row("+l STRENGTH\n", "get_level: STRENGTH\n-?\\d+\nRPRT 0\n");
    // What Hamlib's NET rigctl reads of \dump_state: protocol 1, model, region 0, two lists of
    // ranges and two of steps and filters, each with its end, four numbers, preamps and
    // attenuators, six masks, then setting=value lines.
    const char *ranges = "(?:\\S+(?: \\S+){6}\\n)*?0 0 0 0 0 0 0\\n";
    const char *steps = "(?:0\\S* \\S+\\n)*?0 0\\n";
    QTest::newRow("+dump_state")
        << QByteArray("\\chk_vfo\n+\\dump_state\n")
        << QStringLiteral("0\ndump_state:\n1\n\\d+\n0\n%1%1%2%2(?:-?\\d+\\n){4}.*\\n.*\\n"
                          "(?:0x.*\\n){6}(?:\\w+=.*\\n)*done\nRPRT 0\n")
               .arg(QLatin1String(ranges), QLatin1String(steps));
}

void TestRigctlHamlib::formsMatchRigctld()
{
    QFETCH(QByteArray, request);
    QFETCH(QString, shape);
    const QRegularExpression pattern(QLatin1Char('^') + shape + QLatin1Char('$'));
    FakeRigAccess rig(RigType::K3);
    fake_radios::load(rig);
    RigctlServer server(rig);
    QVERIFY(server.listen(QHostAddress(QHostAddress::LocalHost), 0));
    QByteArray answers[2];
    for (const quint16 port : {m_daemonPort, server.port()}) {
        RigctlTestClient client;
        QVERIFY(client.connectTo(port));
        client.send(request);
        QTRY_VERIFY2(pattern.match(QString::fromLatin1(client.received())).hasMatch(),
                     client.received().constData());
        answers[port == server.port()] = client.received();
    }
    if (!shape.contains(QLatin1String("\\d")) && !shape.contains(QLatin1String("[A-Z]")))
        QCOMPARE(answers[1], answers[0]);
}

void TestRigctlHamlib::otherUsersAreRefused_data()
{
    QTest::addColumn<uint>("uid");
    QTest::addColumn<QString>("address");
    for (const QString &address : {QStringLiteral("127.0.0.1"), QStringLiteral("::1")}) {
        QTest::addRow("nobody, %s", qPrintable(address)) << 65534U << address;
        QTest::addRow("the bridge's user, %s", qPrintable(address)) << uint(::geteuid()) << address;
    }
}

void TestRigctlHamlib::otherUsersAreRefused()
{
    // Another user of this machine keys nothing: rigctl started as that user is refused.
    QFETCH(uint, uid);
    QFETCH(QString, address);
    if (::geteuid() != 0)
        QSKIP("starting rigctl as another user needs root (CI runs the suite as root)");
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    QVERIFY2(!setpriv.isEmpty(), "setpriv (util-linux) is missing");
    const bool served = uid == ::geteuid();
    FakeRigAccess rig(RigType::K3);
    fake_radios::load(rig);
    RigctlServer server(rig);
    QStringList notes;
    connect(&server, &RigctlServer::traffic, this,
            [&notes](int, TrafficDirection, const QString &text) { notes << text; });
    QVERIFY(server.listen(QHostAddress(address), 0));
    const QString id = QString::number(uid);
    const test_tools::ToolRun run = test_tools::runTool(
        setpriv, {"--reuid=" + id, "--regid=" + id, "--clear-groups", m_rigctl, "-m", "2", "-r",
                  QStringLiteral("[%1]:%2").arg(address).arg(server.port()), "T", "1"});
    QCOMPARE(rig.settings, served ? QByteArrayList{"TX;"} : QByteArrayList{});
    QCOMPARE(run.ok, served);
    QCOMPARE(notes.filter(QStringLiteral("runs as another user (uid %1)").arg(uid)).size(),
             served ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestRigctlHamlib)
#include "tst_rigctl_hamlib.moc"
