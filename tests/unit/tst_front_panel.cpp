// The simulator's front panel: the lines a ham types and what they do to the radio.

#include "front_panel.h"
#include "rig_sim_server.h"

#include <QTest>

class TestFrontPanel : public QObject {
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void offRadioTakesOnlyPanelCommands();
};

// Each line on a fresh radio: whether it is taken, a word of the message, and the state after.
void TestFrontPanel::lines_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("state"); // the "status" line after it

    auto row = [](const char *name, const char *model, const char *line, bool ok,
                  const char *message, const char *state = "") {
        QTest::newRow(name) << QByteArray(model) << QByteArray(line) << ok
                            << QString::fromLatin1(message) << QString::fromLatin1(state);
    };
    row("vfo in Hz", "k3", "vfo 7040000", true, "VFO A 7.040000 MHz", "VFO A 7.040000 MHz");
    row("vfo in MHz", "k3", "vfo 14.074", true, "14.074000 MHz", "VFO A 14.074000 MHz");
    row("vfob", "ts2000", "vfob 7.1", true, "VFO B 7.100000", "VFO B 7.100000 MHz");
    row("vfo above the radio", "k3", "vfo 144174000", false, "up to 54.000000 MHz");
    row("vfo on 2 m where there is one", "ft991a", "vfo 144174000", true, "144.174000");
    row("upper case and spaces", "k3", "  VFO   3573000 ", true, "", "VFO A 3.573000 MHz");
    row("vfo without argument", "k3", "vfo", false, "vfo needs HZ");
    row("vfo not a number", "k3", "vfo seven", false, "needs a frequency");
    row("mode", "k3", "mode cw", true, "mode cw", "MD3");
    row("no FM on a KX2", "kx2", "mode fm", false, "lsb usb cw am data");
    row("unknown mode", "ts480", "mode psk", false, "lsb usb cw fm am rtty cwr rttyr");
    row("tx", "k3", "tx", true, "transmitting", "transmitting");
    row("band", "k3", "band 40", true, "40 m: VFO A 7.074000 MHz", "VFO A 7.074000 MHz");
    row("band 70 cm", "ft991a", "band 70cm", true, "432.174000");
    row("band the radio lacks", "k3", "band 2", false, "160 80 60 40 30 20 17 15 12 10 6");
    row("band the KX2 lacks", "kx2", "band 6", false, "40 30 20 17 15 12 10");
    row("split on", "k3", "split on", true, "split on", "split on");
    row("split needs on or off", "k3", "split yes", false, "on or off");
    row("width", "k3", "width 500", true, "width 500 Hz");
    row("width out of range", "k3", "width 20000", false, "50 to 9999");
    row("off", "k3", "off", true, "off", "off");
    row("wait", "k3", "wait 500", true, "");
    row("wait negative", "k3", "wait -5", false, "milliseconds");
    row("blank", "k3", "", true, "");
    row("unknown", "k3", "frobnicate", false, "unknown command 'frobnicate'; type help");
    row("overlong", "k3", QByteArray(300, 'v').constData(), false, "longer than 200");
}

void TestFrontPanel::lines()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, line);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    QFETCH(QString, state);
    RigSimServer server(*findRadio(model), 38400);
    FrontPanel panel(server);
    const FrontPanel::Result result = panel.run(line);
    QCOMPARE(result.ok, ok);
    QVERIFY2(result.message.contains(message), qPrintable(result.message));
    QVERIFY(!result.quit);
    QCOMPARE(result.waitMs, line == "wait 500" ? 500 : 0);
    const QString status = panel.run("status").message;
    QVERIFY2(status.contains(state), qPrintable(status));
}

void TestFrontPanel::offRadioTakesOnlyPanelCommands()
{
    RigSimServer server(RigType::Yaesu, 38400);
    FrontPanel panel(server);
    QVERIFY(panel.run("off").ok);
    QVERIFY(!server.model().isPoweredOn());
    const FrontPanel::Result refused = panel.run("vfo 7074000");
    QVERIFY(!refused.ok);
    QCOMPARE(refused.message, QStringLiteral("the Yaesu FT-991A is off; type on"));
    QCOMPARE(server.model().vfoA(), qint64(14074000));
    QVERIFY(panel.run("on").ok);
    QVERIFY(server.model().isPoweredOn());
    QVERIFY(panel.run("quit").quit);
}

QTEST_GUILESS_MAIN(TestFrontPanel)
#include "tst_front_panel.moc"
