// The simulated radios: every model's table, its reply formats, settings, errors,
// auto-information, meta-command levels, power and framing.

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

const RadioModel &radio(const char *key)
{
    const RadioModel *r = findRadio(key);
    Q_ASSERT(r);
    return *r;
}

// Every row of a radio, its own first.
QList<const CatCommand *> rowsOf(const RadioModel &r)
{
    QList<const CatCommand *> rows;
    for (const CatTable &table : r.tables) {
        for (const CatCommand &c : table) {
            if (r.row(c.name) == &c) // a shared row the radio overrides is not its row
                rows.append(&c);
        }
    }
    return rows;
}

bool isStoredNumber(const CatCommand &c)
{
    return c.handler == &cat::kStoredNumber || c.handler == &cat::kClampedNumber;
}

const char *const kAllModels[] = {"k3",      "k3s",   "kx3",    "kx2",      "k2",    "ts2000",
                                  "ts590sg", "ts480", "ft991a", "ftdx101d", "ft891", "ft710"};

} // namespace

class TestRigModel : public QObject {
    Q_OBJECT
private slots:
    void catalogue();
    void tablesAreSound_data();
    void tablesAreSound();
    void everyReadableRowAnswers_data();
    void everyReadableRowAnswers();
    void replyFormats_data();
    void replyFormats();
    void clientReads_data();
    void clientReads();
    void storedSettingsReadBack_data();
    void storedSettingsReadBack();
    void settings_data();
    void settings();
    void rejected_data();
    void rejected();
    void frontPanelReports_data();
    void frontPanelReports();
    void commandReports_data();
    void commandReports();
    void power_data();
    void power();
    void framing_data();
    void framing();
    void garbageIsBounded();
    void silent();
};

void TestRigModel::catalogue()
{
    // The Icom radios, which speak CI-V, have a test of their own.
    const auto textRadios = std::count_if(allRadios().begin(), allRadios().end(),
                                          [](const RadioModel *r) { return !r->civ; });
    QCOMPARE(qsizetype(textRadios), qsizetype(std::size(kAllModels)));
    for (const char *key : kAllModels)
        QVERIFY2(findRadio(key), key);
    QCOMPARE(findRadio("FT-991A"), findRadio("ft991a"));
    QVERIFY(!findRadio("ft1000"));
    QCOMPARE(bytes(defaultRadio(RigType::K3).key), QByteArray("k3"));
    QCOMPARE(bytes(defaultRadio(RigType::K2).key), QByteArray("k2"));
    QCOMPARE(bytes(defaultRadio(RigType::Kenwood).key), QByteArray("ts2000"));
    QCOMPARE(bytes(defaultRadio(RigType::Yaesu).key), QByteArray("ft991a"));
    QCOMPARE(bytes(RigModel(RigType::Yaesu).radio().key), QByteArray("ft991a"));
}

// A typo in a table (a power-on value out of its range, a row without the handler half its
// access needs, a name twice) shows here rather than as a strange reply.
void TestRigModel::tablesAreSound_data()
{
    QTest::addColumn<QByteArray>("model");
    for (const char *key : kAllModels)
        QTest::newRow(key) << QByteArray(key);
}

void TestRigModel::tablesAreSound()
{
    QFETCH(QByteArray, model);
    const RadioModel &r = radio(model);
    const QRegularExpression name(QStringLiteral("^[A-Z][A-Z0-9]+\\$?$"));
    for (const CatTable &table : r.tables) {
        QSet<QByteArray> names;
        for (const CatCommand &c : table) {
            const QByteArray n = bytes(c.name);
            QVERIFY2(name.match(QString::fromLatin1(n)).hasMatch(), n);
            QVERIFY2(!names.contains(n), n);
            names.insert(n);
            QVERIFY2(c.handler, n);
            if (c.access != Access::Set)
                QVERIFY2(c.handler->read, n);
            if (c.access == Access::Set || c.access == Access::ReadSet)
                QVERIFY2(c.handler->set, n);
            if (isStoredNumber(c)) {
                const std::optional<int> v = cat::digits(bytes(c.text), c.width);
                QVERIFY2(v && *v >= c.min && *v <= c.max, n);
            }
        }
    }
    for (const char *required : {"ID", "IF", "FA", "FB", "PS", "AI"})
        QVERIFY2(r.row(required), required);
    QVERIFY(r.row("MD") || r.row("MD0"));
    QCOMPARE(bytes(r.error), QByteArray("?;"));
}

