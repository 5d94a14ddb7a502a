// The simulated radios' CAT dialects: reply formats, settings, auto-information and framing.

#include "rig_model.h"

#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(RigType)

namespace {

constexpr RigType kTypes[] = {RigType::K3, RigType::K2, RigType::Kenwood, RigType::Yaesu};

QByteArray joined(const QByteArrayList &replies)
{
    return replies.join();
}

QByteArray feedAll(RigModel &rig, const QByteArray &text)
{
    return joined(rig.feed(text));
}

// K3 IF reply with VFO A at `freq`, otherwise the state at power-on.
QByteArray k3If(const char *freq, const char *tail = "0002000001")
{
    return QByteArray("IF") + freq + "     +000000 " + tail + " ;";
}

} // namespace

class TestRigModel : public QObject {
    Q_OBJECT
private slots:
    void queryFormats_data();
    void queryFormats();
    void settings_data();
    void settings();
    void rejected_data();
    void rejected();
    void frontPanelReports_data();
    void frontPanelReports();
    void commandReports_data();
    void commandReports();
    void framing_data();
    void framing();
    void garbageIsBounded();
    void silent();
};

// Every query of the bridge, for every radio: the reply's exact shape, or "?;" where the radio
// lacks the command. "" means the command sets something and the radio answers nothing.
void TestRigModel::queryFormats_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("pattern");

    const char *no = R"(\?;)";
    const char *k3If = R"(IF\d{11} {5}[+-]\d{4}[01][01] \d\d[01][1-9][01][01][01]0[0-3]1 ;)";
    const char *k2If = R"(IF\d{11} {5}[+-]\d{4}[01][01] \d\d[01][1-9][01][01][01][01]01 ;)";
    const char *kwIf = R"(IF\d{11} {5}[+-]\d{4}[01][01]\d{3}[01][1-9][01][01][01]\d{4};)";
    const char *yaIf = R"(IF\d{3}\d{9}[+-]\d{4}[01][01][1-9A-E][01][0-2]00[0-2];)";
    struct Row {
        const char *query;
        const char *k3, *k2, *kenwood, *yaesu;
    };
    const Row rows[] = {
        {"BG;", R"(BG(0\d|1\d|2[01])[RT];)", R"(BG(0\d|10);)", no, no},
        {"BW;", R"(BW\d{4};)", no, no, no},
        {"BW$;", R"(BW\$\d{4};)", no, no, no},
        {"CW;", R"(CW[3-8]\d;)", no, no, no},
        {"DT;", R"(DT[0-3];)", no, no, no},
        {"FA;", R"(FA\d{11};)", R"(FA\d{11};)", R"(FA\d{11};)", R"(FA\d{9};)"},
        {"FB;", R"(FB\d{11};)", R"(FB\d{11};)", R"(FB\d{11};)", R"(FB\d{9};)"},
        {"FI;", R"(FI\d{4};)", no, no, no},
        {"FR;", "FR[01];", "FR[01];", "FR[01];", no},
        {"FT;", "FT[01];", "FT[01];", "FT[01];", "FT[01];"},
        {"FW;", R"(FW\d{4};)", R"(FW\d{4};)", R"(FW\d{4};)", no},
        {"FW$;", R"(FW\$\d{4};)", no, no, no},
        {"IC;", "IC[\\x{80}-\\x{ff}]{5};", no, no, no},
        {"ID;", "ID017;", "ID017;", "ID019;", "ID0570;"},
        {"IF;", k3If, k2If, kwIf, yaIf},
        {"IS;", R"(IS \d{4};)", no, no, no},
        {"KP;", no, no, no, R"(KP([0-6]\d|7[0-5]);)"},
        {"MD;", "MD[1-79];", "MD[12369];", "MD[1-79];", no},
        {"MD$;", R"(MD\$[1-79];)", no, no, no},
        {"OM;", "OM [A-Z0-9-]{12};", no, no, no},
        {"PA;", "PA[01];", "PA[01];", "PA[01]0;", no},
        {"PA$;", R"(PA\$[01];)", no, no, no},
        {"RA;", "RA0[01];", "RA0[01];", "RA0[01]00;", no},
        {"RA$;", R"(RA\$0[01];)", no, no, no},
        {"SM;", R"(SM00(0\d|1\d|2[01]);)", R"(SM00(0\d|1[0-5]);)", no, no},
        {"SM$;", R"(SM\$00(0\d|1\d|2[01]);)", no, no, no},
        {"TQ;", "TQ[01];", "TQ[01];", no, no},
        {"TX;", "", "", "", "TX[01];"},
        // Parameterised queries and the meta-commands.
        {"SM0;", no, no, R"(SM0\d{4};)", R"(SM0\d{3};)"},
        {"MD0;", no, no, no, "MD0[1-9A-E];"},
        {"PA0;", "", "", "", "PA0[0-2];"}, // elsewhere: preamp off
        {"RA0;", no, no, no, "RA0[0-3];"},
        {"AI;", "AI0;", "AI0;", "AI0;", "AI0;"},
        {"K2;", "K20;", "K20;", no, no},
        {"K3;", "K30;", no, no, no},
        {"RVM;", R"(RVM\d\d\.\d\d;)", no, no, no},
        {"RVD;", R"(RVD\d\d\.\d\d;)", no, no, no},
        {"ZZ;", no, no, no, no},
    };
    for (const Row &row : rows) {
        const char *patterns[] = {row.k3, row.k2, row.kenwood, row.yaesu};
        for (int i = 0; i < 4; ++i) {
            QTest::addRow("%s %s", qPrintable(simRadioName(kTypes[i])), row.query)
                << kTypes[i] << QByteArray(row.query) << QString::fromLatin1(patterns[i]);
        }
    }
}

