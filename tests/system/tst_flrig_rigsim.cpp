// flrig, the rig control program many hams run beside their logger, as the client of the
// ovx2-rigsim program: for every model flrig knows it opens the radio under a display of the
// test's own, and what it shows through its XML-RPC interface is what the radio has; the
// front panel's changes reach it, and its own settings reach the radio.

#include "flrig_tools.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestFlrigRigsim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void flrigShowsTheRadio_data();
    void flrigShowsTheRadio();

private:
    QString m_flrig;
    FlrigDisplay m_display;
};

void TestFlrigRigsim::initTestCase()
{
    QString xvfb;
    OVX2_REQUIRE_TOOL(m_flrig, "flrig", "flrig");
    OVX2_REQUIRE_TOOL(xvfb, "Xvfb", "xvfb");
    QVERIFY(m_display.start(xvfb));
}

void TestFlrigRigsim::flrigShowsTheRadio_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("rig"); // flrig's name for it
    // flrig has no KX2 and no FT-710; the K3S is a K3 to it, as the K3 row has it.
    const char *const rows[][2] = {
        {"k3", "K3"},          {"kx3", "KX3"},           {"k2", "K2"},
        {"ts2000", "TS-2000"}, {"ts590sg", "TS-590SG"},  {"ts480", "TS-480SAT"},
        {"ft991a", "FT-991A"}, {"ftdx101d", "FTdx101D"}, {"ft891", "FT-891"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
}

void TestFlrigRigsim::flrigShowsTheRadio()
{
    QFETCH(QString, model);
    QFETCH(QString, rig);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString device = dir.filePath(QStringLiteral("rig"));
    QProcess sim;
    sim.start(QStringLiteral(OVX2_RIGSIM_EXE),
              {QStringLiteral("--model"), model, QStringLiteral("--link"), device});
    QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), kWaitMs); // its first line: the path it serves
    QVERIFY(QFileInfo(device).isSymLink());
    sim.readLine();

    const quint16 port = freePort();
    QVERIFY(port != 0);
    QVERIFY(writePrefs(dir.path(), rig, device, port));
    QProcess flrig;
    startFlrig(flrig, m_flrig, dir.path(), m_display.name());

    // What flrig read from the radio at power-on: VFO A and USB (the FT-891's sideband is a
    // menu setting flrig reads).
    FlrigClient client(port);
    const auto ask = [&client](const char *method, const QString &params = {}) {
        return client.ask(QString::fromLatin1(method), params);
    };
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_vfo"), QStringLiteral("14074000"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_mode"), QStringLiteral("USB"), kWaitMs);

    // The operator turns the dial and picks LSB: flrig's polling sees both.
    sim.write("vfo 7010000\nmode lsb\n");
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_vfo"), QStringLiteral("7010000"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_mode"), QStringLiteral("LSB"), kWaitMs);

    // flrig tunes the radio.
    ask("rig.set_vfo", QStringLiteral("<param><value><double>7040000</double></value></param>"));
    QByteArray panel;
    QTRY_VERIFY_WITH_TIMEOUT((sim.write("status\n"), panel += sim.readAllStandardOutput(),
                              panel.contains("VFO A 7.040000 MHz")),
                             kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_vfo"), QStringLiteral("7040000"), kWaitMs);

    flrig.terminate();
    QTRY_COMPARE_WITH_TIMEOUT(flrig.state(), QProcess::NotRunning, kWaitMs);
    sim.write("quit\n");
    QTRY_COMPARE_WITH_TIMEOUT(sim.state(), QProcess::NotRunning, kWaitMs);
}

QTEST_GUILESS_MAIN(TestFlrigRigsim)
#include "tst_flrig_rigsim.moc"
