#include "appports/command_tables.h"

#include <QTest>

// What a port does with a station program's command: the edges of the rig types' tables, the
// commands that once slipped past a "Freq/Mode" port or were taken for settings, and the SDR
// port's filter.
class TestCommandTables : public QObject {
    Q_OBJECT
private slots:
    void actions_data();
    void actions();
    void sdr_data();
    void sdr();
};

void TestCommandTables::actions_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("id"); // the radio's ID reply
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("freqMode"); // the action on a "Freq/Mode" port
    QTest::addColumn<QByteArray>("full");     // on a "Full" port

    const RigType K3 = RigType::K3, K2 = RigType::K2, Ken = RigType::Kenwood, Y = RigType::Yaesu;
    const struct {
        RigType type;
        const char *id;
        int port;
        const char *command, *freqMode, *full;
    } rows[] = {
        // Kept reads answer; the ports 2 to 5 keep fewer.
        {K3, "ID017;", 1, "OM;", "answer", "answer"},
        {K3, "ID017;", 2, "OM;", "ask", "ask"},
        {Y, "ID0670;", 2, "TX;", "answer", "answer"},
        {Ken, "ID021;", 1, "OM;", "refuse", "set"}, // no Kenwood read: a setting, unknown
        // Settings that key or act: never through "Freq/Mode", however short.
        {K3, "ID017;", 2, "KYWE;", "refuse", "set"},
        {K2, "ID017;", 2, "KYWE;", "refuse", "set"},
        {K3, "ID017;", 2, "SWT;", "refuse", "set"},
        {K3, "ID017;", 2, "TX;", "refuse", "set"},
        {Ken, "ID021;", 3, "SV;", "refuse", "set"},
        {Y, "ID0670;", 4, "RU;", "refuse", "set"},
        {Y, "ID0670;", 4, "TX1;", "refuse", "set"},
        // Reads with parameters: asked, on every port.
        {Y, "ID0670;", 2, "BC0;", "ask", "ask"},
        {Y, "ID0670;", 2, "RI6;", "ask", "ask"},
        {Y, "ID0681;", 2, "RF0;", "ask", "ask"},
        {Ken, "ID021;", 2, "EX0450000;", "ask", "ask"},
        {Ken, "ID021;", 2, "EX04500001;", "refuse", "set"},
        {Ken, "ID021;", 2, "SF0;", "ask", "ask"},
        // A menu read's length is the radio's: the same text sets another radio's menu.
        {Y, "ID0650;", 2, "EX1107;", "ask", "ask"},
        {Y, "ID0670;", 2, "EX1107;", "refuse", "set"},
        // Frequency and mode pass; the meta-commands never; their bare reads do.
        {K3, "ID017;", 2, "FA00007040000;", "set", "set"},
        {K3, "ID017;", 2, "MD$3;", "set", "set"},
        {K3, "ID017;", 1, "AI0;", "drop", "drop"},
        {K3, "ID017;", 5, "K31;", "drop", "drop"},
        {K3, "ID017;", 5, "K3;", "ask", "ask"},
        // Text no table knows is a setting.
        {K3, "ID017;", 1, "fa;", "refuse", "set"},
        {RigType::None, "", 1, "FA;", "answer", "answer"},
        {RigType::None, "", 1, "TX;", "refuse", "set"},
    };
    for (const auto &r : rows)
        QTest::addRow("%s port %d %s", qPrintable(rigTypeName(r.type)), r.port, r.command)
            << r.type << QByteArray(r.id) << r.port << QByteArray(r.command)
            << QByteArray(r.freqMode) << QByteArray(r.full);
}

void TestCommandTables::actions()
{
    QFETCH(RigType, type);
    QFETCH(QByteArray, id);
    QFETCH(int, port);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, freqMode);
    QFETCH(QByteArray, full);
    const char *names[] = {"answer", "ask", "set", "drop", "refuse"};
    const CommandClass c = classify(command, type, id, port);
    QCOMPARE(QByteArray(names[int(portAction(c, Permission::FreqMode))]), freqMode);
    QCOMPARE(QByteArray(names[int(portAction(c, Permission::Full))]), full);
}

void TestCommandTables::sdr_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("storedFA");
    QTest::addColumn<int>("rigType");
    QTest::addColumn<bool>("forwarded");
    const QByteArray fa = "FA00014060000;";
    for (int t = -1; t <= 3; ++t) {
        QTest::addRow("same as stored FA, type %d", t) << fa << fa << t << false;
        QTest::addRow("differs in one digit, type %d", t)
            << QByteArray("FA00014060001;") << fa << t << true;
        QTest::addRow("nothing stored yet, type %d", t) << fa << QByteArray() << t << true;
        QTest::addRow("AI2 goes to the rig, type %d", t) << QByteArray("AI2;") << fa << t << true;
        QTest::addRow("IF, type %d", t) << QByteArray("IF;") << fa << t << true;
    }
    // What a K2 has none of is held back from it alone, by its mnemonic.
    QTest::newRow("BW; held from a K2") << QByteArray("BW;") << fa << 3 << false;
    QTest::newRow("BW0240; held from a K2") << QByteArray("BW0240;") << fa << 3 << false;
    QTest::newRow("BW; to a K3") << QByteArray("BW;") << fa << 0 << true;
    QTest::newRow("ID; to a K2") << QByteArray("ID;") << fa << 3 << true;
}

void TestCommandTables::sdr()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, storedFA);
    QFETCH(int, rigType);
    QFETCH(bool, forwarded);
    QCOMPARE(sdrForwards(command, storedFA, rigTypeFromIndex(rigType)), forwarded);
}

QTEST_GUILESS_MAIN(TestCommandTables)
#include "tst_command_tables.moc"