// Every command a radio's table lists answers with its own name, never the error; a stored
// setting has exactly its width.
void TestRigModel::everyReadableRowAnswers_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("width"); // -1: not a stored setting
    for (const char *key : kAllModels) {
        for (const CatCommand *c : rowsOf(radio(key))) {
            if (c->access == Access::Set || c->access == Access::ReadSelect)
                continue;
            QTest::addRow("%s %s", key, c->name.data())
                << QByteArray(key) << bytes(c->name) << (isStoredNumber(*c) ? c->width : -1);
        }
    }
}

void TestRigModel::everyReadableRowAnswers()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, name);
    QFETCH(int, width);
    RigModel rig(radio(model));
    const QByteArray reply = feedAll(rig, name + ';');
    QVERIFY2(reply.startsWith(name) && reply.endsWith(';') && reply.count(';') == 1, reply);
    if (width >= 0)
        QCOMPARE(reply.size(), name.size() + width + 1);
}

// The facts of each radio's replies, as its programmer's reference gives them.
void TestRigModel::replyFormats_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("pattern");

    const char *elecraftIf = R"(IF\d{11} {5}[+-]\d{4}[01][01] 00[01][1-79][01]0[01][01][0-3]1 ;)";
    const char *k2If = R"(IF\d{11} {5}[+-]\d{4}[01][01] 00[01][1-79][01]0[01][01]01 ;)";
    const char *kenwoodIf = R"(IF\d{11} {5}[+-]\d{4}[01][01]\d{3}[01][1-79][01]0[01]\d{4};)";
    const char *yaesuIf = R"(IF\d{3}\d{9}[+-]\d{4}[01][01][1-9A-E]0[0-2]00[0-2];)";
    struct Row {
        const char *model, *query, *pattern;
    };
    const Row rows[] = {
        // The K3 generation: one ID, told apart by OM (no '4': that is a K4).
        {"k3", "ID;", "ID017;"},
        {"k3", "OM;", "OM AP-S--------;"},
        {"k3s", "OM;", "OM AP-S-----R--;"},
        {"kx3", "OM;", "OM A---------02;"},
        {"kx2", "OM;", "OM A---------01;"},
        {"k3", "IF;", elecraftIf},
        {"kx2", "IF;", elecraftIf},
        {"k3", "FA;", R"(FA\d{11};)"},
        {"k3", "MD$;", R"(MD\$[1-79];)"},
        {"k3", "K2;", "K20;"},
        {"k3", "K3;", "K30;"},
        {"k3", "RVM;", R"(RVM\d\d\.\d\d;)"},
        {"k3", "RVX;", R"(RVX99\.99;)"},
        {"kx3", "RVA;", R"(RVA99\.99;)"},
        {"k3", "BW;", R"(BW\d{4};)"},
        {"k3", "FW;", R"(FW\d{4};)"},
        {"k3", "SM;", R"(SM00(0\d|1[0-5]);)"},
        {"k3", "SMH;", R"(SMH\d{3};)"},
        {"k3", "BG;", R"(BG\d\d[RT];)"},
        {"k3", "IS;", R"(IS \d{4};)"},
        {"k3", "IC;", "IC[\\x{80}-\\x{ff}]{5};"},
        {"k3", "TQ;", "TQ0;"},
        {"k3", "RA;", R"(RA\d\d;)"},
        {"k3", "PC;", R"(PC\d{3};)"},
        {"kx3", "PO;", R"(PO\d{3};)"},
        {"kx2", "FI;", R"(FI\d{4};)"}, // the KX radios answer every K3 command
        {"k3", "TX;", ""},             // keys the transmitter; no reply
        // The K2: its own IF, BG and modes.
        {"k2", "ID;", "ID017;"},
        {"k2", "IF;", k2If},
        {"k2", "BG;", R"(BG\d\d;)"},
        {"k2", "MD;", "MD[123679];"},
        // Kenwood.
        {"ts2000", "ID;", "ID019;"},
        {"ts590sg", "ID;", "ID023;"},
        {"ts480", "ID;", "ID020;"},
        {"ts2000", "IF;", kenwoodIf},
        {"ts480", "IF;", kenwoodIf},
        {"ts2000", "FA;", R"(FA\d{11};)"},
        {"ts2000", "PA;", R"(PA[01]0;)"},
        {"ts590sg", "PA;", "PA[01];"},
        {"ts480", "PA;", R"(PA[01]0;)"},
        {"ts2000", "RA;", R"(RA\d\d00;)"},
        {"ts2000", "SM0;", R"(SM0\d{4};)"},
        {"ts590sg", "DA;", "DA[01];"},
        {"ts2000", "FW;", R"(FW\d{4};)"},
        {"ts2000", "TX;", ""},
        // Yaesu: 9-digit frequencies, 28-character IF, the receiver in MD0, FR only where the
        // radio has it.
        {"ft991a", "ID;", "ID0670;"},
        {"ftdx101d", "ID;", "ID0681;"},
        {"ft891", "ID;", "ID0650;"},
        {"ft710", "ID;", "ID0800;"},
        {"ft991a", "IF;", yaesuIf},
        {"ft710", "OI;", R"(OI\d{3}\d{9}[+-]\d{4}[01][01][1-9A-E]0[0-2]00[0-2];)"},
        {"ft991a", "FA;", R"(FA\d{9};)"},
        {"ft991a", "MD0;", "MD0[1-9A-E];"},
        {"ftdx101d", "FR;", "FR(01|10);"},
        {"ft991a", "FT;", "FT[01];"},
        {"ft891", "ST;", "ST[0-2];"},
        {"ftdx101d", "VS;", "VS[01];"},
        {"ft991a", "EX032;", "EX032[0-3];"},
        {"ft891", "EX0507;", "EX0507[0-3];"},
        {"ft991a", "SH0;", R"(SH0\d\d;)"},
        {"ftdx101d", "SH0;", R"(SH00\d\d;)"},
        {"ft991a", "NA0;", "NA0[01];"},
        {"ft991a", "SM0;", R"(SM0\d{3};)"},
        {"ft991a", "KP;", R"(KP\d\d;)"},
        {"ft991a", "TX;", "TX0;"},
    };
    for (const Row &row : rows) {
        QTest::addRow("%s %s", row.model, row.query)
            << QByteArray(row.model) << QByteArray(row.query) << QString::fromLatin1(row.pattern);
    }
}

