// The simulated radios: each model's tables, its reply formats, settings, errors,
// auto-information, power and framing.

#include "cat_handlers.h"
#include "rig_model.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

QByteArray feedAll(RigModel &rig, const QByteArray &text)
{
    return rig.feed(text).join();
}
QByteArray bytes(std::string_view text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

const char *const kAllModels[] = {"k3",      "k3s",   "kx3",    "kx2",      "k2",    "ts2000",
                                  "ts590sg", "ts480", "ft991a", "ftdx101d", "ft891", "ft710"};

// Rows of text columns, the first a model, each row named by its number and first two texts.
void addRows(std::initializer_list<const char *> columns,
             std::initializer_list<std::initializer_list<const char *>> rows)
{
    for (const char *c : columns)
        QTest::addColumn<QByteArray>(c);
    int n = 0;
    for (const auto &row : rows) {
        QTestData &data = QTest::addRow("%d %s %s", ++n, row.begin()[0], row.begin()[1]);
        for (const char *text : row)
            data << QByteArray(text);
    }
}

} // namespace

class TestRigModel : public QObject {
    Q_OBJECT
private slots:
    void catalogue()
    {
        // The Icom radios, which speak CI-V, have a test of their own.
        QCOMPARE(std::count_if(allRadios().begin(), allRadios().end(),
                               [](const RadioModel *r) { return !r->civ; }),
                 std::ssize(kAllModels));
        QCOMPARE(findRadio("FT-991A"), findRadio("ft991a"));
        QVERIFY(!findRadio("ft1000"));
        QCOMPARE(bytes(defaultRadio(RigType::K3).key), QByteArray("k3"));
        QCOMPARE(bytes(defaultRadio(RigType::K2).key), QByteArray("k2"));
        QCOMPARE(bytes(defaultRadio(RigType::Kenwood).key), QByteArray("ts2000"));
        QCOMPARE(bytes(RigModel(RigType::Yaesu).radio().key), QByteArray("ft991a"));
    }

    void tablesAreSound_data()
    {
        QTest::addColumn<QByteArray>("model");
        for (const char *key : kAllModels)
            QTest::newRow(key) << QByteArray(key);
    }

    // A typo in a table (a power-on value out of range, a row without the handler half its
    // access needs, a name twice) shows here rather than as a strange reply. Every row a radio
    // reads answers with its own name, a stored number at its width; a stored setting takes its
    // highest value and refuses one beyond (power is kept at the highest).
    void tablesAreSound()
    {
        QFETCH(QByteArray, model);
        const RadioModel &r = *findRadio(model);
        static const QRegularExpression name(QStringLiteral("^[A-Z][A-Z0-9]+\\$?$"));
        for (const CatTable &table : r.tables) {
            QSet<QByteArray> names;
            for (const CatCommand &c : table) {
                const QByteArray n = bytes(c.name);
                const bool stored =
                    c.handler == &cat::kStoredNumber || c.handler == &cat::kClampedNumber;
                QVERIFY2(name.match(QString::fromLatin1(n)).hasMatch() && !names.contains(n), n);
                names.insert(n);
                QVERIFY2(c.handler && (c.access == Access::Set || c.handler->read), n);
                QVERIFY2((c.access != Access::Set && c.access != Access::ReadSet) || c.handler->set,
                         n);
                const std::optional<int> v = cat::digits(bytes(c.text), c.width);
                QVERIFY2(!stored || (v && *v >= c.min && *v <= c.max), n);
                if (r.row(c.name) != &c) // a shared row the radio overrides
                    continue;
                if (c.access != Access::Set && c.access != Access::ReadSelect) {
                    RigModel rig(r);
                    const QByteArray reply = feedAll(rig, n + ';');
                    QVERIFY2(reply.startsWith(n) && reply.endsWith(';') && reply.count(';') == 1,
                             n + ": " + reply);
                    QVERIFY2(!stored || reply.size() == n.size() + c.width + 1, reply);
                }
                if (!stored || c.access != Access::ReadSet)
                    continue;
                RigModel rig(r);
                const QByteArray highest = n + cat::padded(c.max, c.width) + ';';
                QCOMPARE(feedAll(rig, highest + n + ';'), highest);
                if (c.max + 1 < int(std::pow(10, c.width))) {
                    const QByteArray beyond = n + cat::padded(c.max + 1, c.width) + ';';
                    const QByteArray refusal = c.handler == &cat::kClampedNumber ? "" : "?;";
                    QCOMPARE(feedAll(rig, beyond + n + ';'), refusal + highest);
                }
                QCOMPARE(feedAll(rig, n + ';' + n + "X;"), highest + "?;");
            }
        }
        for (const char *required : {"ID", "IF", "FA", "FB", "PS", "AI"})
            QVERIFY2(r.row(required), required);
        QVERIFY(r.row("MD") || r.row("MD0"));
        QCOMPARE(bytes(r.error), QByteArray("?;"));
    }

