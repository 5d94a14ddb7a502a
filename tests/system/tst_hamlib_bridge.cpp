// Hamlib's rigctl, the library under most Linux station programs, as a program on the bridge's
// ports: every simulated model, on port 1 and on ports 2 and 5, opens through the bridge, tunes,
// changes mode and reads back what it set; on a port that may pass everything it keys the rig.

#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "hamlib_tools.h"
#include "ports/virtual_port.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {

constexpr int kRunMs = 60000;         // far above need: only reached when something hangs
constexpr qint64 kOpenBoundMs = 2000; // a station program opens the radio in under 2 s

struct Model {
    const char *name; // the simulator's --model
    RigType family;
    int hamlib;
    const char *vfo; // what rigctl's v answers
    bool pacedK2;    // Hamlib's K2 backend waits 100 ms after every write unless told not to
};

constexpr Model kModels[] = {
    {"k3", RigType::K3, 2029, "VFOA", false},
    {"k3s", RigType::K3, 2043, "VFOA", false},
    {"kx3", RigType::K3, 2045, "VFOA", false},
    {"kx2", RigType::K3, 2044, "VFOA", false},
    {"k2", RigType::K2, 2021, "VFOA", true},
    {"ts2000", RigType::Kenwood, 2014, "VFOA", false},
    {"ts590sg", RigType::Kenwood, 2037, "VFOA", false},
    {"ts480", RigType::Kenwood, 2028, "VFOA", false},
    {"ft991a", RigType::Yaesu, 1035, "VFOA", false},
    {"ftdx101d", RigType::Yaesu, 1040, "Main", false},
    // The FT-891 has no VFO select, so Hamlib cannot tell the VFO.
    {"ft891", RigType::Yaesu, 1036, "get_vfo: Feature not available", false},
    {"ft710", RigType::Yaesu, 1049, "VFOA", false},
};

} // namespace

class TestHamlibBridge : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { m_bridge.reset(); }
    void rigctlOnEachPort_data();
    void rigctlOnEachPort();

private:
    ConnectedBridge &connected(const Model &model);

    QString m_rigctl;
    QString m_model;
    std::unique_ptr<ConnectedBridge> m_bridge;
};

void TestHamlibBridge::initTestCase()
{
    OVX2_REQUIRE_HAMLIB_TOOL(m_rigctl, "rigctl");
}

ConnectedBridge &TestHamlibBridge::connected(const Model &model)
{
    if (m_model != QLatin1String(model.name)) {
        m_bridge.reset();
        m_bridge = std::make_unique<ConnectedBridge>(model.family, QString::fromLatin1(model.name));
        if (!m_bridge->connectRig())
            qFatal("cannot connect the simulated %s: %s", model.name, qPrintable(m_bridge->why()));
        m_model = QString::fromLatin1(model.name);
    }
    return *m_bridge;
}

void TestHamlibBridge::rigctlOnEachPort_data()
{
    QTest::addColumn<int>("model"); // index into kModels
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("full"); // the port may pass everything: PTT is tried too
    for (int m = 0; m < int(std::size(kModels)); ++m) {
        for (int port : {1, 2, 5})
            QTest::addRow("%s port %d", kModels[m].name, port) << m << port << (port != 2);
    }
}

void TestHamlibBridge::rigctlOnEachPort()
{
    QFETCH(int, model);
    QFETCH(int, port);
    QFETCH(bool, full);
    const Model &radio = kModels[model];
    ConnectedBridge &b = connected(radio);
    b.bridge().setPermission(port, full ? Permission::Full : Permission::FreqMode);
    if (!b.bridge().appPort(port).IsCreated())
        b.bridge().togglePort(port);
    QVERIFY(b.bridge().appPort(port).IsCreated());
    // The mode turned at the radio first, so that the mode read back must be the one set.
    b.sim().invoke([](RigSimServer &s) { s.selectMode('1'); });

    const QString frequency = QString::number(7040000 + 1000 * port);
    QStringList commands{"f", "F", frequency, "f", "m", "M", "USB", "2400", "m", "t", "v"};
    QStringList expected{frequency, "USB", "2400", "0", QString::fromLatin1(radio.vfo)};
    if (full) {
        commands << QStringList{"T", "1", "t", "T", "0", "t"};
        expected << QStringList{"1", "0"};
    }
    QStringList options{"-m", QString::number(radio.hamlib),
                        "-r", b.bridge().appPort(port).DevicePath(),
                        "-s", "38400"};
    if (radio.pacedK2)
        options << QStringLiteral("--set-conf=post_write_delay=0");

    // The bridge runs on this thread: rigctl runs beside it, the event loop turning.
    QProcess rigctl;
    QByteArray output;
    qint64 openMs = -1;
    QElapsedTimer clock;
    connect(&rigctl, &QProcess::readyReadStandardOutput, this, [&] {
        output += rigctl.readAllStandardOutput();
        if (openMs < 0 && output.contains('\n'))
            openMs = clock.elapsed(); // the first answer: the library has opened the radio
    });
    clock.start();
    rigctl.start(m_rigctl, options + commands);
    QVERIFY(rigctl.waitForStarted(kRunMs));
    QTRY_VERIFY_WITH_TIMEOUT(rigctl.state() == QProcess::NotRunning, kRunMs);
    output += rigctl.readAllStandardOutput();
    const QByteArray errors = rigctl.readAllStandardError();
    QCOMPARE(rigctl.exitStatus(), QProcess::NormalExit);
    QVERIFY2(rigctl.exitCode() == 0, errors.right(2000).constData());

    const QStringList got = rigctlAnswers(output);
    // f, f, m (mode, width), m (mode, width), t, v [, t, t]: what was set is what is read back.
    QVERIFY2(got.size() == (full ? 10 : 8), qPrintable(got.join(QLatin1Char('|'))));
    QStringList checked{got[1], got[4], got[5], got[6], got[7]};
    if (full)
        checked << got[8] << got[9];
    QCOMPARE(checked, expected);
    qInfo("%s opened on port %d in %lld ms", radio.name, port, openMs);
    QVERIFY2(openMs >= 0 && openMs < kOpenBoundMs,
             qPrintable(QStringLiteral("opening took %1 ms").arg(openMs)));
    // The radio itself followed.
    qint64 vfoA = 0;
    b.sim().invoke([&](RigSimServer &s) { vfoA = s.model().vfoA(); });
    QCOMPARE(vfoA, frequency.toLongLong());
}

QTEST_MAIN(TestHamlibBridge)
#include "tst_hamlib_bridge.moc"