void TestRigModel::replyFormats()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, query);
    QFETCH(QString, pattern);
    RigModel rig(radio(model));
    const QString reply = QString::fromLatin1(feedAll(rig, query));
    const QRegularExpression re(QRegularExpression::anchoredPattern(pattern));
    QVERIFY2(re.match(reply).hasMatch(), qPrintable(reply.toUtf8().toPercentEncoding(" ;$")));
}

// The reads Hamlib (4.5 and 4.7) and flrig send each radio while opening it and polling it:
// every one has its answer.
void TestRigModel::clientReads_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("query");
    const char *k3 = "ID;OM;K2;K3;RVM;RVD;AI;PS;FA;FB;IF;MD;MD$;BW;BW$;FW;FW$;KS;TQ;SM;SMH;SW;PC;"
                     "PA;RA;AG;RG;MG;NB;IS;SQ;CP;GT;ML;AN;AP;LK;VX;RT;XT;SB;ES;NL;";
    const char *kenwood = "ID;PS;IF;AI;FA;FB;MD;FW;KS;FR;FT;SH;SL;PA;RA;PC;AG0;NB;MG;SQ0;RG;SM0;"
                          "NR;BC;AC;RL;RM;";
    const char *yaesu = "PS;AI;ID;FA;FB;IF;MD0;SH0;TX;KS;SM0;PC;PA0;RA0;AG0;RG0;NB0;SQ0;BC0;IS0;"
                        "BP00;NR0;RL0;MG;BI;GT0;AC;NL0;PL;PR0;KP;KR;VX;VG;";
    const struct {
        const char *model;
        std::initializer_list<const char *> queries;
    } rows[] = {
        {"k3", {k3, "RVA;RVR;RVF;TM;DV;FI;AR;LN;"}},
        {"k3s", {k3, "TM;"}},
        {"kx3", {k3, "PO;BN;"}},
        {"kx2", {k3, "PO;BN;"}},
        {"k2", {"ID;K2;AI;PS;IF;FA;FB;MD;FW;KS;PC;PA;RA;BG;GT;SM;TQ;NB;LK;AN;"}},
        {"ts2000", {kenwood, "AG1;EX0120000;GT;NT;SA;"}},
        {"ts590sg", {kenwood, "DA;NT;SF0;SF1;"}},
        {"ts480", {kenwood, "EX0120000;EX0450000;GT;IS;"}},
        {"ft991a", {yaesu, "EX032;EX039;OI;FT;NA0;RI6;RI7;RM8;"}},
        {"ftdx101d", {yaesu, "VS;ST;FT;MD1;SH1;BC1;IS1;BP10;NB1;RF0;RM8;"}},
        {"ft891", {yaesu, "ST;NA0;EX1107;EX0707;EX1011;EX0812;"}},
        {"ft710", {yaesu, "VS;ST;FT;CF000;CF001;"}},
    };
    for (const auto &row : rows) {
        for (const char *queries : row.queries) {
            for (const QByteArray &q : QByteArray(queries).split(';')) {
                if (!q.isEmpty())
                    QTest::addRow("%s %s", row.model, q.constData()) << QByteArray(row.model) << q;
            }
        }
    }
}