    // The facts of each radio's replies, as its programmer's reference gives them (a K3's TX;
    // keys it and has no reply): a pattern ("~" first) or the exact text, settings among them.
    void exchanges_data()
    {
        addRows(
            {"model", "fed", "answer"},
            {
                {"k3", "ID;OM;IF;FA;MD$;K2;K3;RVM;RVX;BW;FW;SM;SMH;BG;IS;IC;TQ;RA;PC;TX;",
                 R"(~ID017;OM AP-S--------;IF\d{11} {5}[+-]\d{4}[01][01] 00[01][1-79][01]0[01][01][0-3]1 ;FA\d{11};MD\$[1-79];K20;K30;RVM\d\d\.\d\d;RVX99\.99;BW\d{4};FW\d{4};SM00(0\d|1[0-5]);SMH\d{3};BG\d\d[RT];IS \d{4};IC[\x{80}-\x{ff}]{5};TQ0;RA\d\d;PC\d{3};)"},
                {"k3s", "OM;", "OM AP-S-----R--;"},
                {"kx3", "OM;RVA;PO;", R"(~OM A---------02;RVA99\.99;PO\d{3};)"},
                {"kx2", "OM;IF;FI;",
                 R"(~OM A---------01;IF\d{11} {5}[+-]\d{4}[01][01] 00[01][1-79][01]0[01][01][0-3]1 ;FI\d{4};)"},
                {"k2", "ID;IF;BG;MD;",
                 R"(~ID017;IF\d{11} {5}[+-]\d{4}[01][01] 00[01][1-79][01]0[01][01]01 ;BG\d\d;MD[123679];)"},
                {"ts2000", "ID;IF;FA;PA;RA;SM0;FW;TX;",
                 R"(~ID019;IF\d{11} {5}[+-]\d{4}[01][01]\d{3}[01][1-79][01]0[01]\d{4};FA\d{11};PA[01]0;RA\d\d00;SM0\d{4};FW\d{4};)"},
                {"ts590sg", "ID;PA;DA;", "~ID023;PA[01];DA[01];"},
                {"ts480", "ID;IF;PA;",
                 R"(~ID020;IF\d{11} {5}[+-]\d{4}[01][01]\d{3}[01][1-79][01]0[01]\d{4};PA[01]0;)"},
                {"ft991a", "ID;IF;FA;MD0;FT;EX032;SH0;NA0;SM0;KP;TX;",
                 R"(~ID0670;IF\d{3}\d{9}[+-]\d{4}[01][01][1-9A-E]0[0-2]00[0-2];FA\d{9};MD0[1-9A-E];FT[01];EX032[0-3];SH0\d\d;NA0[01];SM0\d{3};KP\d\d;TX0;)"},
                {"ftdx101d", "ID;FR;VS;SH0;", R"(~ID0681;FR(01|10);VS[01];SH00\d\d;)"},
                {"ft891", "ID;ST;EX0507;", "~ID0650;ST[0-2];EX0507[0-3];"},
                {"ft710", "ID;OI;",
                 R"(~ID0800;OI\d{3}\d{9}[+-]\d{4}[01][01][1-9A-E]0[0-2]00[0-2];)"},
                // Settings and the reads that show them; a setting answers nothing.
                {"k3", "FA00007074000;IF;", "IF00007074000     +000000 0002000001 ;"},
                {"k3", "MD$6;MD;MD$;", "MD2;MD$6;"},
                {"k3", "FT1;IF;", "IF00014074000     +000000 0002001001 ;"},
                {"k3", "FT1;FR0;FT;", "FT0;"},
                {"k3", "TX;TQ;IF;RX;TQ;", "TQ1;IF00014074000     +000000 0012000001 ;TQ0;"},
                {"k3", "BW0180;FW;K31;FW;", "FW1800;FW0180;"},
                {"k3", "K22;BW0180;FW;FW00003;BW;", "FW180020;BW0050;"},
                {"k3", "K21;MD6;MD;", "MD1;"},
                {"k3", "K31;DT2;IF;", "IF00014074000     +000000 0002000021 ;"},
                {"k3", "K22;PC0100;PC;PC100;PC;", "PC0100;PC1001;"},
                {"k3", "RO-0150;RT1;IF;", "IF00014074000     -015010 0002000001 ;"},
                {"k3", "BN03;FA;BN;", "FA00007074000;BN03;"},
                {"k2", "FR1;IF;", "IF00014080000     +000000 0002100001 ;"},
                {"ts2000", "TX;IF;RX;TX0;IF;",
                 "IF00014074000     +000000000120000000;IF00014074000     "
                 "+000000000120000000;"},
                {"ts2000", "FR1;FT1;IF;", "IF00014080000     +000000000021000000;"},
                {"ft991a", "MD0C;MD0;IF;", "MD0C;IF001014074000+000000C00000;"},
                {"ft991a", "FT3;FT;FT2;FT;", "FT1;FT0;"},
                {"ft991a", "FA007074000;MD03;AB;FB;OI;",
                 "FB007074000;OI001007074000+000000300000;"},
                {"ftdx101d", "ST1;ST;FT;TX1;FT;", "ST1;FT0;FT1;"},
                {"ft891", "ST2;ST;FB;", "ST1;FB014079000;"},
                {"ts590sg", "SF0000070740003;FA;MD;SF0;", "FA00007074000;MD3;SF0000070740003;"},
                {"ft891", "MD0;EX1107;MD01;EX1107;", "MD02;EX11070;EX11071;"},
                {"ft891", "EX11071;MD0;", "MD01;"},
                {"ft991a", "FT3;RI6;RI7;", "RI61;RI71;"},
                {"ftdx101d", "FR10;FR;VS;", "FR10;VS1;"},
                {"ftdx101d", "FT3;ST;FT;", "ST1;FT0;"},
                {"ft991a", "TX1;TX;TX0;TX;", "TX1;TX0;"},
            });
    }

