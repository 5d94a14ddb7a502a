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

} // namespace

class TestIcomModel : public QObject {
    Q_OBJECT
private slots:
    void catalogue();
    void exchanges_data();
    void exchanges();
    void frontPanelAndGarbage();
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
                QVERIFY2(!codes.contains(code) && c.handler, code.toHex());
                codes.insert(code);
                QVERIFY2(c.access == CivAccess::Set || c.access == CivAccess::Quiet ||
                             c.handler->read,
                         code.toHex());
                QVERIFY2(c.access == CivAccess::Read || c.handler->set, code.toHex());
            }
        }
    }
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
    // FIL2 (2.4 kHz), receiving, split off, transceive on, echo off. Rows: frequency, to the
    // asker's address, the IC-9700's VFOs, ID, setting (FB, then transceive), out of range or
    // not BCD, mode keeping its filter, a mode the radio lacks, DV, the other VFO without
    // switching, data modes, VFO B, main/sub, split, S-meter in TX, power, width, transceive by
    // menu and from the start, unknown and malformed, 00 sets quietly, frames for others, USB
    // echo, standby, garbage and collisions.
    const struct {
        const char *model, *options, *frames, *replies;
    } rows[] = {
        {"ic7300", "", "FEFE94E003FD", "FEFEE094030040071400FD"},
        {"ic7300", "", "FEFE947003FD", "FEFE7094030040071400FD"},
        {"ic9700", "", "FEFEA2E003FD FEFEA2E02501FD",
         "FEFEE0A2030040174401FD FEFEE0A225010040173204FD"},
        {"ic705", "", "FEFEA4E01900FD", "FEFEE0A41900A4FD"},
        {"ic7300", "", "FEFE94E0050000040700FD", "FEFEE094FBFD FEFE0094000000040700FD"},
        {"ic9700", "", "FEFEA2E0050000040700FD FEFEA2E005000004074AFD FEFEA2E00500000407FD",
         "FEFEE0A2FAFD FEFEE0A2FAFD FEFEE0A2FAFD"},
        {"ic7300", "", "FEFE94E00603FD FEFE94E004FD",
         "FEFEE094FBFD FEFE0094010302FD FEFEE094040302FD"},
        {"ic7300", "", "FEFE94E00617FD FEFE94E0060104FD", "FEFEE094FAFD FEFEE094FAFD"},
        {"ic705", "", "FEFEA4E0061701FD", "FEFEE0A4FBFD FEFE00A4011701FD"},
        {"ic7300", "",
         "FEFE94E02601030001FD FEFE94E025010000040700FD FEFE94E02601FD FEFE94E02501FD",
         "FEFEE094FBFD FEFEE094FBFD FEFEE0942601030001FD FEFEE09425010000040700FD"},
        {"ic7300", "", "FEFE94E02600010101FD FEFE94E02600FD FEFE94E02600030101FD",
         "FEFEE094FBFD FEFE0094010101FD FEFEE0942600010101FD FEFEE094FAFD"},
        {"ic7300", "", "FEFE94E00701FD FEFE94E003FD",
         "FEFEE094FBFD FEFE0094000000081400FD FEFEE094030000081400FD"},
        {"ic7300", "", "FEFE94E007D1FD FEFE94E007D2FD", "FEFEE094FAFD FEFEE094FAFD"},
        {"ic7610", "", "FEFE98E007D1FD FEFE98E007D2FD",
         "FEFEE098FBFD FEFE0098000000081400FD FEFEE09807D201FD"},
        {"ic7300", "", "FEFE94E00F01FD FEFE94E00FFD FEFE94E00F02FD",
         "FEFEE094FBFD FEFEE0940F01FD FEFEE094FAFD"},
        {"ic7300", "", "FEFE94E01502FD FEFE94E01C0001FD FEFE94E01C00FD FEFE94E01502FD",
         "FEFEE09415020060FD FEFEE094FBFD FEFEE0941C0001FD FEFEE09415020000FD"},
        {"ic7300", "", "FEFE94E0140A0128FD FEFE94E0140AFD FEFE94E0140A0256FD FEFE94E0140A01FD",
         "FEFEE094FBFD FEFEE094140A0128FD FEFEE094FAFD FEFEE094FAFD"},
        {"ic7300", "", "FEFE94E01A03FD FEFE94E01A0309FD FEFE94E01A03FD FEFE94E01A0341FD",
         "FEFEE0941A0328FD FEFEE094FBFD FEFEE0941A0309FD FEFEE094FAFD"},
        {"ic7300", "", "FEFE94E01A05007100FD FEFE94E01A050071FD FEFE94E0050000040700FD",
         "FEFEE094FBFD FEFEE0941A05007100FD FEFEE094FBFD"},
        {"ic9700", "quiet", "FEFEA2E0050000304401FD", "FEFEE0A2FBFD"},
        {"ic7300", "", "FEFE94E01EFD FEFE94E00301FD FEFE94E005FD FEFE94E018FD FEFE94E007FD",
         "FEFEE094FAFD FEFEE094FAFD FEFEE094FAFD FEFEE094FAFD FEFEE094FBFD"},
        {"ic7300", "", "FEFE94E0000000040700FD", "FEFE0094000000040700FD"},
        {"ic7300", "", "FEFE98E003FD FEFE00E003FD FEFE0098000040071400FD", ""},
        {"ic7300", "echo", "FEFE94E003FD FEFE98E003FD",
         "FEFE94E003FD FEFEE094030040071400FD FEFE98E003FD"},
        {"ic7300", "", "FEFE94E01800FD FEFE94E003FD FEFE94E01801FD FEFE94E003FD",
         "FEFEE094FBFD FEFEE094030040071400FD"},
        {"ic7300", "", "0102 FEFE94E005FCFC FEFE94E0 FEFE94E003FD FEFE94E003",
         "FEFEE094030040071400FD"},
    };
    int n = 0;
    for (const auto &r : rows)
        QTest::addRow("%d %s", ++n, r.model) << QByteArray(r.model) << QByteArray(r.options)
                                             << QByteArray(r.frames) << QByteArray(r.replies);
}