void TestRigModel::clientReads()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, query);
    RigModel rig(radio(model));
    const QByteArray reply = feedAll(rig, query + ';');
    QVERIFY2(reply.startsWith(query) && reply.endsWith(';') && reply.count(';') == 1, reply);
}

// Each stored setting of each radio takes its highest value and reports it; one beyond is
// refused (or, for power, kept at the highest).
void TestRigModel::storedSettingsReadBack_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("name");
    for (const char *key : kAllModels) {
        for (const CatCommand *c : rowsOf(radio(key))) {
            if (isStoredNumber(*c) && c->access == Access::ReadSet)
                QTest::addRow("%s %s", key, c->name.data()) << QByteArray(key) << bytes(c->name);
        }
    }
}

void TestRigModel::storedSettingsReadBack()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, name);
    RigModel rig(radio(model));
    const CatCommand &row = *rig.radio().row(std::string_view(name.constData(), name.size()));
    const QByteArray highest = cat::padded(row.max, row.width);
    QCOMPARE(feedAll(rig, name + highest + ';'), QByteArray());
    QCOMPARE(feedAll(rig, name + ';'), name + highest + ';');
    if (row.max + 1 < int(std::pow(10, row.width))) {
        const QByteArray beyond = name + cat::padded(row.max + 1, row.width) + ';';
        const QByteArray expected = row.handler == &cat::kClampedNumber ? "" : "?;";
        QCOMPARE(feedAll(rig, beyond), expected);
        QCOMPARE(feedAll(rig, name + ';'), name + highest + ';');
    }
    QCOMPARE(feedAll(rig, name + ';' + name + "X;" + name + ';'),
             name + highest + ";?;" + name + highest + ';');
}

