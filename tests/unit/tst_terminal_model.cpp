#include "monitor/terminal_model.h"

#include <QTest>

class TestTerminalModel : public QObject {
    Q_OBJECT
private slots:
    void bound_data();
    void bound();
    void terminalsAreIndependent();
};

void TestTerminalModel::bound_data()
{
    QTest::addColumn<int>("appended");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("firstKept"); // number of the oldest line still held, from 1

    QTest::newRow("1") << 1 << 1 << 0 << 1;
    QTest::newRow("4") << 4 << 4 << 0 << 1;
    QTest::newRow("5") << 5 << 5 << 1 << 1;
    QTest::newRow("50") << 50 << 50 << 46 << 1;
    QTest::newRow("100") << 100 << 100 << 96 << 1;
    QTest::newRow("101") << 101 << 100 << 96 << 2;
    QTest::newRow("1000") << 1000 << 100 << 96 << 901;
}

void TestTerminalModel::bound()
{
    QFETCH(int, appended);
    QFETCH(int, count);
    QFETCH(int, top);
    QFETCH(int, firstKept);
    TerminalModel t;
    for (int i = 1; i <= appended; ++i)
        AppendToTerminal(t, QByteArray::number(i));
    QCOMPARE(t.lineCount(), count);
    QCOMPARE(t.topLine(), top);
    QCOMPARE(t.line(0), QByteArray::number(firstKept));
    QCOMPARE(t.line(count - 1), QByteArray::number(appended));
    // The newest four lines fill the view, the newest at the bottom.
    if (count > 4)
        QCOMPARE(t.line(t.topLine() + 3), QByteArray::number(appended));
}

void TestTerminalModel::terminalsAreIndependent()
{
    TerminalModel a, b;
    AppendToTerminal(a, "FA;");
    AppendToTerminal(a, QByteArray()); // an empty line counts
    QCOMPARE(a.lineCount(), 2);
    QCOMPARE(b.lineCount(), 0);
    QCOMPARE(a.line(1), QByteArray());
}

QTEST_GUILESS_MAIN(TestTerminalModel)
#include "tst_terminal_model.moc"
