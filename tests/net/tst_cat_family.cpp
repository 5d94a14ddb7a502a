#include "net/cat_family.h"
#include "net/rigctl_protocol.h"

#include <QTest>

// The per-family CAT translation: every mode of every family reads back as itself, replies of the
// wrong shape are refused rather than misread, and each radio's passbands at their edges.
class TestCatFamily : public QObject {
    Q_OBJECT
private slots:
    void everyModeReadsBackAsSet();
    void replies_data();
    void replies();
    void passbands_data();
    void passbands();
};

void TestCatFamily::everyModeReadsBackAsSet()
{
    for (RigType t : {RigType::K3, RigType::Yaesu, RigType::Kenwood, RigType::K2}) {
        const FamilyCaps &f = *catFamily(t);
        for (const ModeRow &mode : f.modes) {
            const ModeRow *chosen = cat::modeByName(f, mode.name);
            QVERIFY(chosen);
            // The settings are what the rig then replies to MD and DT.
            const QList<QByteArray> s = cat::modeSettings(f, *chosen);
            const ModeRow *read = cat::modeOf(f, s.value(0), s.value(1));
            QVERIFY2(read && read->name == mode.name, mode.name.data());
            QVERIFY2(rigctl::hamlibModeBit(mode.name) != 0, mode.name.data());
        }
    }
}

void TestCatFamily::replies_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("value"); // empty: refused
    auto row = [](RigType t, const char *what, const char *reply, const char *value) {
        QTest::addRow("%s %s %s", qPrintable(rigTypeName(t)), what, reply)
            << t << QString::fromLatin1(what) << QByteArray(reply) << QByteArray(value);
    };
    const RigType k3 = RigType::K3, ya = RigType::Yaesu, kw = RigType::Kenwood;
    row(k3, "freq", "FA014074000;", "");
    row(ya, "freq", "FA00014074000;", "");
    row(kw, "freq", "FA0001407x000;", "");
    row(ya, "width", "SH0012;", "");
    row(k3, "ptt", "TQ;", "");
    row(ya, "ptt", "TX2;", "1"); // transmitting from the microphone
    row(kw, "ptt", "IF00014074000     +000000 0012000001 ;", "1");
    row(kw, "ptt", "IF00014074000;", "");
    row(k3, "offset", "IF00014074000     -012010 0002000001 ;", "-120");
    row(ya, "offset", "IF001014074000 005010200000;", "");
    row(kw, "pitch", "CW60;", "");
    // S9 is 0 dB; between calibration points the reading is interpolated; past the ends it holds.
    row(ya, "strength", "140", "5");
    row(ya, "strength", "0", "-54");
    row(ya, "strength", "300", "60");
    row(k3, "strength", "21", "60");
    // The K3's DATA and DATA-R with their sub-modes, as Hamlib's K3 backend reads them.
    row(k3, "mode", "MD6; DT3;", "PKTUSB");
    row(k3, "mode", "MD9; DT1;", "PKTLSB");
    row(k3, "mode", "MD6; ?;", "PKTUSB");
    row(k3, "mode", "MD2; DT2;", "USB");
    row(k3, "mode", "MD8; DT0;", "");
    row(k3, "mode", "MD$2; DT0;", ""); // VFO B's
}

void TestCatFamily::replies()
{
    QFETCH(RigType, type);
    QFETCH(QString, what);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, value);
    const FamilyCaps &f = *catFamily(type);
    const auto text = [](const auto &v) { return v ? QByteArray::number(qint64(*v)) : ""; };
    QByteArray got;
    if (what == QLatin1String("freq"))
        got = text(cat::frequency(f, reply));
    else if (what == QLatin1String("width"))
        got = text(cat::width(f, reply));
    else if (what == QLatin1String("ptt"))
        got = text(cat::transmitting(f, reply));
    else if (what == QLatin1String("offset"))
        got = text(cat::offset(f, reply) ? std::optional(cat::offset(f, reply)->hz) : std::nullopt);
    else if (what == QLatin1String("pitch"))
        got = text(cat::pitchHz(f, reply));
    else if (what == QLatin1String("strength"))
        got = QByteArray::number(cat::strengthDb(f, reply.toInt()));
    else if (const ModeRow *m = cat::modeOf(f, reply.split(' ')[0], reply.split(' ')[1]))
        got = QByteArray(m->name.data(), qsizetype(m->name.size()));
    QCOMPARE(got, value);
}

