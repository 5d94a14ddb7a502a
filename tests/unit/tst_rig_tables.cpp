#include "rig/rig_tables.h"

#include <QTest>

class TestRigTables : public QObject {
    Q_OBJECT
private slots:
    void loadQueries_data();
    void loadQueries();
    void setUp_data();
    void setUp();
    void pollWrites_data();
    void pollWrites();
};

void TestRigTables::loadQueries_data()
{
    QTest::addColumn<int>("rigType");
    QTest::addColumn<QString>("queries");
    const QString common = QStringLiteral("FA;FB;ID;IF;FR;FT;");
    QTest::newRow("K3") << 0
                        << common + QStringLiteral("FW;OM;BG;BW;CW;DT;FI;FW$;IC;IS;MD;MD$;PA;PA$;"
                                                   "RA;RA$;SM;SM$;TQ;");
    QTest::newRow("Yaesu") << 1 << common + QStringLiteral("KP;");
    QTest::newRow("Kenwood") << 2 << common + QStringLiteral("FW;MD;");
    QTest::newRow("K2") << 3 << common + QStringLiteral("FW;BG;MD;PA;RA;SM;TQ;");
    QTest::newRow("none") << -1 << common + QStringLiteral("FW;");
}

void TestRigTables::loadQueries()
{
    QFETCH(int, rigType);
    QFETCH(QString, queries);
    const QList<QByteArray> got = loadQueriesFor(rigTypeFromIndex(rigType));
    QCOMPARE(QString::fromLatin1(got.join()), queries);
    for (const QByteArray &q : got)
        QCOMPARE(q.count(';'), 1); // every query is a write of its own
}

void TestRigTables::setUp_data()
{
    QTest::addColumn<int>("rigType");
    QTest::addColumn<QString>("commands");
    QTest::newRow("K3") << 0 << QStringLiteral("AI0;K31;AI2;K22;");
    QTest::newRow("Yaesu") << 1 << QString();
    QTest::newRow("Kenwood") << 2 << QString();
    QTest::newRow("K2") << 3 << QStringLiteral("K22;");
    QTest::newRow("none") << -1 << QString();
}

void TestRigTables::setUp()
{
    QFETCH(int, rigType);
    QFETCH(QString, commands);
    QCOMPARE(QString::fromLatin1(setUpFor(rigTypeFromIndex(rigType)).join()), commands);
}

void TestRigTables::pollWrites_data()
{
    QTest::addColumn<QString>("tx");
    QTest::addColumn<bool>("sdr");
    QTest::addColumn<int>("rigType");
    QTest::addColumn<QStringList>("writes");
    const QString common = QStringLiteral("IF;FA;FB;FR;FT;");
    const QString off = QStringLiteral("Off"), on = QStringLiteral("On");
    const char *receive[] = {"BG;BW;CW;DT;IC;IS;FI;PA;RA;TQ;", "KP;TX;", "MD;PA;RA;",
                             "BG;MD;SM;PA;RA;TQ;"};
    const char *withSdr[] = {"BG;IC;FA;FR;FT;TQ;", "FR;KP;", "FA;FR;FT;MD;",
                             "BG;FA;FR;FT;MD;SM;TQ;"};
    for (int t = 0; t < 4; ++t) {
        QTest::addRow("receive type %d", t)
            << off << false << t << QStringList{common, QString::fromLatin1(receive[t])};
        QTest::addRow("receive with SDR type %d", t)
            << off << true << t << QStringList{QString::fromLatin1(withSdr[t])};
        QTest::addRow("transmit type %d", t) << on << false << t << QStringList{"BG;SM;TQ;"};
        QTest::addRow("transmit with SDR type %d", t)
            << on << true << t << QStringList{"BG;SM;TQ;"};
        QTest::addRow("empty indicator type %d", t) << QString() << false << t << QStringList{};
    }
    QTest::newRow("receive no type") << off << false << -1 << QStringList{common};
    QTest::newRow("receive with SDR no type") << off << true << -1 << QStringList{};
    QTest::newRow("transmit no type") << on << false << -1 << QStringList{"BG;SM;TQ;"};
    QTest::newRow("indicator 'off' is not Off")
        << QStringLiteral("off") << false << 0 << QStringList{};
}

void TestRigTables::pollWrites()
{
    QFETCH(QString, tx);
    QFETCH(bool, sdr);
    QFETCH(int, rigType);
    QFETCH(QStringList, writes);
    QStringList got;
    for (const QByteArray &w : ::pollWrites(tx, sdr, rigTypeFromIndex(rigType)))
        got << QString::fromLatin1(w);
    QCOMPARE(got, writes);
}

QTEST_GUILESS_MAIN(TestRigTables)
#include "tst_rig_tables.moc"
