#include "settings/config_table.h"
#include "test_data.h"

#include <QTest>

// Reading config.ini by line position, and the conversions of its values.
class TestConfigTable : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void brokenFilesParse_data();
    void brokenFilesParse();
    void numbers_data();
    void numbers();
    void edges_data();
    void edges();
};

void TestConfigTable::parse_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("value");
    QTest::newRow("CR LF") << QByteArray("Position-Left=120\r\nPosition-Top=240\r\n") << 1
                           << QStringLiteral("240");
    QTest::newRow("LF alone") << QByteArray("Position-Left=120\nPosition-Top=240\n") << 1
                              << QStringLiteral("240");
    QTest::newRow("leading blank kept")
        << QByteArray("a=1\nb=2\nc=3\nRigPort= COM3\r\n") << 3 << QStringLiteral(" COM3");
    QTest::newRow("only the first = splits")
        << QByteArray("Pgm_1_Name=A=B\r\n") << 0 << QStringLiteral("A=B");
    QTest::newRow("no = leaves the slot empty")
        << QByteArray("no equals here\r\nx=1\r\n") << 0 << QString();
    QTest::newRow("the line after it still counts")
        << QByteArray("no equals\r\nx=1\r\n") << 1 << QStringLiteral("1");
    QTest::newRow("empty value") << QByteArray("Setup=\r\n") << 0 << QString();
    QTest::newRow("key ignored") << QByteArray("Whatever=True\r\n") << 0 << QStringLiteral("True");
    QTest::newRow("last line without line end")
        << QByteArray("a=1\r\nb=2") << 1 << QStringLiteral("2");
    QByteArray many;
    for (int i = 1; i <= 70; ++i)
        many += "k=" + QByteArray::number(i) + "\r\n";
    QTest::newRow("61st line kept") << many << 60 << QStringLiteral("61");
}

void TestConfigTable::parse()
{
    QFETCH(QByteArray, file);
    QFETCH(int, slot);
    QFETCH(QString, value);
    QCOMPARE(parseConfig(file)[std::size_t(slot)], value);
}

void TestConfigTable::brokenFilesParse_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("random bytes") << noiseBytes(100000, 12345);
    QTest::newRow("10 MB line") << QByteArray("Pgm_1_Name=") + QByteArray(10 * 1024 * 1024, 'x');
    QTest::newRow("no line ends") << QByteArray(500, '=');
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("NUL bytes") << QByteArray("Setup=\0True\r\n", 13);
}

void TestConfigTable::brokenFilesParse()
{
    QFETCH(QByteArray, file);
    const ConfigReadTable table = parseConfig(file);
    for (const QString &value : table)
        QVERIFY(value.size() <= kMaxConfigBytes);
}

void TestConfigTable::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<int>("whole");
    QTest::newRow("1") << QStringLiteral("1") << true << 1;
    QTest::newRow("2") << QStringLiteral("2") << true << 2;
    QTest::newRow("-1") << QStringLiteral("-1") << true << -1;
    QTest::newRow("1.4") << QStringLiteral("1.4") << true << 1;
    QTest::newRow("1.6") << QStringLiteral("1.6") << true << 2;
    QTest::newRow("2.5 to even") << QStringLiteral("2.5") << true << 2;
    QTest::newRow("x") << QStringLiteral("x") << false << 0;
    QTest::newRow("empty") << QString() << false << 0;
    QTest::newRow("1e99") << QStringLiteral("1e99") << false << 0;
    QTest::newRow("nan") << QStringLiteral("nan") << false << 0;
}

void TestConfigTable::numbers()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(int, whole);
    const std::optional<int> n = wholeNumber(text);
    QCOMPARE(n.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*n, whole);
}

void TestConfigTable::edges_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("edge");
    QTest::addColumn<QString>("written");
    QTest::newRow("whole") << QStringLiteral("1500") << 1500.0 << QStringLiteral("1500");
    QTest::newRow("fraction") << QStringLiteral("1500.5") << 1500.5 << QStringLiteral("1500.5");
    QTest::newRow("trailing text") << QStringLiteral("750px") << 750.0 << QStringLiteral("750");
    QTest::newRow("not a number") << QStringLiteral("left") << 0.0 << QStringLiteral("0");
    QTest::newRow("negative written as 0")
        << QStringLiteral("-300") << -300.0 << QStringLiteral("0");
}

void TestConfigTable::edges()
{
    QFETCH(QString, text);
    QFETCH(double, edge);
    QFETCH(QString, written);
    QCOMPARE(leadingNumber(text), edge);
    QCOMPARE(edgeText(edge), written);
}

QTEST_GUILESS_MAIN(TestConfigTable)
#include "tst_config_table.moc"
