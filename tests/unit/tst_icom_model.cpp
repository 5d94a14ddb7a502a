// The simulated Icom radios: CI-V frames in, the radio's frames out (replies, echoes and
// transceive frames), and the front panel's transceive frames.

#include "cat_handlers.h"
#include "civ_command.h"
#include "rig_model.h"

#include <QSet>
#include <QTest>

namespace {

const RadioModel &radio(const char *key)
{
    const RadioModel *r = findRadio(key);
    Q_ASSERT(r && r->civ);
    return *r;
}

// Everything the radio sends, as hex with a space between frames.
QByteArray sent(const QByteArrayList &frames)
{
    QByteArrayList hex;
    for (const QByteArray &f : frames)
        hex.append(f.toHex().toUpper());
    return hex.join(' ');
}

QByteArray normalised(const char *hexFrames)
{
    QByteArrayList frames = QByteArray(hexFrames).toUpper().split(' ');
    frames.removeAll(QByteArray());
    return frames.join(' ');
}

} // namespace

class TestIcomModel : public QObject {
    Q_OBJECT
private slots:
    void catalogue();
    void exchanges_data();
    void exchanges();
    void frontPanel();
    void garbageIsBounded();
};

void TestIcomModel::catalogue()
{
    const std::pair<const char *, quint8> models[] = {
        {"ic7300", 0x94}, {"ic705", 0xA4}, {"ic9700", 0xA2}, {"ic7610", 0x98}};
    for (const auto &[key, address] : models) {
        const RadioModel &r = radio(key);
        QCOMPARE(r.civ->address, address);
        QCOMPARE(familyName(r), QByteArray("icom"));
        QVERIFY(r.civ->tunes(r.civ->startHz[0]) && r.civ->tunes(r.civ->startHz[1]));
        // A typo in a table (a code twice, a row without the handler half its access needs)
        // shows here rather than as a strange reply.
        for (const CivTable &table : r.civ->tables) {
            QSet<QByteArray> codes;
            for (const CivCommand &c : table) {
                const QByteArray code(c.code.data(), qsizetype(c.code.size()));
                QVERIFY2(!codes.contains(code), code.toHex());
                codes.insert(code);
                QVERIFY2(c.handler, code.toHex());
                QVERIFY2(c.access == CivAccess::Set || c.access == CivAccess::Quiet ||
                             c.handler->read,
                         code.toHex());
                QVERIFY2(c.access == CivAccess::Read || c.handler->set, code.toHex());
            }
        }
    }
    QCOMPARE(familyDefault("icom"), &radio("ic7300"));
    QCOMPARE(familyDefault("ICOM"), &radio("ic7300"));
    QCOMPARE(familyDefault("kenwood"), findRadio("ts2000"));
    QVERIFY(!familyDefault("ten-tec"));
}

