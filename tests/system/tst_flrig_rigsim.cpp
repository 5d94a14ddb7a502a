// flrig, the rig control program many hams run beside their logger, as the client of the
// ovx2-rigsim program: for every model flrig knows it opens the radio under a display of the
// test's own, and what it shows through its XML-RPC interface is what the radio has; the
// front panel's changes reach it, and its own settings reach the radio.

#include "flrig_tools.h"
#include "rigsim_process.h"
#include "tool_run.h"

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
    // flrig has no KX2 and no FT-710; the K3S is a K3 to it. The K3, TS-480, FT-991A and FT-891
    // meet flrig through a bridge's port (tst_flrig_bridge).
    const char *const rows[][2] = {
        {"kx3", "KX3"},           {"k2", "K2"}, {"ts2000", "TS-2000"}, {"ts590sg", "TS-590SG"},
        {"ftdx101d", "FTdx101D"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
}

void TestFlrigRigsim::flrigShowsTheRadio()
{
    QFETCH(QString, model);
    QFETCH(QString, rig);
    RigsimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--model"), model}));
    const quint16 port = test_tools::freePort();
    QVERIFY(port != 0 && writePrefs(sim.folder(), rig, sim.link(), port));
    // The FT-891's sideband is a menu setting flrig reads.
    QByteArray panel;
    flrigFollowsAndTunes(
        m_flrig, sim.folder(), m_display.name(), port,
        [&sim](const QByteArray &line) { sim.process().write(line + '\n'); },
        [&] {
            sim.process().write("status\n");
            panel += sim.process().readAllStandardOutput();
            return panel.contains("VFO A 7.040000 MHz");
        });
    sim.process().write("quit\n");
    QVERIFY(sim.finished());
}

QTEST_GUILESS_MAIN(TestFlrigRigsim)
#include "tst_flrig_rigsim.moc"
