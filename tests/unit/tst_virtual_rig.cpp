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
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("keptBy"); // rig types, as digits; 'n' for no selection

    const struct {
        Entry e;
        const char *keptBy;
    } rows[] = {
        {Entry::BG, "03"},    {Entry::BW, "0"},     {Entry::CW, "0"},    {Entry::DT, "0"},
        {Entry::FA, "0123n"}, {Entry::FB, "0123n"}, {Entry::FI, "0"},    {Entry::FR, "0123n"},
        {Entry::FT, "0123n"}, {Entry::FW, "023n"},  {Entry::FWs, "0"},   {Entry::IC, "0"},
        {Entry::ID, "0123n"}, {Entry::IF, "0123n"}, {Entry::IS, "0"},    {Entry::KP, "1"},
        {Entry::MD, "023n"},  {Entry::MDs, "0"},    {Entry::PA, "023n"}, {Entry::PAs, "0"},
        {Entry::RA, "023n"},  {Entry::RAs, "0"},    {Entry::SM, "023n"}, {Entry::SMs, "0"},
        {Entry::TQ, "03"},    {Entry::TX, "1"},
    };
    for (const auto &r : rows)
        QTest::newRow(entryRow(r.e).mnemonic.data()) << int(r.e) << QString::fromLatin1(r.keptBy);
}

void TestVirtualRig::storing()
{
    QFETCH(int, entry);
    QFETCH(QString, keptBy);
    const Entry e = Entry(entry);
    const QByteArray reply = queryOf(e).chopped(1) + "0;";
    for (int rigType = -1; rigType <= 3; ++rigType) {
        const QChar key = rigType < 0 ? QLatin1Char('n') : QChar(u'0' + rigType);
        QVERIFY2(accepts(e, reply, rigTypeFromIndex(rigType)) == keptBy.contains(key),
                 qPrintable(QStringLiteral("rig type %1").arg(rigType)));
    }
}

void TestVirtualRig::omOnlyWithSixteenCharacters_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("rigType");
    QTest::addColumn<bool>("kept");
    QTest::newRow("16 on a K3") << QByteArray("OM AP-S----4---;") << 0 << true;
    QTest::newRow("15 on a K3") << QByteArray("OM AP-S----4--;") << 0 << false;
    QTest::newRow("17 on a K3") << QByteArray("OM AP-S----4----;") << 0 << false;
    QTest::newRow("16 on a K2") << QByteArray("OM AP-S----4---;") << 3 << false;
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
    QCOMPARE(int(kEntries.size()), 27);
    for (int i = 0; i < kEntryCount; ++i)
        QCOMPARE(int(kEntries[std::size_t(i)].entry),
                 i); // rows in enum order: entryRow() relies on it
}

QTEST_GUILESS_MAIN(TestVirtualRig)
#include "tst_virtual_rig.moc"
