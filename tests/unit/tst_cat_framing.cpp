#include "rig/cat_framing.h"

#include <QTest>

class TestCatFraming : public QObject {
    Q_OBJECT
private slots:
    void feed_data();
    void feed();
    void everyCutGivesTheSameReplies();
    void garbageWithoutTerminatorStaysBounded();
    void piecesDoNotHoldTheirRead();
};

using Pieces = QList<QByteArray>;

void TestCatFraming::feed_data()
{
    QTest::addColumn<QList<QByteArray>>("arrivals");
    QTest::addColumn<Pieces>("pieces"); // all pieces handed on, in order
    QTest::addColumn<qsizetype>("discarded");
    QTest::addColumn<QByteArray>("left");
    const auto run = [](qsizetype n) { return QByteArray(n, 'x'); };
    const qsizetype bound = CatFramer::kMaxCommand;
    const auto row = [](const char *name, QList<QByteArray> arrivals, Pieces pieces,
                        qsizetype discarded = 0, const char *left = "") {
        QTest::newRow(name) << arrivals << pieces << discarded << QByteArray(left);
    };
    row("two FA and an IF at once",
        {"FA00014060000;FA00014070000;IF00014070000     +000000 0002000001 ;"},
        {"FA00014060000;", "FA00014070000;", "IF00014070000     +000000 0002000001 ;"});
    row("complete reply waits for an incomplete tail", {"FA00014060000;IF000"}, {}, 0,
        "FA00014060000;IF000");
    row("tail completed later", {"FA;IF", ";"}, {"FA;", "IF;"});
    row("empty piece is a lone ;", {"FA;;"}, {"FA;", ";"});
    row("line end becomes start of next command", {"FA;\r\n", "IF;"}, {"FA;", "\r\nIF;"});
    row("bytes 0x80-0xFF pass", {"IC\x80\xff\x01\x02\x03;"}, {"IC\x80\xff\x01\x02\x03;"});
    row("3711 bytes with their ; in one read", {run(3710) + ";FA;"}, {"FA;"}, 3711);
    row("as long as CAT text gets", {run(bound) + ";"}, {run(bound) + ";"});
    row("one character more", {run(bound + 1) + ";"}, {}, bound + 2);
    row("grown past the bound by a second read", {run(1000), run(500) + ";ID;"}, {"ID;"}, 1501);
    row("between two good replies", {"FA;" + run(2000) + ";IF;"}, {"FA;", "IF;"}, 2001);
    const qsizetype fas = CatFramer::kMaxPending / 3 + 1;
    row("past the pending bound, a real command cut short waits",
        {QByteArray("FA;").repeated(fas) + "I", "F;"}, Pieces(fas, "FA;") << "IF;");
    row("garbage after a reply, its ; in the next read", {"FA;" + run(bound + 1), "zz;ID;"},
        {"FA;", "ID;"}, bound + 4);
    row("handed on early behind a short tail",
        {QByteArray("FA;").repeated(CatFramer::kMaxPending / 3) + run(2000) + ";ID"},
        Pieces(CatFramer::kMaxPending / 3, "FA;"), 2001, "ID");
}

void TestCatFraming::feed()
{
    QFETCH(QList<QByteArray>, arrivals);
    QFETCH(Pieces, pieces);
    QFETCH(qsizetype, discarded);
    QFETCH(QByteArray, left);
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
        framer.feed(QByteArray(CatFramer::kMaxCommand + 1, 'z'));
        framer.clear(); // a click on the port's button starts afresh
        QCOMPARE(framer.feed("ID;").pieces, Pieces{"ID;"});
    }
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
