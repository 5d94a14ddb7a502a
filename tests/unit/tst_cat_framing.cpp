#include "rig/cat_framing.h"

#include <QTest>

class TestCatFraming : public QObject {
    Q_OBJECT
private slots:
    void feed_data();
    void feed();
    void everyCutGivesTheSameReplies();
    void garbageWithoutTerminatorStaysBounded();
    void overflowKeepsCompleteCommandsAndShortTail();
    void everyPieceIsBounded_data();
    void everyPieceIsBounded();
    void piecesDoNotHoldTheirRead();
};

using Pieces = QList<QByteArray>;

void TestCatFraming::feed_data()
{
    QTest::addColumn<QList<QByteArray>>("arrivals");
    QTest::addColumn<Pieces>("pieces"); // all pieces handed on, in order
    QTest::addColumn<QByteArray>("left");

    QTest::newRow("one reply") << QList<QByteArray>{"FA00014060000;"} << Pieces{"FA00014060000;"}
                               << QByteArray();
    QTest::newRow("two FA and an IF at once")
        << QList<QByteArray>{"FA00014060000;FA00014070000;IF00014070000     +000000 0002000001 ;"}
        << Pieces{"FA00014060000;", "FA00014070000;", "IF00014070000     +000000 0002000001 ;"}
        << QByteArray();
    QTest::newRow("complete reply waits for an incomplete tail")
        << QList<QByteArray>{"FA00014060000;IF000"} << Pieces{}
        << QByteArray("FA00014060000;IF000");
    QTest::newRow("tail completed later")
        << QList<QByteArray>{"FA;IF", ";"} << Pieces{"FA;", "IF;"} << QByteArray();
    QTest::newRow("empty piece is a lone ;")
        << QList<QByteArray>{"FA;;"} << Pieces{"FA;", ";"} << QByteArray();
    QTest::newRow("first character apart")
        << QList<QByteArray>{"F", "A;"} << Pieces{"FA;"} << QByteArray();
    QTest::newRow("line end becomes start of next command")
        << QList<QByteArray>{"FA;\r\n", "IF;"} << Pieces{"FA;", "\r\nIF;"} << QByteArray();
    QTest::newRow("bytes 0x80-0xFF pass")
        << QList<QByteArray>{QByteArray("IC\x80\xff\x01\x02\x03;")}
        << Pieces{QByteArray("IC\x80\xff\x01\x02\x03;")} << QByteArray();
}

void TestCatFraming::feed()
{
    QFETCH(QList<QByteArray>, arrivals);
    QFETCH(Pieces, pieces);
    QFETCH(QByteArray, left);
    CatFramer framer;
    Pieces got;
    for (const QByteArray &a : arrivals)
        got += framer.feed(a).pieces;
    QCOMPARE(got, pieces);
    QCOMPARE(framer.pending(), left);
}

void TestCatFraming::everyCutGivesTheSameReplies()
{
    const QByteArray stream = "FA00014060000;FB00007040000;IF00014060000     +000000 0002000001 ;"
                              "OM AP-S--------;TQ0;;?;";
    const Pieces whole = CatFramer::split(stream);
    QCOMPARE(whole.size(), 7);
    for (qsizetype a = 0; a <= stream.size(); ++a) {
        for (qsizetype b = a; b <= stream.size(); b += 7) {
            CatFramer framer;
            Pieces got = framer.feed(stream.left(a)).pieces;
            got += framer.feed(stream.mid(a, b - a)).pieces;
            got += framer.feed(stream.mid(b)).pieces;
            QVERIFY2(got == whole, qPrintable(QStringLiteral("cut at %1 and %2").arg(a).arg(b)));
            QVERIFY(framer.pending().isEmpty());
        }
    }
}

void TestCatFraming::garbageWithoutTerminatorStaysBounded()
{
    // However the garbage is cut into reads, it never glues onto the replies after it.
    for (const qsizetype read : {1, 7, 1000, 4096, 16384}) {
        CatFramer framer;
        const QByteArray garbage(1000003, 'x');
        qsizetype discarded = 0;
        for (qsizetype at = 0; at < garbage.size(); at += read) {
            const CatFramer::Result r = framer.feed(garbage.mid(at, read));
            discarded += r.discarded;
            QVERIFY(r.pieces.isEmpty());
            QVERIFY(framer.pending().size() <= CatFramer::kMaxCommand + read);
        }
        const CatFramer::Result r = framer.feed("FA00014060000;FA00014070000;");
        discarded += r.discarded;
        QCOMPARE(r.pieces, Pieces{"FA00014070000;"}); // the first went with the garbage's end
        QCOMPARE(discarded, garbage.size() + 14);
        QCOMPARE(framer.feed("IF;").pieces, Pieces{"IF;"});
    }
}