void TestRigModel::queryFormats()
{
    QFETCH(RigType, type);
    QFETCH(QByteArray, query);
    QFETCH(QString, pattern);
    RigModel rig(type);
    const QString reply = QString::fromLatin1(feedAll(rig, query));
    const QRegularExpression re(QRegularExpression::anchoredPattern(pattern));
    QVERIFY2(re.match(reply).hasMatch(), qPrintable(reply.toUtf8().toPercentEncoding(" ;$")));
}

void TestRigModel::settings_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char *name, RigType type, const char *commands, const char *query,
                  const QByteArray &expected) {
        QTest::newRow(name) << type << QByteArray(commands) << QByteArray(query) << expected;
    };
    const auto K3 = RigType::K3;
    row("k3 power-on IF", K3, "", "IF;", k3If("00014074000"));
    row("k3 FA moves VFO A", K3, "FA00014060000;", "FA;", "FA00014060000;");
    row("k3 FA shows in IF", K3, "FA00007074000;", "IF;", k3If("00007074000"));
    row("k3 FB", K3, "FB00003573000;", "FB;", "FB00003573000;");
    row("k3 lower case", K3, "fa00014060000;", "fa;", "FA00014060000;");
    row("k3 MD", K3, "MD3;", "MD;", "MD3;");
    row("k3 MD shows in IF", K3, "MD3;", "IF;", k3If("00014074000", "0003000001"));
    row("k3 MD$ is the sub receiver", K3, "MD$6;", "MD$;", "MD$6;");
    row("k3 MD$ leaves MD", K3, "MD$6;", "MD;", "MD2;");
    row("k3 FT split", K3, "FT1;", "IF;", k3If("00014074000", "0002001001"));
    row("k3 FR receives on B", K3, "FR1;", "IF;", k3If("00014080000", "0002100001"));
    row("k3 FR cancels split", K3, "FT1;FR0;", "FT;", "FT0;");
    row("k3 TX keys", K3, "TX;", "TQ;", "TQ1;");
    row("k3 TX in IF", K3, "TX;", "IF;", k3If("00014074000", "0012000001"));
    row("k3 S-meter reads 0 in TX", K3, "K31;TX;", "SM;", "SM0000;");
    row("k3 bar graph in TX", K3, "TX;", "BG;", "BG05T;");
    row("k3 RX unkeys", K3, "TX;RX;", "TQ;", "TQ0;");
    row("k3 PA", K3, "PA1;", "PA;", "PA1;");
    row("k3 PA$", K3, "PA$1;", "PA$;", "PA$1;");
    row("k3 RA", K3, "RA01;", "RA;", "RA01;");
    row("k3 RA$", K3, "RA$01;", "RA$;", "RA$01;");
    row("k3 DT", K3, "DT3;", "DT;", "DT3;");
    row("k3 DT in IF with K31", K3, "K31;DT2;", "IF;", k3If("00014074000", "0002000021"));
    row("k3 DT not in IF with K30", K3, "DT2;", "IF;", k3If("00014074000"));
    row("k3 BW", K3, "BW0180;", "BW;", "BW0180;");
    row("k3 BW$", K3, "BW$0050;", "BW$;", "BW$0050;");
    row("k3 FW in 10 Hz with K31", K3, "K31;BW0180;", "FW;", "FW0180;");
    row("k3 FW sets BW", K3, "K31;FW0050;", "BW;", "BW0050;");
    row("k3 FW in Hz with K30", K3, "BW0180;", "FW;", "FW1800;");
    row("k3 FW with K22 and K30", K3, "K22;BW0180;", "FW;", "FW180020;");
    row("k3 K31 overrides K22", K3, "K22;K31;", "FW;", "FW0240;");
    row("k3 SM 0-21 with K31", K3, "K31;", "SM;", "SM0005;");
    row("k3 SM 0-15 with K30", K3, "", "SM;", "SM0003;");
    row("k3 IS", K3, "IS 0150;", "IS;", "IS 0150;");
    row("k3 AI level", K3, "AI2;", "AI;", "AI2;");
    row("k3 K2 level", K3, "K22;", "K2;", "K22;");
    row("k3 K3 level", K3, "K31;", "K3;", "K31;");
    row("k3 OM is 16 characters", K3, "", "OM;", "OM AP-S----4---;");
    row("k2 FW in Hz", RigType::K2, "FW1800;", "FW;", "FW1800;");
    row("k2 FW with K22", RigType::K2, "K22;", "FW;", "FW240010;");
    row("k2 MD", RigType::K2, "MD6;", "MD;", "MD6;");
    row("k2 K23", RigType::K2, "K23;", "K2;", "K23;");
    const auto Kw = RigType::Kenwood;
    row("kenwood FA", Kw, "FA00007074000;", "FA;", "FA00007074000;");
    row("kenwood MD", Kw, "MD7;", "MD;", "MD7;");
    row("kenwood TX in IF", Kw, "TX;", "IF;", "IF00014074000     +000000000120000000;");
    row("kenwood PA main and sub", Kw, "PA1;", "PA;", "PA10;");
    row("kenwood RA", Kw, "RA01;", "RA;", "RA0100;");
    row("kenwood FW", Kw, "FW0500;", "FW;", "FW0500;");
    const auto Ya = RigType::Yaesu;
    row("yaesu power-on IF", Ya, "", "IF;", "IF001014074000+000000200000;");
    row("yaesu FA", Ya, "FA007074000;", "FA;", "FA007074000;");
    row("yaesu MD", Ya, "MD0C;", "MD0;", "MD0C;");
    row("yaesu MD in IF", Ya, "MD0C;", "IF;", "IF001014074000+000000C00000;");
    row("yaesu TX", Ya, "TX1;", "TX;", "TX1;");
    row("yaesu TX0 unkeys", Ya, "TX1;TX0;", "TX;", "TX0;");
    row("yaesu KP", Ya, "KP30;", "KP;", "KP30;");
    row("yaesu FT3 is VFO B", Ya, "FT3;", "FT;", "FT1;");
    row("yaesu AI1", Ya, "AI1;", "AI;", "AI1;");
}