void TestRigModel::settings_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char *name, const char *model, const char *commands, const char *query,
                  const QByteArray &expected) {
        QTest::newRow(name) << QByteArray(model) << QByteArray(commands) << QByteArray(query)
                            << expected;
    };
    auto k3If = [](const char *freq, const char *tail = "0002000001") {
        return QByteArray("IF") + freq + "     +000000 " + tail + " ;";
    };
    row("k3 power-on IF", "k3", "", "IF;", k3If("00014074000"));
    row("k3 FA moves VFO A", "k3", "FA00007074000;", "IF;", k3If("00007074000"));
    row("k3 lower case", "k3", "fa00014060000;", "fa;", "FA00014060000;");
    row("k3 MD in IF", "k3", "MD3;", "IF;", k3If("00014074000", "0003000001"));
    row("k3 MD$ leaves MD", "k3", "MD$6;", "MD;MD$;", "MD2;MD$6;");
    row("k3 FT1 is split", "k3", "FT1;", "IF;", k3If("00014074000", "0002001001"));
    row("k3 FR cancels split", "k3", "FT1;FR0;", "FT;", "FT0;");
    row("k3 FR1 still receives on A", "k3", "FR1;", "FR;", "FR0;");
    row("k3 TX keys", "k3", "TX;", "TQ;IF;", "TQ1;" + k3If("00014074000", "0012000001"));
    row("k3 RX", "k3", "TX;RX;", "TQ;", "TQ0;");
    row("k3 S-meter 0-21 with K31", "k3", "K31;", "SM;", "SM0005;");
    row("k3 S-meter 0-15 with K30", "k3", "", "SM;", "SM0003;");
    row("k3 S-meter in TX", "k3", "TX;", "SM;BG;", "SM0000;BG05T;");
    row("k3 BW in 10 Hz", "k3", "BW0180;", "BW;", "BW0180;");
    row("k3 FW in 10 Hz with K31", "k3", "K31;BW0180;", "FW;", "FW0180;");
    row("k3 FW in Hz with K30", "k3", "BW0180;", "FW;", "FW1800;");
    row("k3 FW filter digits with K22", "k3", "K22;BW0180;", "FW;", "FW180020;");
    row("k3 FW crystal filter with K22", "k3", "K22;FW00003;", "BW;", "BW0050;");
    row("k3 K31 overrides K22", "k3", "K22;K31;", "FW;", "FW0240;");
    row("k3 K21 reports DATA as LSB", "k3", "K21;MD6;", "MD;", "MD1;");
    row("k3 K23 reports DATA-REV as USB", "k3", "K23;MD9;", "IF;",
        k3If("00014074000", "0002000001"));
    row("k3 DT in IF with K31", "k3", "K31;DT2;", "IF;", k3If("00014074000", "0002000021"));
    row("k3 DT not in IF with K30", "k3", "DT2;", "IF;", k3If("00014074000"));
    row("k3 PC range digit with K22", "k3", "K22;PC0100;", "PC;", "PC0100;");
    row("k3 PC high range with K22", "k3", "K22;PC100;", "PC;", "PC1001;");
    row("k3 PC kept in range", "k3", "PC255;", "PC;", "PC110;");
    row("k3 NB legacy digit with K22", "k3", "K22;NB1;", "NB;", "NB10;");
    row("k3 GT AGC digit with K22", "k3", "K22;", "GT;", "GT0041;");
    row("k3 KY buffer with K22", "k3", "KY CQ TEST;K22;", "KY;", "KY2;");
    row("k3 RIT offset in IF", "k3", "RO-0150;RT1;", "IF;",
        "IF00014074000     -015010 0002000001 ;");
    row("k3 RIT up and clear", "k3", "RU;RU;", "RO;", "RO+0020;");
    row("k3 RC", "k3", "RO+0500;RC;", "RO;", "RO+0000;");
    row("k3 UP by 2 kHz", "k3", "UP5;", "FA;", "FA00014076000;");
    row("k3 DNB by 10 Hz", "k3", "DNB;", "FB;", "FB00014079990;");
    row("k3 BN changes band", "k3", "BN03;", "FA;BN;", "FA00007074000;BN03;");
    row("k3 band stack", "k3", "FA00007030000;BN05;BN03;", "FA;", "FA00007030000;");
    row("k3 IS", "k3", "IS 0150;", "IS;", "IS 0150;");
    row("k3 AI level", "k3", "AI3;", "AI;", "AI3;");
    row("k3s RA in dB", "k3s", "RA15;", "RA;", "RA15;");
    row("kx3 PO while transmitting", "kx3", "PC010;TX;", "PO;", "PO100;");
    row("k2 FW basic", "k2", "", "FW;", "FW2400;");
    row("k2 FW with K22", "k2", "K22;", "FW;", "FW240010;");
    row("k2 crystal filter with K22", "k2", "K22;FW00003;", "FW;", "FW070030;");
    row("k2 width snaps to a filter", "k2", "FW1000;", "FW;", "FW0700;");
    row("k2 receives on B", "k2", "FR1;", "IF;", "IF00014080000     +000000 0002100001 ;");
    row("k2 K23", "k2", "K23;", "K2;", "K23;");
    row("ts2000 FA", "ts2000", "FA00007074000;", "FA;", "FA00007074000;");
    row("ts2000 TX in IF", "ts2000", "TX;", "IF;", "IF00014074000     +000000000120000000;");
    row("ts2000 TX0 keys too", "ts2000", "TX0;", "IF;", "IF00014074000     +000000000120000000;");
    row("ts2000 split in IF", "ts2000", "FT1;", "IF;", "IF00014074000     +000000000020010000;");
    row("ts2000 FR1 receives on B", "ts2000", "FR1;FT1;", "IF;",
        "IF00014080000     +000000000021000000;");
    row("ts2000 PA with the sub receiver", "ts2000", "PA1;", "PA;", "PA10;");
    row("ts2000 RA", "ts2000", "RA01;", "RA;", "RA0100;");
    row("ts2000 S-meter in TX", "ts2000", "TX;", "SM0;", "SM00000;");
    row("ts590sg power kept in range", "ts590sg", "PC000;", "PC;", "PC005;");
    row("ts590sg DA", "ts590sg", "DA1;", "DA;", "DA1;");
    row("ts480 PA", "ts480", "PA1;", "PA;", "PA10;");
    row("ft991a FA", "ft991a", "FA007074000;", "FA;", "FA007074000;");
    row("ft991a power-on IF", "ft991a", "", "IF;", "IF001014074000+000000200000;");
    row("ft991a MD0 in IF", "ft991a", "MD0C;", "MD0;IF;", "MD0C;IF001014074000+000000C00000;");
    row("ft991a FT3 is VFO B", "ft991a", "FT3;", "FT;", "FT1;");
    row("ft991a FT2 is VFO A", "ft991a", "FT3;FT2;", "FT;", "FT0;");
    row("ft991a CAT TOT menu", "ft991a", "EX0321;", "EX032;", "EX0321;");
    row("ft991a TX", "ft991a", "TX1;", "TX;", "TX1;");
    row("ft991a TX0", "ft991a", "TX1;TX0;", "TX;", "TX0;");
    row("ft991a width index", "ft991a", "SH010;", "SH0;", "SH010;");
    row("ft991a AB", "ft991a", "FA007074000;MD03;AB;", "FB;OI;",
        "FB007074000;OI001007074000+000000300000;");
    row("ft991a clarifier", "ft991a", "RU0150;RT1;", "IF;", "IF001014074000+015010200000;");
    row("ftdx101d ST1 is split", "ftdx101d", "ST1;", "ST;FT;", "ST1;FT0;");
    row("ftdx101d FT names the transmitting VFO", "ftdx101d", "ST1;TX1;", "FT;", "FT1;");
    row("ftdx101d sub mode", "ftdx101d", "MD13;", "MD0;MD1;", "MD02;MD13;");
    row("ftdx101d band select", "ftdx101d", "BS03;", "FA;", "FA007074000;");
    row("ftdx101d VS", "ftdx101d", "VS1;", "VS;", "VS1;");
    row("ft891 ST2 puts VFO B 5 kHz up", "ft891", "ST2;", "ST;FB;", "ST1;FB014079000;");
    row("ft891 CAT TOT menu", "ft891", "EX05071;", "EX0507;", "EX05071;");
    row("ft891 width with its on digit", "ft891", "SH0116;", "SH0;", "SH0116;");
    row("ft710 width", "ft710", "SH0020;", "SH0;", "SH0020;");
    row("k3 K31 and a switch tap", "k3", "K31;SWT49;", "NL;TM;", "NL0000;TM0;");
    row("k3 NB levels", "k3", "NL0510;", "NL;", "NL0510;");
    row("ts590sg SF0 sets VFO A and mode", "ts590sg", "SF0000070740003;", "FA;MD;SF0;",
        "FA00007074000;MD3;SF0000070740003;");
    row("ts2000 menu 12", "ts2000", "EX01200000;", "EX0120000;", "EX01200000;");
    row("ts480 menu 45", "ts480", "EX04500001;", "EX0450000;", "EX04500001;");
    row("ts480 IF shift", "ts480", "IS-0300;", "IS;", "IS-0300;");
    row("ts2000 meter chosen", "ts2000", "RM1;", "RM;", "RM10000;");
    row("ft891 USB", "ft891", "", "MD0;EX1107;", "MD02;EX11070;");
    row("ft891 LSB", "ft891", "MD01;", "EX1107;", "EX11071;");
    row("ft891 sideband menu moves SSB", "ft891", "EX11071;", "MD0;", "MD01;");
    row("ft891 CW-R", "ft891", "MD07;", "EX0707;EX1107;", "EX07071;EX11070;");
    row("ft891 other mode keeps sideband", "ft891", "MD03;EX11071;", "MD0;", "MD03;");
    row("ft891 IF shift", "ft891", "IS01-0120;", "IS0;", "IS01-0120;");
    row("ft991a RI split", "ft991a", "FT3;", "RI6;RI7;", "RI61;RI71;");
    row("ft991a reference adjust", "ft991a", "EX039-05;", "EX039;", "EX039-05;");
    row("ftdx101d FR10 receives on B", "ftdx101d", "FR10;", "FR;VS;", "FR10;VS1;");
    row("ftdx101d FT3 transmits on B", "ftdx101d", "FT3;", "ST;FT;", "ST1;FT0;");
    row("ft710 clarifier offset", "ft710", "CF001-0150;", "CF001;", "CF001-0150;");
}