void TestCatFraming::overflowKeepsCompleteCommandsAndShortTail()
{
    CatFramer framer;
    QByteArray many;
    while (many.size() <= CatFramer::kMaxPending)
        many += "FA;";
    many += "I"; // a real command cut short: kept for the next arrival
    const CatFramer::Result r = framer.feed(many);
    QCOMPARE(r.pieces.size(), (many.size() - 1) / 3);
    QCOMPARE(r.discarded, 0);
    QCOMPARE(framer.feed("F;").pieces, Pieces{"IF;"});
    // Garbage after complete replies: the replies are kept, the garbage goes.
    const CatFramer::Result g = framer.feed("FA;" + QByteArray(CatFramer::kMaxCommand + 1, 'z'));
    QCOMPARE(g.pieces, Pieces{"FA;"});
    QCOMPARE(g.discarded, CatFramer::kMaxCommand + 1);
    QVERIFY(framer.pending().isEmpty());
    QCOMPARE(framer.feed("zz;ID;").pieces, Pieces{"ID;"});
    framer.feed(QByteArray(CatFramer::kMaxCommand + 1, 'z'));
    framer.clear(); // a click on the port's button starts afresh
    QCOMPARE(framer.feed("ID;").pieces, Pieces{"ID;"});
}

void TestCatFraming::everyPieceIsBounded_data()
{
    QTest::addColumn<QList<QByteArray>>("arrivals");
    QTest::addColumn<Pieces>("pieces");
    QTest::addColumn<qsizetype>("discarded");

    const auto run = [](qsizetype n) { return QByteArray(n, 'x'); };
    const qsizetype bound = CatFramer::kMaxCommand;
    QTest::newRow("3711 bytes with their ; in one read")
        << QList<QByteArray>{run(3710) + ";FA;"} << Pieces{"FA;"} << qsizetype(3711);
    QTest::newRow("as long as CAT text gets")
        << QList<QByteArray>{run(bound) + ";"} << Pieces{run(bound) + ";"} << qsizetype(0);
    QTest::newRow("one character more")
        << QList<QByteArray>{run(bound + 1) + ";"} << Pieces{} << bound + 2;
    QTest::newRow("grown past the bound by a second read")
        << QList<QByteArray>{run(1000), run(500) + ";ID;"} << Pieces{"ID;"} << qsizetype(1501);
    QTest::newRow("between two good replies")
        << QList<QByteArray>{"FA;" + run(2000) + ";IF;"} << Pieces{"FA;", "IF;"} << qsizetype(2001);
    QTest::newRow("handed on early behind a short tail")
        << QList<QByteArray>{QByteArray("FA;").repeated(CatFramer::kMaxPending / 3) + run(2000) +
                             ";ID"}
        << QList<QByteArray>(CatFramer::kMaxPending / 3, "FA;") << qsizetype(2001);
}

void TestCatFraming::everyPieceIsBounded()
{
    QFETCH(QList<QByteArray>, arrivals);
    QFETCH(Pieces, pieces);
    QFETCH(qsizetype, discarded);
    CatFramer framer;
    Pieces got;
    qsizetype thrown = 0;
    for (const QByteArray &a : arrivals) {
        const CatFramer::Result r = framer.feed(a);
        got += r.pieces;
        thrown += r.discarded;
    }
    QCOMPARE(got, pieces);
    QCOMPARE(thrown, discarded);
}

void TestCatFraming::piecesDoNotHoldTheirRead()
{
    // A port reads into a buffer of tens of KiB; a piece kept for long (the virtual rig, the 100
    // lines of a terminal) must not keep that buffer alive for its few characters.
    QByteArray read;
    read.reserve(64 * 1024);
    read.append("FA00014060000;");
    CatFramer framer;
    const Pieces pieces = framer.feed(read).pieces;
    QCOMPARE(pieces, Pieces{"FA00014060000;"});
    QVERIFY(!pieces.first().isSharedWith(read));
    QVERIFY(pieces.first().capacity() < 1024);
    QVERIFY(!CatFramer::split(read).first().isSharedWith(read));
}

QTEST_GUILESS_MAIN(TestCatFraming)
#include "tst_cat_framing.moc"
