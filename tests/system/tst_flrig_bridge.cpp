// flrig, with its own CAT drivers, on the bridge's ports: it opens the radio as fast through a
// "Freq/Mode" port as through a "Full" one (its parameter reads pass as reads), reads the radio's
// state as the radio has it, follows the front panel, and tunes the radio.

#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "flrig_tools.h"
#include "monitor/terminal_model.h"
#include "ports/virtual_port.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"

#include <QElapsedTimer>
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
    QTest::addColumn<QString>("mode"); // as flrig names the radio's mode at power-on
    const struct {
        RigType type;
        const char *model, *rig;
        int port;
    } rows[] = {
        // The FT-991A's parameter reads (GT0; BC0; RI6; ...), on a "Full" and a "Freq/Mode" port.
        {RigType::Yaesu, "ft991a", "FT-991A", 1},
        {RigType::Yaesu, "ft991a", "FT-991A", 2},
        // The FT-891 reads its sideband from a menu (EX1107;) at every poll.
        {RigType::Yaesu, "ft891", "FT-891", 2},
        // The TS-480 reads menu 45 (EX0450000;) at every poll.
        {RigType::Kenwood, "ts480", "TS-480SAT", 3},
        {RigType::K3, "k3", "K3", 2},
    };
    for (const auto &r : rows)
        QTest::addRow("%s port %d", r.model, r.port)
            << r.type << QString::fromLatin1(r.model) << QString::fromLatin1(r.rig) << r.port
            << QStringLiteral("USB");
}

void TestFlrigBridge::flrigThroughAPort()
{
    QFETCH(RigType, type);
    QFETCH(QString, model);
    QFETCH(QString, rig);
    QFETCH(int, port);
    QFETCH(QString, mode);

    ConnectedBridge b(type, model);
    QVERIFY2(b.connectRig(), qPrintable(b.why()));
    b.bridge().togglePort(port);
    VirtualPort &appPort = b.bridge().appPort(port);
    QVERIFY(appPort.IsCreated());

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const quint16 xmlPort = freePort();
    QVERIFY(xmlPort != 0);
    QVERIFY(writePrefs(dir.path(), rig, appPort.DevicePath(), xmlPort));
    QProcess flrig;
    QElapsedTimer opening;
    opening.start();
    startFlrig(flrig, m_flrig, dir.path(), m_display.name());

    FlrigClient client(xmlPort);
    const auto ask = [&client](const char *method, const QString &params = {}) {
        return client.ask(QString::fromLatin1(method), params);
    };
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_vfo"), QStringLiteral("14074000"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_mode"), mode, kWaitMs);
    qInfo("flrig opened the %s on port %d in %lld ms", qPrintable(model), port, opening.elapsed());

    // The front panel turns: flrig sees it through the bridge.
    b.sim().invoke([](RigSimServer &s) { s.turnVfoA(7010000); });
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_vfo"), QStringLiteral("7010000"), kWaitMs);

    // flrig tunes the radio, through a "Freq/Mode" port too.
    ask("rig.set_vfo", QStringLiteral("<param><value><double>7040000</double></value></param>"));
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            qint64 vfoA = 0;
            b.sim().invoke([&](RigSimServer &s) { vfoA = s.model().vfoA(); });
            return vfoA == 7040000;
        }(),
        kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_vfo"), QStringLiteral("7040000"), kWaitMs);

    // Nothing flrig reads was refused as a setting on a "Freq/Mode" port: every line the
    // port's terminal refused is one of flrig's settings.
    const TerminalModel &terminal = b.bridge().terminal(port);
    for (int i = 0; i < terminal.lineCount(); ++i) {
        const QByteArray line = terminal.line(i);
        if (line.contains("not passed"))
            qInfo("%s", line.constData());
    }

    flrig.terminate();
    QTRY_COMPARE_WITH_TIMEOUT(flrig.state(), QProcess::NotRunning, kWaitMs);
}

QTEST_MAIN(TestFlrigBridge)
#include "tst_flrig_bridge.moc"