void TestRigModel::settings()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, commands);
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, expected);
    RigModel rig(radio(model));
    QCOMPARE(feedAll(rig, commands), QByteArray());
    QCOMPARE(feedAll(rig, query), expected);
}

// Malformed settings, and commands and queries a radio lacks: its error reply, and nothing
// changes.
void TestRigModel::rejected_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("command");
    const struct {
        const char *model;
        std::initializer_list<const char *> commands;
    } rows[] = {
        // Commands and queries the radio lacks.
        {"k3", {"PO;", "KP;", "RV;", "F;", "$;", "FA$;", "\x01\xff;"}},
        {"k2", {"OM;", "K3;", "BW;", "BW0200;", "K31;", "UP5;"}},
        {"ts2000", {"SM;", "TQ;", "DA;", "OM;"}},
        {"ts480", {"RG101;"}},
        {"ft991a", {"MD;", "FR;", "FR0;", "VS;", "RX;", "EX999;"}},
        {"ft891", {"FT;", "FT1;", "RT;"}},
        {"ftdx101d", {"EX032;"}},
        // Settings out of range or of the wrong shape.
        {"k3", {"FA123;", "FA0001406000X;", "FA000140600000;", "IF00014074000;", "SM0005;"}},
        {"k3", {"MD8;", "MD0;", "MD33;", "DT4;", "FR2;", "AI4;", "K24;", "K32;", "TX1;", "RX1;"}},
        {"k3", {"BW12;", "FW00500;", "CW60;", "RV12;", "KP10;", "IS0150;", "RA15;", "BN99;"}},
        {"k3", {"UP12;", "KYX;"}},
        {"kx2", {"MD4;"}},
        {"k2", {"MD4;"}},
        {"ts2000", {"TX3;", "FA0001406000;"}},
        {"ft991a", {"AI2;", "MD2;", "TX2;", "FA00014060000;", "EX0324;", "SH099;"}},
        {"ft891", {"ST3;", "MDA;", "SH0216;"}},
        {"ftdx101d", {"BS99;", "FR11;", "FR1;"}},
        {"ft891", {"EX11072;", "IS0+0120;", "IS01+012;"}},
        {"ts590sg", {"SF0000070740008;", "SF000007074000;"}},
        {"k3", {"SWT;", "NL05;"}},
        {"ft710", {"SH016;"}}, // Hamlib 4.5.4's width command for the FT-710 lacks a digit
    };
    for (const char *key : kAllModels)
        QTest::addRow("%s unknown", key) << QByteArray(key) << QByteArray("ZZ;");
    for (const auto &row : rows) {
        for (const char *command : row.commands) {
            QTest::addRow("%s %s", row.model,
                          QByteArray(command).toPercentEncoding(";$").constData())
                << QByteArray(row.model) << QByteArray(command);
        }
    }
}

