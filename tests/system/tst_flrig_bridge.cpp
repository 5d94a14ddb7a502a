// flrig, with its own CAT drivers, on a bridge's "Freq/Mode" port (its parameter and menu reads
// must pass as reads): it reads the radio as the radio has it, follows the front panel, and tunes
// the radio.

#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "flrig_tools.h"
#include "front_panel.h"
#include "ports/virtual_port.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "tool_run.h"

#include <QTemporaryDir>
#include <QTest>

class TestFlrigBridge : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void flrigThroughAPort_data();
    void flrigThroughAPort();

private:
    QString m_flrig;
    FlrigDisplay m_display;
};

void TestFlrigBridge::initTestCase()
{
    QString xvfb;
    OVX2_REQUIRE_TOOL(m_flrig, "flrig", "flrig");
    OVX2_REQUIRE_TOOL(xvfb, "Xvfb", "xvfb");
    QVERIFY(m_display.start(xvfb));
}

void TestFlrigBridge::flrigThroughAPort_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("rig"); // flrig's name for it
    QTest::addColumn<int>("port");
    // The FT-991A reads parameters (GT0; BC0; RI6; ...), the FT-891 its sideband from a menu
    // (EX1107;), the TS-480 menu 45 (EX0450000;) and the IC-7300 its levels and functions
    // (14 xx, 16 xx) at every poll.
    auto row = [](RigType type, const char *model, const char *rig, int port) {
        QTest::newRow(model) << type << QString::fromLatin1(model) << QString::fromLatin1(rig)
                             << port;
    };
    row(RigType::Yaesu, "ft991a", "FT-991A", 2);
    row(RigType::Yaesu, "ft891", "FT-891", 2);
    row(RigType::Kenwood, "ts480", "TS-480SAT", 3);
    row(RigType::K3, "k3", "K3", 2);
    row(RigType::Icom, "ic7300", "IC-7300", 2);
}

void TestFlrigBridge::flrigThroughAPort()
{
    QFETCH(RigType, type);
    QFETCH(QString, model);
    QFETCH(QString, rig);
    QFETCH(int, port);
    ConnectedBridge b(type, model);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    b.bridge().togglePort(port);
    VirtualPort &appPort = b.bridge().appPort(port);
    QTemporaryDir dir;
    const quint16 xmlPort = test_tools::freePort();
    QVERIFY(appPort.IsCreated() && dir.isValid() && xmlPort != 0);
    QVERIFY(writePrefs(dir.path(), rig, appPort.DevicePath(), xmlPort));
    flrigFollowsAndTunes(
        m_flrig, dir.path(), m_display.name(), xmlPort,
        [&b](const QByteArray &line) {
            bool taken = false;
            b.sim().invoke([&](RigSimServer &s) { taken = FrontPanel(s).run(line).ok; });
            QVERIFY(taken);
        },
        [&b] {
            qint64 vfoA = 0;
            b.sim().invoke([&](RigSimServer &s) { vfoA = s.model().vfoA(); });
            return vfoA == 7040000;
        });
}

QTEST_MAIN(TestFlrigBridge)
#include "tst_flrig_bridge.moc"
