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
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("fa");
    QTest::addColumn<QByteArray>("fb");
    QTest::addColumn<QByteArray>("ft");
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<QByteArray>("line1");
    QTest::addColumn<QByteArray>("line2");

    // The families with 11-digit frequencies, and no rig type chosen, build the same lines.
    const QByteArray info = "IF00014074000     +000000 0002000001 ;"; // 38 characters
    for (RigType type : {RigType::K3, RigType::Kenwood, RigType::K2, RigType::None}) {
        const QByteArray name =
            rigTypeName(type).toLatin1() + (type == RigType::None ? "none" : "");
        auto row = [&](const char *what) -> QTestData & {
            return QTest::newRow(name + ": " + what);
        };
        row("FT0 takes VFO A") << type << QByteArray("FA00014060000;")
                               << QByteArray("FB00007040000;") << QByteArray("FT0;") << info
                               << QByteArray("FA00014060000;")
                               << QByteArray("IF00014060000") + info.mid(13);
        row("FT1 takes VFO B as an FA line")
            << type << QByteArray("FA00014060000;") << QByteArray("FB00007040000;")
            << QByteArray("FT1;") << info << QByteArray("FA00007040000;")
            << QByteArray("IF00007040000") + info.mid(13);
        row("no FT yet: VFO B") << type << QByteArray("FA00014060000;")
                                << QByteArray("FB00007040000;") << QByteArray() << info
                                << QByteArray("FA00007040000;")
                                << QByteArray("IF00007040000") + info.mid(13);
        row("no IF yet: no ;") << type << QByteArray("FA00014060000;") << QByteArray()
                               << QByteArray("FT0;") << QByteArray() << QByteArray("FA00014060000;")
                               << QByteArray("IF00014060000");
        row("nothing at all") << type << QByteArray() << QByteArray() << QByteArray() << info
                              << QByteArray() << QByteArray("IF") + info.mid(13);
        row("short FB contributes what is there")
            << type << QByteArray() << QByteArray("FB0001;") << QByteArray("FT1;") << QByteArray()
            << QByteArray("FA0001;") << QByteArray("IF0001;");
    }

    // A Yaesu's IF reply: memory channel, 9 frequency digits, clarifier, mode and flags.
    const QByteArray yaesuInfo = "IF001014074000+000000200000;"; // 28 characters
    QTest::newRow("Yaesu: FT0 takes VFO A")
        << RigType::Yaesu << QByteArray("FA014060000;") << QByteArray("FB007040000;")
        << QByteArray("FT0;") << yaesuInfo << QByteArray("FA014060000;")
        << QByteArray("IF001014060000+000000200000;");
    QTest::newRow("Yaesu: FT1 takes VFO B")
        << RigType::Yaesu << QByteArray("FA014060000;") << QByteArray("FB007040000;")
        << QByteArray("FT1;") << yaesuInfo << QByteArray("FA007040000;")
        << QByteArray("IF001007040000+000000200000;");
    QTest::newRow("Yaesu: the frequency in a memory channel's reply")
        << RigType::Yaesu << QByteArray("FA050313000;") << QByteArray() << QByteArray("FT0;")
        << QByteArray("IF117050313000+001010411000;") << QByteArray("FA050313000;")
        << QByteArray("IF117050313000+001010411000;");
    QTest::newRow("Yaesu: no IF yet: no ;")
        << RigType::Yaesu << QByteArray("FA014060000;") << QByteArray() << QByteArray("FT0;")
        << QByteArray() << QByteArray("FA014060000;") << QByteArray("IF014060000");
    QTest::newRow("Yaesu: no frequency yet")
        << RigType::Yaesu << QByteArray() << QByteArray() << QByteArray() << yaesuInfo
        << QByteArray() << QByteArray("IF001+000000200000;");
}

void TestOutputLines::build()
{
    QFETCH(RigType, type);
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
    const OutputLines lines = buildOutputLines(rig, type);
    QCOMPARE(lines.fa, line1);
    QCOMPARE(lines.info, line2);
    // A whole reply in gives a whole reply out: one ';', at the end.
    if (!line1.isEmpty() && !info.isEmpty()) {
        QCOMPARE(lines.info.size(), info.size());
        QCOMPARE(lines.info.indexOf(';'), lines.info.size() - 1);
    }
}

QTEST_GUILESS_MAIN(TestOutputLines)
#include "tst_output_lines.moc"