void TestRigModel::rejected()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, command);
    RigModel rig(radio(model));
    const QByteArray status =
        rig.type() == RigType::Yaesu ? "IF;OI;FT;TX;KP;MD0;SH0;" : "IF;FB;FW;PA;RA;AI;";
    const QByteArray before = feedAll(rig, status);
    const QByteArray reply = feedAll(rig, command);
    QCOMPARE(reply, QByteArray("?;").repeated(command.count(';')));
    QCOMPARE(feedAll(rig, status), before);
}

// What each radio sends unasked after the operator changes something, at each AI level.
void TestRigModel::frontPanelReports_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char *name, const char *model, const char *setup, const char *event,
                  const QByteArray &expected) {
        QTest::newRow(name) << QByteArray(model) << QByteArray(setup) << QString::fromLatin1(event)
                            << expected;
    };
    const QByteArray k3If = "IF00007074000     +000000 0002000001 ;";
    row("k3 AI0 is quiet", "k3", "AI0;", "vfoA", "");
    row("k3 AI1 sends IF", "k3", "AI1;", "vfoA", k3If);
    row("k3 AI1 ignores TX", "k3", "AI1;", "tx", "");
    row("k3 AI1 band change flag with K22", "k3", "AI1;K22;", "vfoA",
        "IF00007074000     +000000 0002000101 ;");
    row("k3 AI2 VFO A", "k3", "AI2;", "vfoA", "FA00007074000;");
    row("k3 AI2 VFO B", "k3", "AI2;", "vfoB", "FB00003573000;");
    row("k3 AI2 mode", "k3", "AI2;", "mode", "MD3;");
    row("k3 AI2 transmit", "k3", "AI2;", "tx", "TQ1;");
    row("k3 AI2 width gives FW and IS", "k3", "AI2;K31;", "width", "FW0180;IS 0000;");
    row("k3 AI2 split", "k3", "AI2;", "split", "IF00014074000     +000000 0002001001 ;");
    row("k3 AI3 like AI2", "k3", "AI3;", "vfoA", "FA00007074000;");
    row("k2 AI2 VFO A", "k2", "AI2;", "vfoA", "FA00007074000;");
    row("kx2 AI2 transmit", "kx2", "AI2;", "tx", "TQ1;");
    row("ts2000 AI2 transmit", "ts2000", "AI2;", "tx", "IF00014074000     +000000000120000000;");
    row("ts590sg AI2 VFO A", "ts590sg", "AI2;", "vfoA", "FA00007074000;");
    row("ts480 AI1 VFO A", "ts480", "AI1;", "vfoA", "IF00007074000     +000000000020000000;");
    row("ft991a AI1 VFO A", "ft991a", "AI1;", "vfoA", "IF001007074000+000000200000;");
    row("ft991a AI1 VFO B", "ft991a", "AI1;", "vfoB", "OI001003573000+000000200000;");
    row("ft991a AI1 mode", "ft991a", "AI1;", "mode", "MD03;");
    row("ft991a AI1 transmit by the operator", "ft991a", "AI1;", "tx", "TX2;");
    row("ft991a AI1 width", "ft991a", "AI1;", "width", "SH009;");
    row("ft991a AI1 split", "ft991a", "AI1;", "split", "FT1;");
    row("ft891 AI1 split", "ft891", "AI1;", "split", "ST1;");
    row("ftdx101d AI1 split", "ftdx101d", "AI1;", "split", "ST1;FT0;");
    row("ft710 AI0 is quiet", "ft710", "", "tx", "");
}

