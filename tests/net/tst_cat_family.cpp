#include "net/cat_family.h"
#include "net/rigctl_protocol.h"

#include <QTest>

Q_DECLARE_METATYPE(RigType)

// The per-family CAT tables: every mode of every family reads back as itself, and replies of the
// wrong shape are refused rather than misread.
class TestCatFamily : public QObject {
    Q_OBJECT
private slots:
    void everyModeReadsBackAsSet_data();
    void everyModeReadsBackAsSet();
    void k3DataSubModes_data();
    void k3DataSubModes();
    void replies_data();
    void replies();
    void strength();
    void passbands_data();
    void passbands();
};

void TestCatFamily::everyModeReadsBackAsSet_data()
{
    QTest::addColumn<RigType>("type");
    for (RigType t : {RigType::K3, RigType::Yaesu, RigType::Kenwood, RigType::K2})
        QTest::newRow(qPrintable(rigTypeName(t))) << t;
}

void TestCatFamily::everyModeReadsBackAsSet()
{
    QFETCH(RigType, type);
    const FamilyCaps &f = *catFamily(type);
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

void TestCatFamily::k3DataSubModes_data()
{
    QTest::addColumn<QByteArray>("md");
    QTest::addColumn<QByteArray>("dt");
    QTest::addColumn<QByteArray>("mode");
    // As Hamlib's K3 backend reads DATA and DATA-R with their sub-modes.
    auto row = [](const char *name, const char *md, const char *dt, const char *mode) {
        QTest::newRow(name) << QByteArray(md) << QByteArray(dt) << QByteArray(mode);
    };
    row("DATA A", "MD6;", "DT0;", "PKTUSB");
    row("AFSK A", "MD6;", "DT1;", "PKTLSB");
    row("FSK D", "MD6;", "DT2;", "RTTY");
    row("PSK D", "MD6;", "DT3;", "PKTUSB");
    row("DATA-R FSK D", "MD9;", "DT2;", "RTTYR");
    row("DATA-R AFSK A", "MD9;", "DT1;", "PKTLSB");
    row("DATA, DT unknown", "MD6;", "?;", "PKTUSB");
    row("USB ignores DT", "MD2;", "DT2;", "USB");
    row("MD8 is no K3 mode", "MD8;", "DT0;", "");
    row("MD$ is VFO B", "MD$2;", "DT0;", "");
}

void TestCatFamily::k3DataSubModes()
{
    QFETCH(QByteArray, md);
    QFETCH(QByteArray, dt);
    QFETCH(QByteArray, mode);
    const ModeRow *read = cat::modeOf(*catFamily(RigType::K3), md, dt);
    QCOMPARE(read ? QByteArray(read->name.data(), qsizetype(read->name.size())) : QByteArray(),
             mode);
}

void TestCatFamily::replies_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("value"); // -999: refused
    const RigType k3 = RigType::K3, ya = RigType::Yaesu, kw = RigType::Kenwood, k2 = RigType::K2;
    auto row = [](const char *name, RigType t, const char *reply, const char *what, int value) {
        QTest::newRow(name) << t << QByteArray(reply) << QString::fromLatin1(what) << value;
    };
    row("K3 FA", k3, "FA00014074000;", "freq", 14074000);
    row("K3 FA short", k3, "FA014074000;", "freq", -999);
    row("Yaesu FA", ya, "FA014074000;", "freq", 14074000);
    row("Yaesu FA long", ya, "FA00014074000;", "freq", -999);
    row("FA garbage", kw, "FA0001407x000;", "freq", -999);
    row("K3 BW", k3, "BW0240;", "width", 2400);
    row("K2 FW", k2, "FW0500;", "width", 500);
    row("Kenwood FW", kw, "FW2400;", "width", 2400);
    row("Yaesu no width", ya, "SH0012;", "width", -999);
    row("K3 TQ1", k3, "TQ1;", "ptt", 1);
    row("K3 TQ garbage", k3, "TQ;", "ptt", -999);
    row("Yaesu TX2 (mic)", ya, "TX2;", "ptt", 1);
    row("Yaesu TX0", ya, "TX0;", "ptt", 0);
    row("Kenwood IF tx", kw, "IF00014074000     +000000 0012000001 ;", "ptt", 1);
    row("Kenwood IF rx", kw, "IF00014074000     +000000 0002000001 ;", "ptt", 0);
    row("Kenwood IF short", kw, "IF00014074000;", "ptt", -999);
    row("K3 IF offset", k3, "IF00014074000     -012010 0002000001 ;", "offset", -120);
    row("Yaesu IF offset", ya, "IF001014074000+005010200000;", "offset", 50);
    row("Yaesu IF bad sign", ya, "IF001014074000 005010200000;", "offset", -999);
    row("K3 SM", k3, "SM0006;", "meter", 6);
    row("Kenwood SM0", kw, "SM00015;", "meter", 15);
    row("Yaesu SM0", ya, "SM0130;", "meter", 130);
    row("K3 CW", k3, "CW60;", "pitch", 600);
    row("Yaesu KP", ya, "KP30;", "pitch", 600);
    row("Kenwood has no pitch", kw, "CW60;", "pitch", -999);
}

void TestCatFamily::replies()
{
    QFETCH(RigType, type);
    QFETCH(QByteArray, reply);
    QFETCH(QString, what);
    QFETCH(int, value);
    const FamilyCaps &f = *catFamily(type);
    std::optional<qint64> got;
    if (what == QLatin1String("freq"))
        got = cat::frequency(f, reply);
    else if (what == QLatin1String("width"))
        got = cat::width(f, reply);
    else if (what == QLatin1String("ptt"))
        got = cat::transmitting(f, reply);
    else if (what == QLatin1String("offset")) {
        if (const auto o = cat::offset(f, reply))
            got = o->hz;
    } else if (what == QLatin1String("meter"))
        got = cat::meterRaw(f, reply);
    else if (what == QLatin1String("pitch"))
        got = cat::pitchHz(f, reply);
    QCOMPARE(got.value_or(-999), qint64(value));
}

void TestCatFamily::strength()
{
    // S9 is 0 dB; between calibration points the reading is interpolated; past the ends it holds.
    const FamilyCaps &yaesu = *catFamily(RigType::Yaesu);
    QCOMPARE(cat::strengthDb(yaesu, 130), 0);
    QCOMPARE(cat::strengthDb(yaesu, 140), 5);
    QCOMPARE(cat::strengthDb(yaesu, 0), -54);
    QCOMPARE(cat::strengthDb(yaesu, 300), 60);
    const FamilyCaps &k3 = *catFamily(RigType::K3);
    QCOMPARE(cat::strengthDb(k3, 6), 0);
    QCOMPARE(cat::strengthDb(k3, 21), 60);
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
    const RadioModel &model = cat::radioModel(*catFamily(type), id);
    const WidthRule *rule = cat::widthRule(model, mode.toStdString());
    QVERIFY(rule);
    QCOMPARE(cat::widthSettings(*rule, hz), settings);
    QCOMPARE(cat::widthReads(*rule).size(), replies.size());
    QCOMPARE(cat::widthOf(*rule, replies.value(0), replies.value(1)).value_or(-1), width);
}

QTEST_GUILESS_MAIN(TestCatFamily)
#include "tst_cat_family.moc"