void TestIcomModel::exchanges_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("options"); // "echo", "quiet" (transceive off)
    QTest::addColumn<QByteArray>("frames");  // in hex
    QTest::addColumn<QByteArray>("replies"); // in hex, a space between frames

    // Power-on: VFO A 14.074 MHz, B 14.080 MHz (IC-9700: 144.174 and 432.174 MHz), USB with
    // FIL2 (2.4 kHz), receiving, split off, transceive on, echo off.
    QTest::newRow("frequency") << QByteArray("ic7300") << QByteArray() << QByteArray("FEFE94E003FD")
                               << normalised("FEFEE094030040071400FD");
    QTest::newRow("the reply goes to the asker's address")
        << QByteArray("ic7300") << QByteArray() << QByteArray("FEFE947003FD")
        << normalised("FEFE7094030040071400FD");
    QTest::newRow("IC-9700 on 2 m")
        << QByteArray("ic9700") << QByteArray() << QByteArray("FEFEA2E003FD FEFEA2E02501FD")
        << normalised("FEFEE0A2030040174401FD FEFEE0A225010040173204FD");
    QTest::newRow("transceiver ID")
        << QByteArray("ic705") << QByteArray() << QByteArray("FEFEA4E01900FD")
        << normalised("FEFEE0A41900A4FD");
    QTest::newRow("a new frequency: FB, then the transceive frame")
        << QByteArray("ic7300") << QByteArray() << QByteArray("FEFE94E0050000040700FD")
        << normalised("FEFEE094FBFD FEFE0094000000040700FD");
    QTest::newRow("out of the radio's range, not BCD, four bytes")
        << QByteArray("ic9700") << QByteArray()
        << QByteArray("FEFEA2E0050000040700FD FEFEA2E005000004074AFD FEFEA2E00500000407FD")
        << normalised("FEFEE0A2FAFD FEFEE0A2FAFD FEFEE0A2FAFD");
    QTest::newRow("mode: the filter is kept when left out")
        << QByteArray("ic7300") << QByteArray() << QByteArray("FEFE94E00603FD FEFE94E004FD")
        << normalised("FEFEE094FBFD FEFE0094010302FD FEFEE094040302FD");
    QTest::newRow("a mode the radio lacks")
        << QByteArray("ic7300") << QByteArray() << QByteArray("FEFE94E00617FD FEFE94E0060104FD")
        << normalised("FEFEE094FAFD FEFEE094FAFD");
    QTest::newRow("IC-705 DV") << QByteArray("ic705") << QByteArray()
                               << QByteArray("FEFEA4E0061701FD")
                               << normalised("FEFEE0A4FBFD FEFE00A4011701FD");
    QTest::newRow("the other VFO, set and read without switching: no transceive")
        << QByteArray("ic7300") << QByteArray()
        << QByteArray("FEFE94E02601030001FD FEFE94E025010000040700FD FEFE94E02601FD "
                      "FEFE94E02501FD")
        << normalised("FEFEE094FBFD FEFEE094FBFD FEFEE0942601030001FD "
                      "FEFEE09425010000040700FD");
    QTest::newRow("mode with data: USB-D, and none for CW")
        << QByteArray("ic7300") << QByteArray()
        << QByteArray("FEFE94E02600010101FD FEFE94E02600FD FEFE94E02600030101FD")
        << normalised("FEFEE094FBFD FEFE0094010101FD FEFEE0942600010101FD FEFEE094FAFD");
    QTest::newRow("VFO B: the radio shows its frequency")
        << QByteArray("ic7300") << QByteArray() << QByteArray("FEFE94E00701FD FEFE94E003FD")
        << normalised("FEFEE094FBFD FEFE0094000000081400FD FEFEE094030000081400FD");
    QTest::newRow("main and sub: not on an IC-7300")
        << QByteArray("ic7300") << QByteArray() << QByteArray("FEFE94E007D1FD FEFE94E007D2FD")
        << normalised("FEFEE094FAFD FEFEE094FAFD");
    QTest::newRow("main and sub on an IC-7610")
        << QByteArray("ic7610") << QByteArray() << QByteArray("FEFE98E007D1FD FEFE98E007D2FD")
        << normalised("FEFEE098FBFD FEFE0098000000081400FD FEFEE09807D201FD");
    QTest::newRow("split") << QByteArray("ic7300") << QByteArray()
                           << QByteArray("FEFE94E00F01FD FEFE94E00FFD FEFE94E00F02FD")
                           << normalised("FEFEE094FBFD FEFEE0940F01FD FEFEE094FAFD");
    QTest::newRow("transmitting: the S-meter drops")
        << QByteArray("ic7300") << QByteArray()
        << QByteArray("FEFE94E01502FD FEFE94E01C0001FD FEFE94E01C00FD FEFE94E01502FD")
        << normalised("FEFEE09415020060FD FEFEE094FBFD FEFEE0941C0001FD FEFEE09415020000FD");
    QTest::newRow("RF power") << QByteArray("ic7300") << QByteArray()
                              << QByteArray("FEFE94E0140A0128FD FEFE94E0140AFD FEFE94E0140A0256FD "
                                            "FEFE94E0140A01FD")
                              << normalised("FEFEE094FBFD FEFEE094140A0128FD FEFEE094FAFD "
                                            "FEFEE094FAFD");
    QTest::newRow("filter width") << QByteArray("ic7300") << QByteArray()
                                  << QByteArray("FEFE94E01A03FD FEFE94E01A0309FD FEFE94E01A03FD "
                                                "FEFE94E01A0341FD")
                                  << normalised("FEFEE0941A0328FD FEFEE094FBFD FEFEE0941A0309FD "
                                                "FEFEE094FAFD");
    QTest::newRow("transceive switched off by its menu")
        << QByteArray("ic7300") << QByteArray()
        << QByteArray("FEFE94E01A05007100FD FEFE94E01A050071FD FEFE94E0050000040700FD")
        << normalised("FEFEE094FBFD FEFEE0941A05007100FD FEFEE094FBFD");
    QTest::newRow("transceive off from the start")
        << QByteArray("ic9700") << QByteArray("quiet") << QByteArray("FEFEA2E0050000304401FD")
        << normalised("FEFEE0A2FBFD");
    QTest::newRow("unknown, read with data, bare setting, power read")
        << QByteArray("ic7300") << QByteArray()
        << QByteArray("FEFE94E01EFD FEFE94E00301FD FEFE94E005FD FEFE94E018FD FEFE94E007FD")
        << normalised("FEFEE094FAFD FEFEE094FAFD FEFEE094FAFD FEFEE094FAFD FEFEE094FBFD");
    QTest::newRow("00 sets quietly")
        << QByteArray("ic7300") << QByteArray() << QByteArray("FEFE94E0000000040700FD")
        << normalised("FEFE0094000000040700FD");
    QTest::newRow("frames for others: another radio, the broadcast, a transceive frame")
        << QByteArray("ic7300") << QByteArray()
        << QByteArray("FEFE98E003FD FEFE00E003FD FEFE0098000040071400FD") << QByteArray();
    QTest::newRow("USB echo: every frame comes back, the reply after it")
        << QByteArray("ic7300") << QByteArray("echo") << QByteArray("FEFE94E003FD FEFE98E003FD")
        << normalised("FEFE94E003FD FEFEE094030040071400FD FEFE98E003FD");
    QTest::newRow("standby: only power-on is heard")
        << QByteArray("ic7300") << QByteArray()
        << QByteArray("FEFE94E01800FD FEFE94E003FD FEFE94E01801FD FEFE94E003FD")
        << normalised("FEFEE094FBFD FEFEE094030040071400FD");
    QTest::newRow("garbage, a collision and a broken frame around a good one")
        << QByteArray("ic7300") << QByteArray()
        << QByteArray("0102 FEFE94E005FCFC FEFE94E0 FEFE94E003FD FEFE94E003")
        << normalised("FEFEE094030040071400FD");
}

