#include "rig/virtual_rig.h"

#include <QTest>

// The virtual rig keeps a reply whole, and a K3's OM reply only at its one length.
class TestVirtualRig : public QObject {
    Q_OBJECT
private slots:
    void omOnlyWithSixteenCharacters_data();
    void omOnlyWithSixteenCharacters();
    void entriesStartEmptyAndHoldTheWholeReply();
};

void TestVirtualRig::omOnlyWithSixteenCharacters_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("rigType");
    QTest::addColumn<bool>("kept");
    QTest::newRow("16 on a K3") << QByteArray("OM AP-S--------;") << 0 << true;
    QTest::newRow("15 on a K3") << QByteArray("OM AP-S-------;") << 0 << false;
    QTest::newRow("17 on a K3") << QByteArray("OM AP-S---------;") << 0 << false;
    QTest::newRow("16 on a K2") << QByteArray("OM AP-S--------;") << 3 << false;
}

void TestVirtualRig::omOnlyWithSixteenCharacters()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, rigType);
    QFETCH(bool, kept);
    QCOMPARE(accepts(Entry::OM, reply, rigTypeFromIndex(rigType)), kept);
}

void TestVirtualRig::entriesStartEmptyAndHoldTheWholeReply()
{
    VirtualRigState rig;
    for (const EntryRow &row : kEntries)
        QVERIFY(rig.get(row.entry).isEmpty());
    rig.set(Entry::FA, "FA00014060000;FA00014060000;");
    QCOMPARE(rig.get(Entry::FA), QByteArray("FA00014060000;FA00014060000;"));
    QCOMPARE(queryOf(Entry::FWs), QByteArray("FW$;"));
}

QTEST_GUILESS_MAIN(TestVirtualRig)
#include "tst_virtual_rig.moc"
