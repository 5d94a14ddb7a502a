#include "outports/output_lines.h"
#include "rig/virtual_rig.h"

#include <QTest>

class TestOutputLines : public QObject {
    Q_OBJECT
private slots:
    void build_data();
    void build();
};

void TestOutputLines::build_data()
{
    QTest::addColumn<QByteArray>("fa");
    QTest::addColumn<QByteArray>("fb");
    QTest::addColumn<QByteArray>("ft");
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<QByteArray>("line1");
    QTest::addColumn<QByteArray>("line2");

    const QByteArray info = "IF00014074000     +000000 0002000001 ;"; // 38 characters
    QTest::newRow("FT0 takes VFO A")
        << QByteArray("FA00014060000;") << QByteArray("FB00007040000;") << QByteArray("FT0;")
        << info << QByteArray("FA00014060000;") << QByteArray("IF00014060000") + info.mid(13);
    QTest::newRow("FT1 takes VFO B as an FA line")
        << QByteArray("FA00014060000;") << QByteArray("FB00007040000;") << QByteArray("FT1;")
        << info << QByteArray("FA00007040000;") << QByteArray("IF00007040000") + info.mid(13);
    QTest::newRow("no FT yet: VFO B")
        << QByteArray("FA00014060000;") << QByteArray("FB00007040000;") << QByteArray() << info
        << QByteArray("FA00007040000;") << QByteArray("IF00007040000") + info.mid(13);
    QTest::newRow("no IF yet: no ;")
        << QByteArray("FA00014060000;") << QByteArray() << QByteArray("FT0;") << QByteArray()
        << QByteArray("FA00014060000;") << QByteArray("IF00014060000");
    QTest::newRow("nothing at all") << QByteArray() << QByteArray() << QByteArray() << info
                                    << QByteArray() << QByteArray("IF") + info.mid(13);
    QTest::newRow("short FB contributes what is there")
        << QByteArray() << QByteArray("FB0001;") << QByteArray("FT1;") << QByteArray()
        << QByteArray("FA0001;") << QByteArray("IF0001;");
}

void TestOutputLines::build()
{
    QFETCH(QByteArray, fa);
    QFETCH(QByteArray, fb);
    QFETCH(QByteArray, ft);
    QFETCH(QByteArray, info);
    QFETCH(QByteArray, line1);
    QFETCH(QByteArray, line2);
    VirtualRigState rig;
    rig.set(Entry::FA, fa);
    rig.set(Entry::FB, fb);
    rig.set(Entry::FT, ft);
    rig.set(Entry::IF, info);
    const OutputLines lines = buildOutputLines(rig);
    QCOMPARE(lines.fa, line1);
    QCOMPARE(lines.info, line2);
    if (ft == "FT0;" && info.size() == 38)
        QCOMPARE(lines.info.size(), 38);
}

QTEST_GUILESS_MAIN(TestOutputLines)
#include "tst_output_lines.moc"
