#include "appports/app_ports.h"
#include "fake_ports.h"
#include "fake_rig_access.h"
#include "monitor/terminal_model.h"
#include "rig/virtual_rig.h"
#include "scripted_messenger.h"
#include "settings/station_settings.h"

#include <QTest>
#include <QTimer>

// The control lines a program sets on any application port drive the rig port's lines.
class TestLineMirroring : public QObject {
    Q_OBJECT
private slots:
    void latestChangeWins_data();
    void latestChangeWins();
};

void TestLineMirroring::latestChangeWins_data()
{
    QTest::addColumn<QList<int>>("ports");   // which port raises each change
    QTest::addColumn<QList<bool>>("states"); // the state it raises
    QTest::addColumn<bool>("lineB");         // B instead of A
    QTest::newRow("one port sets A") << QList<int>{1} << QList<bool>{true} << false;
    QTest::newRow("two ports, opposite A, later wins")
        << QList<int>{2, 5} << QList<bool>{true, false} << false;
    QTest::newRow("and the other way round")
        << QList<int>{5, 2} << QList<bool>{false, true} << false;
    QTest::newRow("B from port 3") << QList<int>{3} << QList<bool>{true} << true;
    QTest::newRow("B off after on") << QList<int>{3, 4} << QList<bool>{true, false} << true;
}

void TestLineMirroring::latestChangeWins()
{
    QFETCH(QList<int>, ports);
    QFETCH(QList<bool>, states);
    QFETCH(bool, lineB);
    FakeSerialPort rig;
    std::array<FakeVirtualPort, 5> app;
    std::array<TerminalModel, 5> terminals;
    FakeRigAccess access(RigType::K3);
    QTimer pollTimer;
    ScriptedMessenger messenger;
    const StationSettings settings;
    auto port = [&](int i) { return AppPorts::Port{app[i], terminals[i]}; };
    AppPorts ports_({settings,
                     {port(0), port(1), port(2), port(3), port(4)},
                     rig,
                     access,
                     pollTimer,
                     messenger});
    for (int i = 0; i < ports.size(); ++i) {
        FakeVirtualPort &p = app[std::size_t(ports[i] - 1)];
        if (lineB)
            emit p.LineBChanged(states[i]);
        else
            emit p.LineAChanged(states[i]);
    }
    const std::optional<bool> line = lineB ? rig.lineB : rig.lineA;
    QVERIFY(line.has_value());
    QCOMPARE(*line, states.last());
    QVERIFY(!(lineB ? rig.lineA : rig.lineB).has_value()); // the other line untouched
    QVERIFY(rig.written.isEmpty());
}

QTEST_GUILESS_MAIN(TestLineMirroring)
#include "tst_line_mirroring.moc"