void TestIcomModel::exchanges()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, options);
    QFETCH(QByteArray, frames);
    QFETCH(QByteArray, replies);
    RigModel rig(radio(model));
    rig.setEcho(options.contains("echo"));
    if (options.contains("quiet"))
        rig.setTransceive(false);
    QCOMPARE(sent(rig.feed(QByteArray::fromHex(frames))), replies);
}

void TestIcomModel::frontPanel()
{
    // The radio reports what it shows: the selected VFO's frequency and its mode and filter.
    RigModel rig(radio("ic7300"));
    QCOMPARE(sent(rig.turnVfoA(7'074'000)), normalised("FEFE0094000040070700FD"));
    QCOMPARE(sent(rig.turnVfoB(7'080'000)), QByteArray());
    QCOMPARE(sent(rig.selectMode('\x03')), normalised("FEFE0094010302FD"));
    QCOMPARE(sent(rig.setTransmit(true)), QByteArray());
    QCOMPARE(sent(rig.setFilterWidth(500)), QByteArray());
    QCOMPARE(sent(rig.feed(QByteArray::fromHex("FEFE94E01A03FD"))), normalised("FEFEE0941A0309FD"));
    QVERIFY(!rig.tunes(144'174'000));
    QVERIFY(rig.turnVfoA(144'174'000).isEmpty());
    rig.setTransceive(false);
    QCOMPARE(sent(rig.turnVfoA(3'573'000)), QByteArray());

    RigModel vhf(radio("ic9700"));
    const BandPlanRow *seventy = cat::bandOf(432'174'000);
    QVERIFY(seventy && cat::covers(vhf.radio(), *seventy));
    QVERIFY(!cat::covers(vhf.radio(), *cat::bandOf(14'074'000)));
    QCOMPARE(sent(vhf.selectBand(*seventy)), normalised("FEFE00A2000040173204FD"));
}

void TestIcomModel::garbageIsBounded()
{
    RigModel rig(radio("ic7300"));
    const QByteArray endless = QByteArray::fromHex("FEFE94E005") + QByteArray(10 * 1024, '\x11');
    for (int i = 0; i < 64; ++i) {
        QVERIFY(rig.feed(endless).isEmpty());
        QVERIFY(rig.pendingLength() < CivFramer::kMaxFrame);
    }
    QCOMPARE(sent(rig.feed(QByteArray::fromHex("FDFEFE94E003FD"))),
             normalised("FEFEE094030040071400FD"));
}

QTEST_GUILESS_MAIN(TestIcomModel)
#include "tst_icom_model.moc"