void TestRigModel::settings()
{
    QFETCH(RigType, type);
    QFETCH(QByteArray, commands);
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, expected);
    RigModel rig(type);
    QVERIFY(!feedAll(rig, commands).contains('?'));
    QCOMPARE(feedAll(rig, query), expected);
}

// Malformed settings and commands a radio lacks: one "?;" and nothing changes.
void TestRigModel::rejected_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("command");

    const struct {
        RigType type;
        const char *command;
    } rows[] = {
        {RigType::K3, "FA123;"},
        {RigType::K3, "FA0001406000X;"},
        {RigType::K3, "FA000140600000;"},
        {RigType::K3, "MD8;"},
        {RigType::K3, "MD0;"},
        {RigType::K3, "MD33;"},
        {RigType::K3, "DT4;"},
        {RigType::K3, "FR2;"},
        {RigType::K3, "AI3;"},
        {RigType::K3, "K24;"},
        {RigType::K3, "K32;"},
        {RigType::K3, "TX1;"},
        {RigType::K3, "RX1;"},
        {RigType::K3, "BW12;"},
        {RigType::K3, "FW00500;"},
        {RigType::K3, "CW60;"},
        {RigType::K3, "SM0005;"},
        {RigType::K3, "IF00014074000;"},
        {RigType::K3, "RV;"},
        {RigType::K3, "RVX;"},
        {RigType::K3, "F;"},
        {RigType::K3, "$;"},
        {RigType::K3, "FA$;"},
        {RigType::K3, "KP10;"},
        {RigType::K3, "\x01\xff;"},
        {RigType::K2, "BW0200;"},
        {RigType::K2, "K31;"},
        {RigType::K2, "MD4;"},
        {RigType::Kenwood, "SM;"},
        {RigType::Kenwood, "TQ;"},
        {RigType::Kenwood, "TX3;"},
        {RigType::Yaesu, "AI2;"},
        {RigType::Yaesu, "MD2;"},
        {RigType::Yaesu, "FR0;"},
        {RigType::Yaesu, "TX5;"},
        {RigType::Yaesu, "RX;"},
        {RigType::Yaesu, "FA00014060000;"},
    };
    for (const auto &row : rows) {
        QTest::addRow("%s %s", qPrintable(simRadioName(row.type)),
                      QByteArray(row.command).toPercentEncoding(";$").constData())
            << row.type << QByteArray(row.command);
    }
}

