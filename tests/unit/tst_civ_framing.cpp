#include "rig/civ_framing.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

using Frames = QList<QByteArray>;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Space-separated hex frames.
Frames hexList(const char *texts)
{
    Frames out;
    for (const QByteArray &t : QByteArray(texts).split(' '))
        if (!t.isEmpty())
            out.append(QByteArray::fromHex(t));
    return out;
}

} // namespace

class TestCivFraming : public QObject {
    Q_OBJECT
private slots:
    void feed_data();
    void feed();
    void everyCutGivesTheSameFrames();
    void randomBytesStayBounded();
    void direction();
    void numbersAndFrames();
};

void TestCivFraming::feed_data()
{
    QTest::addColumn<Frames>("arrivals");
    QTest::addColumn<Frames>("frames");
    QTest::addColumn<qsizetype>("discarded");
    QTest::addColumn<QByteArray>("left");
    const struct {
        const char *name, *arrivals, *frames;
        qsizetype discarded;
        const char *left;
    } rows[] = {
        {"a reply", "FEFEE094030040071400FD", "FEFEE094030040071400FD", 0, ""},
        {"garbage around", "0102FEFE94E003FD 0D0AFEFE94E004FD", "FEFE94E003FD FEFE94E004FD", 4, ""},
        {"a wake-up run of preambles", "FEFEFEFEFEFE94E01801FD", "FEFE94E01801FD", 4, ""},
        {"a collision drops its frame", "FEFE94E003FCFCFC FEFE94E004FD", "FEFE94E004FD", 8, ""},
        {"cut short by the next", "FEFE94E0050040FEFE94E003FD", "FEFE94E003FD", 7, ""},
        {"too short", "FEFE94FD FEFE94E0FD FD", "", 10, ""},
        {"a lone preamble byte", "FE01FE FE94E003FD", "FEFE94E003FD", 2, ""},
        {"other addresses pass", "FEFE88E003FD FEFE0094000040071400FD",
         "FEFE88E003FD FEFE0094000040071400FD", 0, ""},
        {"an unfinished frame waits", "FEFE94E0 05", "", 0, "FEFE94E005"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << hexList(r.arrivals) << hexList(r.frames) << r.discarded
                              << hex(r.left);
    // 10 KiB after a preamble and never an FD, in reads of several sizes: the frame after it is
    // whole.
    const QByteArray endless = hex("FEFE94E0") + QByteArray(10 * 1024, '\x11');
    for (const qsizetype read : {1, 7, 4096}) {
        Frames reads;
        for (qsizetype at = 0; at < endless.size(); at += read)
            reads << endless.mid(at, read);
        QTest::addRow("endless, in reads of %d", int(read))
            << reads + Frames{hex("FDFEFE94E003FD")} << hexList("FEFE94E003FD")
            << endless.size() + 1 << QByteArray();
    }
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
        QVERIFY(framer.pending().size() < CivFramer::kMaxFrame);
    }
    QCOMPARE(got, frames);
    QCOMPARE(thrown, discarded);
    QCOMPARE(framer.pending(), left);
    QCOMPARE(framer.finish().discarded, left.size());
    QVERIFY(framer.pending().isEmpty());
}

void TestCivFraming::everyCutGivesTheSameFrames()
{
    const Frames whole = hexList("FEFEE094030040071400FD FEFEE094040102FD FEFEE094FBFD "
                                 "FEFE0094000040071400FD FEFEE0941C0000FD");
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

void TestCivFraming::randomBytesStayBounded()
{
    // Random bytes with preambles, ends and collisions mixed in: every frame handed on is whole,
    // and every byte is either in a frame or counted as discarded.
    QRandomGenerator random(25);
    CivFramer framer;
    qsizetype in = 0, accounted = 0, frames = 0;
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
            const QByteArray inside = f.mid(2, f.size() - 3);
            QVERIFY(f.size() >= civ::kMinFrame && f.size() <= CivFramer::kMaxFrame);
            QVERIFY(f.startsWith(hex("FEFE")) && f.endsWith(char(civ::kEnd)));
            QVERIFY(!inside.contains(char(0xFE)) && !inside.contains(char(0xFD)) &&
                    !inside.contains(char(0xFC)));
        }
        QVERIFY(framer.pending().size() < CivFramer::kMaxFrame);
    }
    QCOMPARE(accounted + framer.finish().discarded, in);
    QVERIFY(frames > 0); // the mix does make frames
}

void TestCivFraming::direction()
{
    using D = civ::Direction;
    const std::pair<const char *, D> rows[] = {
        {"FEFE94E003FD", D::ToRadio}, // our own command echoed
        {"FEFE947003FD", D::ToRadio}, // another controller's command
        {"FEFEE094FBFD", D::Reply},   // the reply
        {"FEFE7094FBFD", D::Reply},   // a reply to another controller
        {"FEFE0094000040071400FD", D::Transceive},
        {"FEFEE0A2FBFD", D::Other}, // another radio
        {"FEFEFD", D::Other},
    };
    for (const auto &[frame, direction] : rows)
        QVERIFY2(civ::direction(hex(frame), 0x94) == direction, frame);
}

void TestCivFraming::numbersAndFrames()
{
    QCOMPARE(civ::frequencyBytes(14'074'000), hex("0040071400"));
    QCOMPARE(civ::frequencyBytes(1'296'123'450), hex("5034129612")); // 23 cm in five bytes
    QCOMPARE(civ::frequencyBytes(10'368'100'000, 6), hex("000010680301"));
    QVERIFY(civ::frequencyBytes(10'368'100'000).isEmpty()); // needs the sixth byte
    QVERIFY(civ::frequencyBytes(-1).isEmpty());
    QCOMPARE(civ::frequency(hex("000010680301")).value_or(-1), qint64(10'368'100'000));
    QVERIFY(!civ::frequency(hex("00400714A0"))); // not BCD
    QVERIFY(!civ::frequency(QByteArray()));
    QCOMPARE(civ::bcd(255, 2), hex("0255"));
    QVERIFY(civ::bcd(100, 1).isEmpty());
    QCOMPARE(civ::number(hex("0128")).value_or(-1), 128);
    QVERIFY(!civ::number(hex("1F")));

    QCOMPARE(civ::frame(0x94, civ::kController, hex("03")), hex("FEFE94E003FD"));
    // Bytes the framing reserves would break the frame on the line: nothing is built.
    QVERIFY(civ::frame(0x94, 0xE0, hex("05FD")).isEmpty());
    QVERIFY(civ::frame(0xFE, 0xE0, hex("03")).isEmpty());
    QVERIFY(civ::frame(0x94, 0xFC, hex("03")).isEmpty());
    QVERIFY(civ::frame(0x94, 0xE0, {}).isEmpty());
    const QByteArray built = civ::frame(0xA2, 0xE0, hex("2500"));
    QVERIFY(civ::to(built) == 0xA2 && civ::from(built) == 0xE0 && civ::body(built) == hex("2500"));
}

QTEST_GUILESS_MAIN(TestCivFraming)
#include "tst_civ_framing.moc"
