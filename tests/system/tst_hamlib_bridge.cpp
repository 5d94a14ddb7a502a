// Hamlib's rigctl, the library under most Linux station programs, on the bridge's ports: every
// simulated model opens through a "Freq/Mode" port in under 2 s, tunes, changes mode and reads
// back what it set; one radio of each family keys the rig through a "Full" port.

#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "hamlib_tools.h"
#include "ports/virtual_port.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "tool_run.h"

#include <QTest>

class TestHamlibBridge : public QObject {
    Q_OBJECT
private slots:
    void rigctlOnAPort_data();
    void rigctlOnAPort();
};

void TestHamlibBridge::rigctlOnAPort_data()
{
    QTest::addColumn<RigType>("family");
    QTest::addColumn<QString>("model"); // the simulator's --model
    QTest::addColumn<int>("hamlib");
    QTest::addColumn<QString>("vfo"); // what rigctl's v answers
    QTest::addColumn<int>("port");    // 2: "Freq/Mode"; 1 and 5: "Full", where T is tried too
    const RigType k3 = RigType::K3, kw = RigType::Kenwood, ya = RigType::Yaesu;
    auto row = [](RigType f, const char *model, int hamlib, int port, const char *vfo = "VFOA") {
        QTest::addRow("%s port %d", model, port)
            << f << QString::fromLatin1(model) << hamlib << QString::fromLatin1(vfo) << port;
    };
    for (int port : {2, 1}) {
        row(k3, "k3", 2029, port);
        row(RigType::K2, "k2", 2021, port == 2 ? 2 : 5);
        row(kw, "ts2000", 2014, port);
        row(ya, "ft991a", 1035, port == 2 ? 2 : 5);
    }
    row(k3, "k3s", 2043, 2);
    row(k3, "kx3", 2045, 2);
    row(k3, "kx2", 2044, 2);
    row(kw, "ts590sg", 2037, 2);
    row(kw, "ts480", 2028, 2);
    row(ya, "ftdx101d", 1040, 2, "Main");
    row(ya, "ft891", 1036, 2, "get_vfo: Feature not available"); // it has no VFO select
    row(ya, "ft710", 1049, 2);
    // Hamlib 4.5.4's Icom backend has no VFO read.
    const char *noVfo = "get_vfo: Feature not available";
    for (int port : {2, 1, 5}) {
        row(RigType::Icom, "ic7300", 3073, port, noVfo);
        row(RigType::Icom, "ic705", 3085, port, noVfo);
        row(RigType::Icom, "ic9700", 3081, port, noVfo);
        row(RigType::Icom, "ic7610", 3078, port, noVfo);
    }
}

void TestHamlibBridge::rigctlOnAPort()
{
    QFETCH(RigType, family);
    QFETCH(QString, model);
    QFETCH(int, hamlib);
    QFETCH(QString, vfo);
    QFETCH(int, port);
    QString rigctl;
    OVX2_REQUIRE_HAMLIB_TOOL(rigctl, "rigctl");
    ConnectedBridge b(family, model);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    const bool full = port != 2;
    b.bridge().setPermission(port, full ? Permission::Full : Permission::FreqMode);
    b.bridge().togglePort(port);
    QVERIFY(b.bridge().appPort(port).IsCreated());
    // LSB, so that USB is news.
    b.sim().invoke([&](RigSimServer &s) { s.selectMode(family == RigType::Icom ? '\0' : '1'); });

    const QString hz = QString::number((model == "ic9700" ? 144300000 : 7040000) + 1000 * port);
    QStringList args{
        "-m", QString::number(hamlib), "-r", b.bridge().appPort(port).DevicePath(), "-s", "38400"};
    if (family == RigType::K2) // Hamlib waits 100 ms after each write to a K2 otherwise
        args << QStringLiteral("--set-conf=post_write_delay=0");
    args << QStringList{"f", "F", hz, "f", "m", "M", "USB", "2400", "m", "t"};
    QStringList expected{hz, "USB", "2400", "0"};
    if (full) {
        args << QStringList{"T", "1", "t", "T", "0", "t"};
        expected << QStringList{"1", "0"};
    }
    args << "v"; // last: an Icom has none, and the first failure ends what is compared
    expected << vfo;
    const test_tools::ToolRun run = test_tools::runTool(rigctl, args);
    QVERIFY2(run.ok, run.err.right(2000).constData());
    // f, f, m (mode, width), m (mode, width), t [, t, t], v: what was set is what is read back.
    const QStringList got = rigctlAnswersToFirstFailure(run.out);
    QVERIFY2(got.size() == (full ? 10 : 8), qPrintable(got.join(QLatin1Char('|'))));
    QCOMPARE(QStringList{got[1]} + got.mid(4), expected);
    qInfo("opened in %lld ms", run.firstLineMs);
    QVERIFY2(run.firstLineMs >= 0 && run.firstLineMs < 2000,
             qPrintable(QStringLiteral("opening took %1 ms").arg(run.firstLineMs)));
    qint64 vfoA = 0;
    b.sim().invoke([&](RigSimServer &s) { vfoA = s.model().vfoA(); });
    QCOMPARE(vfoA, hz.toLongLong());
}

QTEST_MAIN(TestHamlibBridge)
#include "tst_hamlib_bridge.moc"
