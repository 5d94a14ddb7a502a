#include "monitor/terminal_model.h"

#include <QTest>

// A terminal keeps its last 100 lines, the newest four in view with the newest at the bottom.
class TestTerminalModel : public QObject {
    Q_OBJECT
private slots:
    void bound();
};

void TestTerminalModel::bound()
{
    // Lines appended, then held, the view's top and the oldest line still held.
    const int rows[][4] = {{1, 1, 0, 1},      {4, 4, 0, 1},      {5, 5, 1, 1},
                           {100, 100, 96, 1}, {101, 100, 96, 2}, {1000, 100, 96, 901}};
    for (const auto &[appended, count, top, firstKept] : rows) {
        TerminalModel t, other;
        for (int i = 1; i <= appended; ++i)
            AppendToTerminal(t, QByteArray::number(i));
        QCOMPARE(t.lineCount(), count);
        QCOMPARE(t.topLine(), top);
        QCOMPARE(t.line(0), QByteArray::number(firstKept));
        QCOMPARE(t.line(count - 1), QByteArray::number(appended));
        QVERIFY(count <= 4 || t.line(t.topLine() + 3) == QByteArray::number(appended));
        QCOMPARE(other.lineCount(), 0);
    }
    TerminalModel t;
    AppendToTerminal(t, QByteArray()); // an empty line counts
    QCOMPARE(t.lineCount(), 1);
}

QTEST_GUILESS_MAIN(TestTerminalModel)
#include "tst_terminal_model.moc"