    void exchanges()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, fed);
        QFETCH(QByteArray, answer);
        RigModel rig(*findRadio(model));
        const QByteArray reply = feedAll(rig, fed);
        if (!answer.startsWith('~'))
            QCOMPARE(reply, answer);
        else
            QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(answer.mid(1)))
                         .match(QString::fromLatin1(reply))
                         .hasMatch(),
                     reply.toPercentEncoding(" ;$"));
    }

    // The reads Hamlib (4.5 and 4.7) and flrig send each radio while opening and polling it:
    // every one has its answer.
    void clientReads_data()
    {
#define K3_READS "ID;OM;K2;K3;RVM;RVD;AI;PS;FA;FB;IF;MD;MD$;BW;BW$;FW;FW$;KS;TQ;SM;SMH;SW;PC;PA;"
#define K3_MORE "RA;AG;RG;MG;NB;IS;SQ;CP;GT;ML;AN;AP;LK;VX;RT;XT;SB;ES;NL;"
#define KENWOOD_READS "ID;PS;IF;AI;FA;FB;MD;FW;KS;FR;FT;SH;SL;PA;RA;PC;AG0;NB;MG;SQ0;RG;SM0;NR;"
#define YAESU_READS "PS;AI;ID;FA;FB;IF;MD0;SH0;TX;KS;SM0;PC;PA0;RA0;AG0;RG0;NB0;SQ0;BC0;IS0;BP00;"
#define YAESU_MORE "NR0;RL0;MG;BI;GT0;AC;NL0;PL;PR0;KP;KR;VX;VG;"
        addRows({"model", "queries"},
                {
                    {"k3", K3_READS K3_MORE "RVA;RVR;RVF;TM;DV;FI;AR;LN;"},
                    {"k3s", K3_READS K3_MORE "TM;"},
                    {"kx3", K3_READS K3_MORE "PO;BN;"},
                    {"kx2", K3_READS K3_MORE "PO;BN;"},
                    {"k2", "ID;K2;AI;PS;IF;FA;FB;MD;FW;KS;PC;PA;RA;BG;GT;SM;TQ;NB;LK;AN;"},
                    {"ts2000", KENWOOD_READS "BC;AC;RL;RM;AG1;EX0120000;GT;NT;SA;"},
                    {"ts590sg", KENWOOD_READS "BC;AC;RL;RM;DA;NT;SF0;SF1;"},
                    {"ts480", KENWOOD_READS "BC;AC;RL;RM;EX0120000;EX0450000;GT;IS;"},
                    {"ft991a", YAESU_READS YAESU_MORE "EX032;EX039;OI;FT;NA0;RI6;RI7;RM8;"},
                    {"ftdx101d", YAESU_READS YAESU_MORE "VS;ST;FT;MD1;SH1;BC1;IS1;BP10;NB1;RF0;"
                                                        "RM8;"},
                    {"ft891", YAESU_READS YAESU_MORE "ST;NA0;EX1107;EX0707;EX1011;EX0812;"},
                    {"ft710", YAESU_READS YAESU_MORE "VS;ST;FT;CF000;CF001;"},
                });
    }

    void clientReads()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, queries);
        for (const QByteArray &q : queries.chopped(1).split(';')) {
            RigModel rig(*findRadio(model));
            const QByteArray reply = feedAll(rig, q + ';');
            QVERIFY2(reply.startsWith(q) && reply.count(';') == 1, q + ": " + reply);
        }
    }

    // Malformed settings, and commands and queries a radio lacks: its error reply, and nothing
    // changes.
    void rejected_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("command");
        for (const char *key : kAllModels)
            QTest::addRow("%s unknown", key) << QByteArray(key) << QByteArray("ZZ;");
        const std::pair<const char *, const char *> rows[] = {
            // Commands and queries the radio lacks.
            {"k3", "PO; KP; RV; F; $; FA$; \x01\xff;"},
            {"k2", "OM; K3; BW; BW0200; K31; UP5;"},
            {"ft991a", "MD; FR; FR0; VS; RX; EX999;"},
            // Settings out of range or of the wrong shape.
            {"k3", "FA123; FA0001406000X; FA000140600000; IF00014074000; SM0005; MD8; MD0; MD33; "
                   "DT4; FR2; AI4; K24; K32; TX1; RX1;"},
            {"ft991a", "AI2; MD2; TX2; FA00014060000; EX0324; SH099;"},
            {"ft891", "EX11072; IS0+0120; IS01+012;"},
            {"ts590sg", "SF0000070740008; SF000007074000;"},
            {"ft710", "SH016;"}, // Hamlib 4.5.4's width command for the FT-710 lacks a digit
        };
        for (const auto &[model, commands] : rows) {
            for (const QByteArray &command : QByteArray(commands).split(' '))
                QTest::addRow("%s %s", model, command.toPercentEncoding(";$").constData())
                    << QByteArray(model) << command;
        }
    }

    void rejected()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, command);
        RigModel rig(*findRadio(model));
        const QByteArray status =
            rig.type() == RigType::Yaesu ? "IF;OI;FT;TX;KP;MD0;SH0;" : "IF;FB;FW;PA;RA;AI;";
        const QByteArray before = feedAll(rig, status);
        QCOMPARE(feedAll(rig, command), QByteArray("?;").repeated(command.count(';')));
        QCOMPARE(feedAll(rig, status), before);
    }

    // What each radio sends unasked after the operator (a word) or a program (a command)
    // changes something, at each AI level: AI1 reports a program's settings on Elecraft and
    // Kenwood radios, AI2 never echoes them (a K3 reports front-panel events only).
    void reports_data()
    {
        addRows({"model", "setup", "event", "expected"},
                {
                    {"k3", "AI0;", "vfoA", ""},
                    {"k3", "AI1;", "vfoA", "IF00007074000     +000000 0002000001 ;"},
                    {"k3", "AI1;", "tx", ""},
                    {"k3", "AI1;K22;", "vfoA", "IF00007074000     +000000 0002000101 ;"},
                    {"k3", "AI2;", "vfoA", "FA00007074000;"},
                    {"k3", "AI2;", "mode", "MD3;"},
                    {"k3", "AI2;", "tx", "TQ1;"},
                    {"k3", "AI2;K31;", "width", "FW0180;IS 0000;"},
                    {"k3", "AI2;", "split", "IF00014074000     +000000 0002001001 ;"},
                    {"ts2000", "AI2;", "tx", "IF00014074000     +000000000120000000;"},
                    {"ts480", "AI1;", "vfoA", "IF00007074000     +000000000020000000;"},
                    {"ft991a", "AI1;", "vfoA", "IF001007074000+000000200000;"},
                    {"ft991a", "AI1;", "tx", "TX2;"},
                    {"ft991a", "AI1;", "split", "FT1;"},
                    {"ft891", "AI1;", "split", "ST1;"},
                    {"ftdx101d", "AI1;", "split", "ST1;FT0;"},
                    {"ft710", "", "tx", ""},
                    {"k3", "", "AI1;", "IF00014074000     +000000 0002000001 ;"},
                    {"k3", "AI1;", "FA00007074000;", "IF00007074000     +000000 0002000001 ;"},
                    {"k3", "AI2;", "FA00007074000;", ""},
                    {"k3", "AI2;", "TX;", ""},
                    {"ts2000", "AI1;", "MD3;", "IF00014074000     +000000000030000000;"},
                    {"ft991a", "AI1;", "FA007074000;", ""},
                });
    }

    void reports()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, event);
        QFETCH(QByteArray, expected);
        RigModel rig(*findRadio(model));
        rig.feed(setup);
        const QByteArrayList out = event == "vfoA"    ? rig.turnVfoA(7074000)
                                   : event == "mode"  ? rig.selectMode('3')
                                   : event == "tx"    ? rig.setTransmit(true)
                                   : event == "width" ? rig.setFilterWidth(1800)
                                   : event == "split" ? rig.setSplit(true)
                                                      : rig.feed(event);
        QCOMPARE(out.join(), expected);
    }

    // PS0 switches a radio off; only Kenwood and Yaesu radios can be woken with PS1 (a K3 needs
    // its power line). Power-up starts at AI0, K20, K30 and keeps the VFOs.
    void power()
    {
        for (const char *model : {"k3", "k2", "ts590sg", "ft991a"}) {
            RigModel rig(*findRadio(model));
            rig.feed("AI1;");
            QCOMPARE(feedAll(rig, "PS0;FA;PS;"), QByteArray());
            QVERIFY(!rig.isPoweredOn());
            QVERIFY(rig.turnVfoA(14074000).isEmpty());
            QCOMPARE(feedAll(rig, ";;;;PS1;"), QByteArray());
            QCOMPARE(rig.isPoweredOn(), model[0] != 'k');
            rig.setPower(true);
            QCOMPARE(feedAll(rig, "PS;AI;"), QByteArray("PS1;AI0;"));
            QCOMPARE(rig.vfoA(), qint64(14074000));
        }
    }

    // Chunks split by '|' fed in turn, what comes back and how much waits.
    void framing_data()
    {
        QTest::addColumn<QByteArray>("chunks");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("pending");
        const QByteArray fa = "FA00014074000;";
        QTest::newRow("one byte at a time") << QByteArray("F|A|;") << fa << 0;
        QTest::newRow("split across feeds") << QByteArray("FA;F|B;") << fa + "FB00014080000;" << 0;
        QTest::newRow("tail waits") << QByteArray("FA;FB") << fa << 2;
        QTest::newRow("line ends ignored") << QByteArray("\r\nFA;\r\n") << fa << 2;
        QTest::newRow("empty commands") << QByteArray(";;| ;") << QByteArray() << 0;
        QTest::newRow("error then good") << QByteArray("QQ;FA;") << "?;" + fa << 0;
        QTest::newRow("text keeps its spaces")
            << QByteArray("KY  ;IS 0100;IS;") << QByteArray("IS 0100;") << 0;
    }

    void framing()
    {
        QFETCH(QByteArray, chunks);
        QFETCH(QByteArray, expected);
        QFETCH(int, pending);
        RigModel rig;
        QByteArray out;
        for (const QByteArray &chunk : chunks.split('|'))
            out += feedAll(rig, chunk);
        QCOMPARE(out, expected);
        QCOMPARE(rig.pendingLength(), pending);
    }

    void garbageAndSilence()
    {
        RigModel rig;
        for (int i = 0; i < 256; ++i) {
            QVERIFY(rig.feed(QByteArray(4096, 'x')).isEmpty());
            QVERIFY(rig.pendingLength() <= RigModel::kMaxCommandLength);
        }
        // The endless command gets one error when it finally ends; the next one is served.
        QCOMPARE(feedAll(rig, ";FA;"), QByteArray("?;FA00014074000;"));
        QCOMPARE(rig.pendingLength(), 0);
        // A radio whose cable was pulled: nothing said to it meanwhile took effect, the half
        // command is gone, and it kept its settings (AI2).
        rig.feed("AI2;F");
        rig.setSilent(true);
        QVERIFY(rig.feed("A;FA00007000000;").isEmpty());
        QVERIFY(rig.turnVfoA(3500000).isEmpty());
        rig.setSilent(false);
        QCOMPARE(feedAll(rig, "FA;AI;"), QByteArray("FA00003500000;AI2;"));
    }
};

QTEST_GUILESS_MAIN(TestRigModel)
#include "tst_rig_model.moc"
