#include "rig/civ_framing.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

using Frames = QList<QByteArray>;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

Frames hexList(std::initializer_list<const char *> texts)
{
    Frames out;
    for (const char *t : texts)
        out.append(hex(t));
    return out;
}

} // namespace

class TestCivFraming : public QObject {
    Q_OBJECT
private slots:
    void feed_data();
    void feed();
    void everyCutGivesTheSameFrames();
    void endlessFrameStaysBounded();
    void randomBytesGiveOnlyWholeFrames();
    void direction_data();
    void direction();
    void numbers();
    void building();
};

void TestCivFraming::feed_data()
{
    QTest::addColumn<Frames>("arrivals");
    QTest::addColumn<Frames>("frames");
    QTest::addColumn<qsizetype>("discarded");
    QTest::addColumn<QByteArray>("left");

    QTest::newRow("a frequency reply")
        << hexList({"FEFEE094030040071400FD"}) << hexList({"FEFEE094030040071400FD"})
        << qsizetype(0) << QByteArray();
    QTest::newRow("garbage before and between")
        << hexList({"0102FEFE94E003FD", "0D0AFEFE94E004FD"})
        << hexList({"FEFE94E003FD", "FEFE94E004FD"}) << qsizetype(4) << QByteArray();
    QTest::newRow("a wake-up run of preambles")
        << hexList({"FEFEFEFEFEFE94E01801FD"}) << hexList({"FEFE94E01801FD"}) << qsizetype(4)
        << QByteArray();
    QTest::newRow("a collision drops its frame")
        << hexList({"FEFE94E003FCFCFC", "FEFE94E004FD"}) << hexList({"FEFE94E004FD"})
        << qsizetype(8) << QByteArray();
    QTest::newRow("a frame cut short by the next")
        << hexList({"FEFE94E0050040FEFE94E003FD"}) << hexList({"FEFE94E003FD"}) << qsizetype(7)
        << QByteArray();
    QTest::newRow("too short to be a frame")
        << hexList({"FEFE94FD", "FEFE94E0FD", "FD"}) << Frames{} << qsizetype(10) << QByteArray();
    QTest::newRow("a lone preamble byte is garbage")
        << hexList({"FE01FE", "FE94E003FD"}) << hexList({"FEFE94E003FD"}) << qsizetype(2)
        << QByteArray();
    QTest::newRow("frames to other radios pass: addresses are the reader's business")
        << hexList({"FEFE88E003FD", "FEFE0094000040071400FD"})
        << hexList({"FEFE88E003FD", "FEFE0094000040071400FD"}) << qsizetype(0) << QByteArray();
    QTest::newRow("an unfinished frame waits")
        << hexList({"FEFE94E0", "05"}) << Frames{} << qsizetype(0) << hex("FEFE94E005");
}

void TestCivFraming::feed()
{
    QFETCH(Frames, arrivals);
    QFETCH(Frames, frames);
    QFETCH(qsizetype, discarded);
    QFETCH(QByteArray, left);
    CivFramer framer;
    Frames got;
    qsizetype thrown = 0;
    for (const QByteArray &a : arrivals) {
        const CivFramer::Result r = framer.feed(a);
        got += r.frames;
        thrown += r.discarded;
    }
    QCOMPARE(got, frames);
    QCOMPARE(thrown, discarded);
    QCOMPARE(framer.pending(), left);
    QCOMPARE(framer.finish().discarded, left.size());
    QVERIFY(framer.pending().isEmpty());
}

void TestCivFraming::everyCutGivesTheSameFrames()
{
    const Frames whole = hexList({"FEFEE094030040071400FD", "FEFEE094040102FD", "FEFEE094FBFD",
                                  "FEFE0094000040071400FD", "FEFEE0941C0000FD"});
    const QByteArray stream = whole.join();
    for (qsizetype a = 0; a <= stream.size(); ++a) {
        for (qsizetype b = a; b <= stream.size(); b += 5) {
            CivFramer framer;
            Frames got = framer.feed(stream.left(a)).frames;
            got += framer.feed(stream.mid(a, b - a)).frames;
            got += framer.feed(stream.mid(b)).frames;
            QVERIFY2(got == whole, qPrintable(QStringLiteral("cut at %1 and %2").arg(a).arg(b)));
            QVERIFY(framer.pending().isEmpty());
        }
    }
}

void TestCivFraming::endlessFrameStaysBounded()
{
    // 10 KiB after a preamble and never an FD, read in pieces of several sizes: nothing grows,
    // and the frame after it is whole.
    for (const qsizetype read : {1, 7, 64, 4096}) {
        CivFramer framer;
        const QByteArray endless = hex("FEFE94E0") + QByteArray(10 * 1024, '\x11');
        qsizetype discarded = 0;
        for (qsizetype at = 0; at < endless.size(); at += read) {
            const CivFramer::Result r = framer.feed(endless.mid(at, read));
            QVERIFY(r.frames.isEmpty());
            discarded += r.discarded;
            QVERIFY(framer.pending().size() < CivFramer::kMaxFrame);
        }
        const CivFramer::Result r = framer.feed(hex("FDFEFE94E003FD"));
        QCOMPARE(r.frames, hexList({"FEFE94E003FD"}));
        QCOMPARE(discarded + r.discarded, endless.size() + 1);
    }
}

