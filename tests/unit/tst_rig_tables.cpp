#include "rig/cat_dialect.h"
#include "rig/cat_framing.h"
#include "rig/rig_tables.h"

#include <QTest>

// Each family's record is well formed: found by its rig type; what the bridge writes to fill and
// poll the virtual rig, and what it answers from it, are reads of the family; each load query
// fills an entry the family keeps; set-up commands are settings; a setting's read-back is a read.
class TestRigTables : public QObject {
    Q_OBJECT
private slots:
    void recordsAreWellFormed_data();
    void recordsAreWellFormed();
};

void TestRigTables::recordsAreWellFormed_data()
{
    QTest::addColumn<RigType>("type");
    // Known exceptions: every family is polled for BG, SM and TQ while it transmits, and a
    // Kenwood radio (which reads its meter with SM0;) keeps SM replies.
    QTest::addColumn<QByteArrayList>("unread");
    const QByteArrayList transmitPoll{"BG;", "SM;", "TQ;"};
    QTest::newRow("K3") << RigType::K3 << QByteArrayList{};
    QTest::newRow("Yaesu") << RigType::Yaesu << transmitPoll;
    QTest::newRow("Kenwood") << RigType::Kenwood << transmitPoll;
    QTest::newRow("K2") << RigType::K2 << QByteArrayList{};
    QTest::newRow("Icom") << RigType::Icom << QByteArrayList{};
    static_assert(kRigTypeCount == 5, "a new family gets its row here");
}

void TestRigTables::recordsAreWellFormed()
{
    QFETCH(RigType, type);
    QFETCH(QByteArrayList, unread);
    const FamilyCaps &f = familyCaps(type);
    QCOMPARE(f.type, type);
    QVERIFY(!rigTypeName(type).isEmpty());
    QVERIFY(!f.models.empty()); // the network doors take the first for an unknown ID
    for (const QByteArray &q : loadQueriesFor(type)) {
        const EntryRow *row = rowOfQuery(q);
        QVERIFY2(isRead(f, q) && row && keeps(type, row->entry), q.constData());
    }
    for (const QByteArray &c : setUpFor(type))
        QVERIFY2(!isRead(f, c), c.constData());
    for (const SettingEffect &e : f.effects) {
        const QByteArray readBack(e.readBack.data(), qsizetype(e.readBack.size()));
        QVERIFY2(readBack.isEmpty() || isRead(f, readBack), readBack.constData());
    }
    for (const TransmitColumn &c : f.transmit)
        QVERIFY(keeps(type, c.entry));

    QByteArrayList written;
    for (bool transmitting : {false, true}) {
        for (bool sdrHeld : {false, true}) {
            for (const QByteArray &w : pollWrites(transmitting, sdrHeld, type))
                written << CatFramer::split(w);
        }
    }
    for (const EntryRow &row : kEntries) {
        if (keeps(type, row.entry))
            written << queryOf(row.entry);
    }
    QByteArrayList got;
    for (const QByteArray &c : std::as_const(written)) {
        if (!isRead(f, c) && !got.contains(c))
            got << c;
    }
    QCOMPARE(got, unread);
}

QTEST_GUILESS_MAIN(TestRigTables)
#include "tst_rig_tables.moc"