void TestRigModel::rejected()
{
    QFETCH(RigType, type);
    QFETCH(QByteArray, command);
    RigModel rig(type);
    const QByteArray status = type == RigType::Yaesu ? "IF;FB;FT;TX;KP;" : "IF;FB;FW;PA;RA;";
    const QByteArray before = feedAll(rig, status);
    QCOMPARE(feedAll(rig, command), QByteArray("?;"));
    QCOMPARE(feedAll(rig, status), before);
}

// What each radio sends unasked after the operator changes something, at each AI level.
void TestRigModel::frontPanelReports_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char *name, RigType type, const char *setup, const char *event,
                  const QByteArray &expected) {
        QTest::newRow(name) << type << QByteArray(setup) << QString::fromLatin1(event) << expected;
    };
    const auto K3 = RigType::K3;
    row("k3 AI0 is quiet", K3, "AI0;", "vfoA", "");
    row("k3 AI1 sends IF", K3, "AI1;", "vfoA", k3If("00007074000"));
    row("k3 AI1 ignores TX", K3, "AI1;", "tx", "");
    row("k3 AI2 VFO A", K3, "AI2;", "vfoA", "FA00007074000;");
    row("k3 AI2 VFO B", K3, "AI2;", "vfoB", "FB00003573000;");
    row("k3 AI2 mode", K3, "AI2;", "mode", "MD3;");
    row("k3 AI2 transmit", K3, "AI2;", "tx", "TQ1;");
    row("k3 AI2 width gives FW and IS", K3, "AI2;K31;", "width", "FW0180;IS 0000;");
    row("k3 AI2 attenuator", K3, "AI2;", "att", "RA01;");
    row("k2 AI2 VFO A", RigType::K2, "AI2;", "vfoA", "FA00007074000;");
    row("kenwood AI2 transmit", RigType::Kenwood, "AI2;", "tx",
        "IF00014074000     +000000000120000000;");
    row("yaesu AI1 VFO A", RigType::Yaesu, "AI1;", "vfoA", "IF001007074000+000000200000;");
}