void TestCatFamily::passbands_data()
{
    // Each radio's passband both ways at the edges of its tables: a width set becomes these
    // settings; the reply (and SL's) reads as `width`.
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<int>("hz");
    QTest::addColumn<QByteArrayList>("settings");
    QTest::addColumn<QByteArrayList>("replies");
    QTest::addColumn<int>("width"); // -1: unreadable
    auto row = [](const char *name, RigType t, const char *id, const char *mode, int hz,
                  QByteArrayList settings, QByteArrayList replies, int width) {
        QTest::newRow(name) << t << QByteArray(id) << QByteArray(mode) << hz << settings << replies
                            << width;
    };
    const RigType k3 = RigType::K3, k2 = RigType::K2, kw = RigType::Kenwood, ya = RigType::Yaesu;
    row("K3 to 10 Hz", k3, "ID017;", "USB", 2404, {"BW0240;"}, {"BW0240;"}, 2400);
    row("K3 past 4 digits", k3, "ID017;", "AM", 200000, {"BW9999;"}, {"BW9999;"}, 99990);
    row("K3 normal CW", k3, "ID017;", "CW", 0, {"BW0100;"}, {"BW;"}, -1);
    row("K2 extended FW", k2, "ID017;", "CW", 700, {"FW0700;"}, {"FW070021;"}, 700);
    row("unknown ID: the first radio", kw, "ID999;", "USB", 2400, {"SH05;"}, {"SH05;", "SL02;"},
        2300);
    row("TS-2000 CW tie goes wider", kw, "ID019;", "CW", 800, {"FW1000;"}, {"FW0600;"}, 600);
    row("TS-2000 SSB beyond", kw, "ID019;", "LSB", 9000, {"SH11;"}, {"SH12;", "SL00;"}, -1);
    row("TS-590SG AM", kw, "ID023;", "AM", 6000, {"SH03;"}, {"SH03;", "SL03;"}, 4700);
    row("TS-480 SSB by number", kw, "ID020;", "USB", 300, {"FW0002;"}, {"FW0002;"}, 270);
    row("TS-480 SSB given Hz", kw, "ID020;", "USB", 300, {"FW0002;"}, {"FW1800;"}, 1800);
    row("TS-480 FM", kw, "ID020;", "FM", 5000, {"FW0000;"}, {"FW0000;"}, 12000);
    row("FT-991A narrow CW", ya, "ID0670;", "CW", 40, {"NA01;", "SH001;"}, {"SH001;"}, 50);
    row("FT-991A default", ya, "ID0670;", "PKTUSB", 0, {"NA00;", "SH000;"}, {"SH000;"}, 500);
    row("FT-991A fixed AM", ya, "ID0670;", "AMN", 3000, {}, {}, 6000);
    row("FT-891 on digit", ya, "ID0650;", "USB", 3200, {"NA00;", "SH0121;"}, {"SH0121;"}, 3200);
    row("FTDX101D widest", ya, "ID0681;", "USB", 5000, {"SH0023;"}, {"SH0023;"}, 4000);
    row("FTDX101D past its table", ya, "ID0681;", "USB", 2400, {"SH0014;"}, {"SH0030;"}, -1);
    row("FT-710 garbage", ya, "ID0800;", "CW", 500, {"SH0010;"}, {"SH00x0;"}, -1);
}

void TestCatFamily::passbands()
{
    QFETCH(RigType, type);
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, mode);
    QFETCH(int, hz);
    QFETCH(QByteArrayList, settings);
    QFETCH(QByteArrayList, replies);
    QFETCH(int, width);
    const WidthRule *rule =
        cat::widthRule(cat::radioModel(*catFamily(type), id), mode.toStdString());
    QVERIFY(rule);
    QCOMPARE(cat::widthSettings(*rule, hz), settings);
    QCOMPARE(cat::widthReads(*rule).size(), replies.size());
    QCOMPARE(cat::widthOf(*rule, replies.value(0), replies.value(1)).value_or(-1), width);
}

QTEST_GUILESS_MAIN(TestCatFamily)
#include "tst_cat_family.moc"
