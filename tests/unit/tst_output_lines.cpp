#include "outports/output_lines.h"
#include "rig/virtual_rig.h"

#include <QTest>

class TestOutputLines : public QObject {
    Q_OBJECT
private slots:
    void build_data();
    void build();
    void icom_data();
    void icom();
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

    auto row = [](const QByteArray &name, RigType type, const char *fa, const char *fb,
                  const char *ft, const QByteArray &info, const char *line1,
                  const QByteArray &line2) {
        QTest::newRow(name.constData()) << type << QByteArray(fa) << QByteArray(fb)
                                        << QByteArray(ft) << info << QByteArray(line1) << line2;
    };
    // The families with 11-digit frequencies, and no rig type chosen, build the same lines.
    const QByteArray info = "IF00014074000     +000000 0002000001 ;"; // 38 characters
    const QByteArray tail = info.mid(13);
    for (RigType t : {RigType::K3, RigType::Kenwood, RigType::K2, RigType::None}) {
        const QByteArray n = rigTypeName(t).toLatin1() + (t == RigType::None ? "none: " : ": ");
        const char *a = "FA00014060000;", *b = "FB00007040000;";
        row(n + "FT0 takes VFO A", t, a, b, "FT0;", info, a, "IF00014060000" + tail);
        row(n + "FT1 takes VFO B as an FA line", t, a, b, "FT1;", info, "FA00007040000;",
            "IF00007040000" + tail);
        row(n + "no FT yet: VFO B", t, a, b, "", info, "FA00007040000;", "IF00007040000" + tail);
        row(n + "no IF yet: no ;", t, a, "", "FT0;", "", a, "IF00014060000");
        row(n + "nothing at all", t, "", "", "", info, "", "IF" + tail);
        row(n + "short FB contributes what is there", t, "", "FB0001;", "FT1;", "", "FA0001;",
            "IF0001;");
    }

    // A Yaesu's IF reply: memory channel, 9 frequency digits, clarifier, mode and flags.
    const QByteArray yaesuInfo = "IF001014074000+000000200000;"; // 28 characters
    const RigType y = RigType::Yaesu;
    row("Yaesu: FT0 takes VFO A", y, "FA014060000;", "FB007040000;", "FT0;", yaesuInfo,
        "FA014060000;", "IF001014060000+000000200000;");
    row("Yaesu: FT1 takes VFO B", y, "FA014060000;", "FB007040000;", "FT1;", yaesuInfo,
        "FA007040000;", "IF001007040000+000000200000;");
    row("Yaesu: the frequency in a memory channel's reply", y, "FA050313000;", "", "FT0;",
        "IF117050313000+001010411000;", "FA050313000;", "IF117050313000+001010411000;");
    row("Yaesu: no IF yet: no ;", y, "FA014060000;", "", "FT0;", "", "FA014060000;", "IF014060000");
    row("Yaesu: no frequency yet", y, "", "", "", yaesuInfo, "", "IF001+000000200000;");
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

// An Icom has no FA or IF reply: it gets an Elecraft's or Kenwood's lines, built from its
// frequency (03, or 25 01 in split), mode (04), split (0F) and PTT (1C 00) replies.
void TestOutputLines::icom_data()
{
    QTest::addColumn<QByteArrayList>("replies"); // 03, 25 01, 04, 0F, 1C 00
    QTest::addColumn<QByteArray>("line1");
    QTest::addColumn<QByteArray>("line2");
    const QByteArray fa = "FA00014074000;";
    QTest::newRow("receive, USB") << QByteArrayList{"030040071400;", "25010000040700;", "040102;",
                                                    "0F00;", "1C0000;"}
                                  << fa << "IF00014074000     +00000000002000000 ;"_qba;
    QTest::newRow("split transmits on the other VFO, CW keyed")
        << QByteArrayList{"030040071400;", "25010050071400;", "040301;", "0F01;", "1C0001;"}
        << "FA00014075000;"_qba
        << "IF00014075000     +00000000013001000 ;"_qba;
    QTest::newRow("no frequency yet, or a broken one")
        << QByteArrayList{"03004007;", "", "040102;", "0F00;", "1C0000;"} << QByteArray()
        << QByteArray();
}

void TestOutputLines::icom()
{
    QFETCH(QByteArrayList, replies);
    QFETCH(QByteArray, line1);
    QFETCH(QByteArray, line2);
    VirtualRigState rig;
    const Entry entries[] = {Entry::CivFreq, Entry::CivFreqUnsel, Entry::CivMode, Entry::CivSplit,
                             Entry::CivPtt};
    for (std::size_t i = 0; i < std::size(entries); ++i)
        rig.set(entries[i], replies.value(qsizetype(i)));
    const OutputLines lines = buildOutputLines(rig, RigType::Icom);
    QCOMPARE(lines.fa, line1);
    QCOMPARE(lines.info, line2);
    if (!line2.isEmpty())
        QCOMPARE(line2.size(), 38);
}

QTEST_GUILESS_MAIN(TestOutputLines)
#include "tst_output_lines.moc"