void TestRigModel::frontPanelReports()
{
    QFETCH(RigType, type);
    QFETCH(QByteArray, setup);
    QFETCH(QString, event);
    QFETCH(QByteArray, expected);
    RigModel rig(type);
    rig.feed(setup);
    QByteArrayList out;
    if (event == u"vfoA")
        out = rig.turnVfoA(7074000);
    else if (event == u"vfoB")
        out = rig.turnVfoB(3573000);
    else if (event == u"mode")
        out = rig.selectMode('3');
    else if (event == u"tx")
        out = rig.setTransmit(true);
    else if (event == u"width")
        out = rig.setFilterWidth(1800);
    else if (event == u"att")
        out = rig.setAttenuator(true);
    QCOMPARE(joined(out), expected);
}

// Changes made by command: AI1 reports frequency and mode changes, AI2 does not echo them.
void TestRigModel::commandReports_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("AI1 sends IF at once")
        << QByteArray() << QByteArray("AI1;") << k3If("00014074000");
    QTest::newRow("AI1 FA") << QByteArray("AI1;") << QByteArray("FA00007074000;")
                            << k3If("00007074000");
    QTest::newRow("AI1 MD") << QByteArray("AI1;") << QByteArray("MD3;")
                            << k3If("00014074000", "0003000001");
    QTest::newRow("AI1 PA") << QByteArray("AI1;") << QByteArray("PA1;") << QByteArray();
    QTest::newRow("AI2 FA") << QByteArray("AI2;") << QByteArray("FA00007074000;") << QByteArray();
    QTest::newRow("AI0 MD") << QByteArray("AI0;") << QByteArray("MD3;") << QByteArray();
}

void TestRigModel::commandReports()
{
    QFETCH(QByteArray, setup);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, expected);
    RigModel rig(RigType::K3);
    rig.feed(setup);
    QCOMPARE(feedAll(rig, command), expected);
}

void TestRigModel::framing_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<qsizetype>("pending");

    const QByteArray fa = "FA00014074000;";
    const QByteArray fb = "FB00014080000;";
    QTest::newRow("one byte at a time") << QByteArrayList{"F", "A", ";"} << fa << qsizetype(0);
    QTest::newRow("two in one") << QByteArrayList{"FA;FB;"} << fa + fb << qsizetype(0);
    QTest::newRow("split across feeds") << QByteArrayList{"FA;F", "B;"} << fa + fb << qsizetype(0);
    QTest::newRow("tail waits") << QByteArrayList{"FA;FB"} << fa << qsizetype(2);
    QTest::newRow("line ends ignored") << QByteArrayList{"\r\nFA;\r\n"} << fa << qsizetype(2);
    QTest::newRow("empty commands") << QByteArrayList{";;", " ;"} << QByteArray() << qsizetype(0);
    QTest::newRow("error then good") << QByteArrayList{"QQ;FA;"} << "?;" + fa << qsizetype(0);
}

void TestRigModel::framing()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArray, expected);
    QFETCH(qsizetype, pending);
    RigModel rig;
    QByteArray out;
    for (const QByteArray &chunk : chunks)
        out += feedAll(rig, chunk);
    QCOMPARE(out, expected);
    QCOMPARE(rig.pendingLength(), pending);
}

void TestRigModel::garbageIsBounded()
{
    RigModel rig;
    const QByteArray junk(4096, 'x');
    for (int i = 0; i < 256; ++i) {
        QVERIFY(rig.feed(junk).isEmpty());
        QVERIFY(rig.pendingLength() <= RigModel::kMaxCommandLength);
    }
    // The endless command gets one error when it finally ends; the next one is served.
    QCOMPARE(feedAll(rig, ";FA;"), QByteArray("?;FA00014074000;"));
    QCOMPARE(rig.pendingLength(), 0);
}

void TestRigModel::silent()
{
    RigModel rig;
    rig.feed("AI2;F");
    rig.setSilent(true);
    QVERIFY(rig.feed("A;FA00007000000;").isEmpty());
    QVERIFY(rig.turnVfoA(3500000).isEmpty());
    rig.setSilent(false);
    // Nothing said to the radio while it was off took effect, and the half command is gone.
    QCOMPARE(feedAll(rig, "FA;"), QByteArray("FA00003500000;"));
}

QTEST_GUILESS_MAIN(TestRigModel)
#include "tst_rig_model.moc"