void TestCivFraming::randomBytesGiveOnlyWholeFrames()
{
    // Random bytes with preambles, ends and collisions mixed in: every frame handed on is
    // whole, and every byte is either in a frame or counted as discarded.
    QRandomGenerator random(25);
    CivFramer framer;
    qsizetype in = 0;
    qsizetype accounted = 0;
    qsizetype frames = 0;
    for (int round = 0; round < 2000; ++round) {
        QByteArray chunk(random.bounded(1, 40), '\0');
        for (char &c : chunk) {
            const quint32 pick = random.bounded(10);
            c = char(pick == 0 ? 0xFE : pick == 1 ? 0xFD : pick == 2 ? 0xFC : random.bounded(256));
        }
        in += chunk.size();
        const CivFramer::Result r = framer.feed(chunk);
        accounted += r.discarded;
        for (const QByteArray &f : r.frames) {
            accounted += f.size();
            ++frames;
            QVERIFY(f.size() >= civ::kMinFrame && f.size() <= CivFramer::kMaxFrame);
            QVERIFY(f.startsWith(hex("FEFE")) && f.endsWith(char(civ::kEnd)));
            const QByteArray inside = f.mid(2, f.size() - 3);
            QVERIFY(!inside.contains(char(0xFE)) && !inside.contains(char(0xFD)) &&
                    !inside.contains(char(0xFC)));
        }
        QVERIFY(framer.pending().size() < CivFramer::kMaxFrame);
    }
    accounted += framer.finish().discarded;
    QCOMPARE(accounted, in);
    QVERIFY(frames > 0); // the mix does make frames
}

void TestCivFraming::direction_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<civ::Direction>("direction");
    QTest::newRow("our own command echoed") << hex("FEFE94E003FD") << civ::Direction::ToRadio;
    QTest::newRow("another controller's command") << hex("FEFE947003FD") << civ::Direction::ToRadio;
    QTest::newRow("the reply") << hex("FEFEE094FBFD") << civ::Direction::Reply;
    QTest::newRow("a reply to another controller") << hex("FEFE7094FBFD") << civ::Direction::Reply;
    QTest::newRow("transceive") << hex("FEFE0094000040071400FD") << civ::Direction::Transceive;
    QTest::newRow("another radio") << hex("FEFEE0A2FBFD") << civ::Direction::Other;
    QTest::newRow("not a frame") << hex("FEFEFD") << civ::Direction::Other;
}

void TestCivFraming::direction()
{
    QFETCH(QByteArray, frame);
    QFETCH(civ::Direction, direction);
    QCOMPARE(civ::direction(frame, 0x94), direction);
}

void TestCivFraming::numbers()
{
    QCOMPARE(civ::frequencyBytes(14'074'000), hex("0040071400"));
    QCOMPARE(civ::frequencyBytes(1'296'123'450), hex("5034129612")); // 23 cm in five bytes
    QCOMPARE(civ::frequencyBytes(10'368'100'000, 6), hex("000010680301"));
    QVERIFY(civ::frequencyBytes(10'368'100'000).isEmpty()); // needs the sixth byte
    QVERIFY(civ::frequencyBytes(-1).isEmpty());
    QCOMPARE(civ::frequency(hex("0040071400")).value_or(-1), qint64(14'074'000));
    QCOMPARE(civ::frequency(hex("000010680301")).value_or(-1), qint64(10'368'100'000));
    QVERIFY(!civ::frequency(hex("00400714A0"))); // not BCD
    QVERIFY(!civ::frequency(QByteArray()));
    QCOMPARE(civ::bcd(255, 2), hex("0255"));
    QCOMPARE(civ::bcd(7, 1), hex("07"));
    QVERIFY(civ::bcd(100, 1).isEmpty());
    QCOMPARE(civ::number(hex("0128")).value_or(-1), 128);
    QVERIFY(!civ::number(hex("1F")));
}

void TestCivFraming::building()
{
    QCOMPARE(civ::frame(0x94, civ::kController, hex("03")), hex("FEFE94E003FD"));
    QCOMPARE(civ::frame(0x94, 0xE0, hex("1C0001")), hex("FEFE94E01C0001FD"));
    // Bytes the framing reserves would break the frame on the line: nothing is built.
    QVERIFY(civ::frame(0x94, 0xE0, hex("05FD")).isEmpty());
    QVERIFY(civ::frame(0xFE, 0xE0, hex("03")).isEmpty());
    QVERIFY(civ::frame(0x94, 0xFC, hex("03")).isEmpty());
    QVERIFY(civ::frame(0x94, 0xE0, {}).isEmpty());
    const QByteArray built = civ::frame(0xA2, 0xE0, hex("2500"));
    QCOMPARE(civ::to(built), quint8(0xA2));
    QCOMPARE(civ::from(built), quint8(0xE0));
    QCOMPARE(civ::body(built), hex("2500"));
}

QTEST_GUILESS_MAIN(TestCivFraming)
#include "tst_civ_framing.moc"