void TestIcomModel::exchanges()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, options);
    QFETCH(QByteArray, frames);
    QFETCH(QByteArray, replies);
    RigModel rig(radio(model));
    rig.setEcho(options == "echo");
    rig.setTransceive(options != "quiet");
    QCOMPARE(sent(rig.feed(QByteArray::fromHex(frames))), replies);
}

void TestIcomModel::frontPanelAndGarbage()
{
    // The radio reports what it shows: the selected VFO's frequency and its mode and filter.
    RigModel rig(radio("ic7300"));
    QCOMPARE(sent(rig.turnVfoA(7'074'000)), QByteArray("FEFE0094000040070700FD"));
    QCOMPARE(sent(rig.turnVfoB(7'080'000)), QByteArray());
    QCOMPARE(sent(rig.selectMode('\x03')), QByteArray("FEFE0094010302FD"));
    QCOMPARE(sent(rig.setTransmit(true)), QByteArray());
    QCOMPARE(sent(rig.setFilterWidth(500)), QByteArray());
    QCOMPARE(sent(rig.feed(QByteArray::fromHex("FEFE94E01A03FD"))), QByteArray("FEFEE0941A0309FD"));
    QVERIFY(rig.turnVfoA(144'174'000).isEmpty());
    rig.setTransceive(false);
    QCOMPARE(sent(rig.turnVfoA(3'573'000)), QByteArray());

    RigModel vhf(radio("ic9700"));
    const BandPlanRow *seventy = cat::bandOf(432'174'000);
    QVERIFY(seventy && cat::covers(vhf.radio(), *seventy));
    QVERIFY(!cat::covers(vhf.radio(), *cat::bandOf(14'074'000)));
    QCOMPARE(sent(vhf.selectBand(*seventy)), QByteArray("FEFE00A2000040173204FD"));

    // An endless frame stays bounded; the one after it is served.
    const QByteArray endless = QByteArray::fromHex("FEFE94E005") + QByteArray(10 * 1024, '\x11');
    for (int i = 0; i < 64; ++i) {
        QVERIFY(rig.feed(endless).isEmpty());
        QVERIFY(rig.pendingLength() < CivFramer::kMaxFrame);
    }
    QCOMPARE(sent(rig.feed(QByteArray::fromHex("FDFEFE94E003FD"))),
             QByteArray("FEFEE094030030570300FD"));
}

QTEST_GUILESS_MAIN(TestIcomModel)
#include "tst_icom_model.moc"
