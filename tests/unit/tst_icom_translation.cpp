// The network doors' CI-V translation of the Icom record: BCD frequencies, the mode byte and data
// switch, widths by place, replies of the wrong shape refused; each radio's rigctld description.

#include "net/cat_family.h"
#include "net/rigctl_protocol.h"

#include <QTest>

class TestIcomTranslation : public QObject {
    Q_OBJECT
private slots:
    void translation_data();
    void translation();
    void description_data();
    void description();
};

namespace {

const FamilyCaps &icom()
{
    return *catFamily(RigType::Icom);
}

template <typename T> QByteArray text(const std::optional<T> &v)
{
    return v ? QByteArray::number(*v) : QByteArray("error");
}

// What the translation makes of `input`: a value read from a reply, or the setting for a value.
QByteArray translate(const QByteArray &what, const QByteArray &input)
{
    const FamilyCaps &f = icom();
    const RadioModel &ic7300 = cat::radioModel(f, "190094;");
    if (what == "freq")
        return text(cat::frequency(f, input));
    if (what == "set A" || what == "set B")
        return cat::frequencySetting(f, what.back(), input.toLongLong());
    if (what == "mode") {
        const ModeRow *m = cat::modeOf(f, input, {});
        return m ? QByteArray(m->name.data(), m->name.size()) : "error";
    }
    if (what == "set mode")
        return cat::modeSettings(f, *cat::modeByName(f, input.toStdString())).join();
    if (what == "width") {
        const WidthRule *rule = cat::widthRule(ic7300, "USB");
        return text(cat::widthOf(*rule, input));
    }
    if (what == "set width")
        return cat::widthSettings(*cat::widthRule(ic7300, "USB"), input.toInt()).join();
    if (what == "ptt")
        return text(cat::transmitting(f, input));
    if (what == "split")
        return text(cat::vfoDigit(input, "0F;"));
    if (what == "meter")
        return text(cat::meterRaw(f, input));
    if (what == "watts")
        return text(cat::powerWatts(f, ic7300, input));
    if (what == "set watts")
        return cat::powerSetting(f, ic7300, input.toInt());
    return "no such row";
}

} // namespace

void TestIcomTranslation::translation_data()
{
    QTest::addColumn<QByteArray>("what");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected"); // "error" or "" where it is refused
    auto row = [](const char *what, const char *input, const char *expected) {
        QTest::addRow("%s %s", what, input)
            << QByteArray(what) << QByteArray(input) << QByteArray(expected);
    };
    // Five BCD bytes, least significant first, both ways; a 10 GHz or negative one is no setting.
    row("freq", "030040071400;", "14074000");
    row("freq", "25010000040700;", "7040000");
    row("freq", "000000000412;", "1204000000"); // a transceive report of 23 cm
    row("set A", "7040000", "050000040700;");
    row("set B", "144174000", "25010040174401;");
    row("set A", "10368000000", "");
    // Garbage and wrong shapes: no value, never a misread.
    row("freq", "03004007140A;", "error"); // not BCD
    row("freq", "0300400714;", "error");   // four bytes
    row("freq", "?;", "error");
    // The mode byte with the data switch of 26 00; data 02 (an IC-7610's D2) is a data mode too.
    row("mode", "2600010002;", "USB");
    row("mode", "2600010101;", "PKTUSB");
    row("mode", "2600050201;", "PKTFM");
    row("mode", "2600990001;", "error");
    row("mode", "26000100;", "error");
    row("set mode", "PKTUSB", "2600010101;");
    row("set mode", "FM-D", "2600050101;"); // Hamlib's other name for PKTFM
    // 1A 03: 50-500 Hz in 50 Hz steps, then 100 Hz steps to 3600.
    row("width", "1A0328;", "2400");
    row("width", "1A0341;", "error");
    row("width", "1A03028;", "error");
    row("set width", "2400", "1A0328;");
    row("set width", "99999", "1A0340;");
    row("ptt", "1C0001;", "1");
    row("ptt", "1C0002;", "error");
    row("split", "0F01;", "1");
    row("split", "0F11;", "error"); // duplex, not split
    row("meter", "15020120;", "120");
    row("watts", "140A0128;", "50");
    row("watts", "140A0300;", "error");
    row("set watts", "100", "140A0255;");
}

void TestIcomTranslation::translation()
{
    QFETCH(QByteArray, what);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(translate(what, input), expected);
}

void TestIcomTranslation::description_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QByteArrayList>("lines"); // lines of \dump_state, as Hamlib 4.5.4 has them
    auto row = [](const char *id, QByteArrayList lines) {
        QTest::newRow(id) << QByteArray(id) << lines;
    };
    row("190094;", {"30000.000000 74800000.000000 0x401dbf -1 -1 0x3 0x1",
                    "70000000.000000 70500000.000000 0x400001 1000 12500 0x3 0x1", "0xc0c 2400",
                    "rig_model=3073"});
    row("1900A4;",
        {"400000000.000000 470000000.000000 0x1401dbf -1 -1 0x3 0x1",
         "144000000.000000 148000000.000000 0x10001bf 100 10000 0x3 0x1", "rig_model=3085"});
    row("1900A2;", {"1240000000.000000 1300000000.000000 0x1010001bf -1 -1 0x3 0x1",
                    "430000000.000000 450000000.000000 0x1 125 18750 0x3 0x1", "rig_model=3081"});
    row("190098;", {"30000.000000 60000000.000000 0xc0401dbf -1 -1 0x3 0x1", "0xc0000192 250",
                    "6 12 18 ", "rig_model=3078"});
}

void TestIcomTranslation::description()
{
    QFETCH(QByteArray, id);
    QFETCH(QByteArrayList, lines);
    const QByteArrayList got =
        rigctl::dumpState(icom(), cat::radioModel(icom(), id), true, 1000).split('\n');
    for (const QByteArray &line : lines)
        QVERIFY2(got.contains(line), line.constData());
    QVERIFY(got.contains("0x0")); // no RIT or XIT functions: an Icom has no IF status line
}

QTEST_MAIN(TestIcomTranslation)
#include "tst_icom_translation.moc"
