#include "kept_by.h"
#include "rig/virtual_rig.h"

#include <QTest>

// Which rig types keep each entry: K3 0, Yaesu 1, Kenwood 2, K2 3, no selection -1.
class TestVirtualRig : public QObject {
    Q_OBJECT
private slots:
    void storing_data();
    void storing();
    void omOnlyWithSixteenCharacters_data();
    void omOnlyWithSixteenCharacters();
    void entriesStartEmptyAndHoldTheWholeReply();
};

void TestVirtualRig::storing_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<RigType>("type");
    for (const EntryRow &row : kEntries) {
        for (RigType type : kEveryRigType)
            QTest::addRow("%s, %s", row.mnemonic.data(), qPrintable(rigTypeName(type)))
                << row.entry << type;
    }
}

void TestVirtualRig::storing()
{
    QFETCH(Entry, entry);
    QFETCH(RigType, type);
    const QByteArray reply = queryOf(entry).chopped(1) + "0;";
    QCOMPARE(accepts(entry, reply, type), keeps(type, entry) && entry != Entry::OM);
}

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