void TestRigModel::frontPanelReports()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, setup);
    QFETCH(QString, event);
    QFETCH(QByteArray, expected);
    RigModel rig(radio(model));
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
    else if (event == u"split")
        out = rig.setSplit(true);
    QCOMPARE(out.join(), expected);
}

// Changes made by command: AI1 reports them on Elecraft and Kenwood radios, AI2 never echoes a
// program's own settings (a K3 reports front-panel events only).
void TestRigModel::commandReports_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char *name, const char *model, const char *setup, const char *command,
                  const char *expected) {
        QTest::newRow(name) << QByteArray(model) << QByteArray(setup) << QByteArray(command)
                            << QByteArray(expected);
    };
    row("k3 AI1 sends IF at once", "k3", "", "AI1;", "IF00014074000     +000000 0002000001 ;");
    row("k3 AI1 FA", "k3", "AI1;", "FA00007074000;", "IF00007074000     +000000 0002000001 ;");
    row("k3 AI1 PA", "k3", "AI1;", "PA1;", "");
    row("k3 AI2 FA", "k3", "AI2;", "FA00007074000;", "");
    row("k3 AI2 TX", "k3", "AI2;", "TX;", "");
    row("ts2000 AI1 MD", "ts2000", "AI1;", "MD3;", "IF00014074000     +000000000030000000;");
    row("ft991a AI1 FA", "ft991a", "AI1;", "FA007074000;", "");
}

void TestRigModel::commandReports()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, setup);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, expected);
    RigModel rig(radio(model));
    rig.feed(setup);
    QCOMPARE(feedAll(rig, command), expected);
}

// PS0 switches a radio off; only Kenwood and Yaesu radios can be woken with PS1 (a K3 needs
// its power line). Power-up starts at AI0, K20, K30 and keeps the VFOs.
void TestRigModel::power_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<bool>("wakesOnPs1");
    QTest::newRow("k3") << QByteArray("k3") << false;
    QTest::newRow("k2") << QByteArray("k2") << false;
    QTest::newRow("ts590sg") << QByteArray("ts590sg") << true;
    QTest::newRow("ft991a") << QByteArray("ft991a") << true;
}

void TestRigModel::power()
{
    QFETCH(QByteArray, model);
    QFETCH(bool, wakesOnPs1);
    RigModel rig(radio(model));
    rig.feed("AI1;");
    QCOMPARE(feedAll(rig, "PS0;FA;PS;"), QByteArray());
    QVERIFY(!rig.isPoweredOn());
    QVERIFY(rig.turnVfoA(14074000).isEmpty());
    QCOMPARE(feedAll(rig, ";;;;PS1;"), QByteArray());
    QCOMPARE(rig.isPoweredOn(), wakesOnPs1);
    rig.setPower(true);
    QCOMPARE(feedAll(rig, "PS;AI;"), QByteArray("PS1;AI0;"));
    QCOMPARE(rig.vfoA(), qint64(14074000));
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
    QTest::newRow("text keeps its spaces")
        << QByteArrayList{"KY  ;IS 0100;IS;"} << QByteArray("IS 0100;") << qsizetype(0);
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
    // Nothing said to the radio meanwhile took effect, the half command is gone, and the radio
    // kept its settings (AI2) as a radio whose cable was pulled does.
    QCOMPARE(feedAll(rig, "FA;AI;"), QByteArray("FA00003500000;AI2;"));
}

QTEST_GUILESS_MAIN(TestRigModel)
#include "tst_rig_model.moc"
