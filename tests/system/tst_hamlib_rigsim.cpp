// Hamlib's rigctl, the library most station programs drive their radios with, as the client of
// the ovx2-rigsim program: every model opens, tunes, changes mode, reads PTT, VFO and power
// status, and opens as quickly as the radio would let it.

#include "hamlib_tools.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kRunMs = 60000;         // far above need: only reached when something hangs
constexpr qint64 kOpenBoundMs = 2000; // the one timed bound: a model opens in under 2 s

} // namespace

class TestHamlibRigsim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rigctlDrivesEveryModel_data();
    void rigctlDrivesEveryModel();

private:
    QString m_rigctl;
};

void TestHamlibRigsim::initTestCase()
{
    OVX2_REQUIRE_HAMLIB_TOOL(m_rigctl, "rigctl");
}

void TestHamlibRigsim::rigctlDrivesEveryModel_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("hamlibModel");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("expected");

    // f, f after F 7040000, m, m after M USB 2400, t, v, get_powerstat.
    const QStringList usual{"14074000", "7040000", "USB", "2400", "USB", "2400", "0", "VFOA", "1"};
    auto with = [&usual](int index, const char *answer) {
        QStringList e = usual;
        e[index] = QString::fromLatin1(answer);
        return e;
    };
    // Hamlib's K2 backend waits 100 ms after every write, some 70 writes while it opens (about
    // 8 s against a real K2 too); without that pause the K2 itself opens in a third of a second.
    const QStringList k2Pacing{QStringLiteral("--set-conf=post_write_delay=0")};
    QTest::newRow("K3") << "k3" << 2029 << QStringList() << usual;
    QTest::newRow("K3S") << "k3s" << 2043 << QStringList() << usual;
    QTest::newRow("KX3") << "kx3" << 2045 << QStringList() << usual;
    QTest::newRow("KX2") << "kx2" << 2044 << QStringList() << usual;
    QTest::newRow("K2") << "k2" << 2021 << k2Pacing << usual;
    // Hamlib reports the TS-2000's and TS-590SG's normal SSB passband, not a reading.
    QTest::newRow("TS-2000") << "ts2000" << 2014 << QStringList() << with(3, "2200");
    QTest::newRow("TS-590SG") << "ts590sg" << 2037 << QStringList() << with(3, "2200");
    QTest::newRow("TS-480") << "ts480" << 2028 << QStringList() << usual;
    QTest::newRow("FT-991A") << "ft991a" << 1035 << QStringList() << usual;
    QTest::newRow("FTDX101D") << "ftdx101d" << 1040 << QStringList() << with(7, "Main");
    // The FT-891 has no VFO select, so Hamlib cannot tell the VFO.
    QTest::newRow("FT-891") << "ft891" << 1036 << QStringList()
                            << with(7, "get_vfo: Feature not available");
    // Hamlib 4.5.4 reads the FT-710's width index with another radio's width table.
    QTest::newRow("FT-710") << "ft710" << 1049 << QStringList() << with(3, "1800");
}

void TestHamlibRigsim::rigctlDrivesEveryModel()
{
    QFETCH(QString, model);
    QFETCH(int, hamlibModel);
    QFETCH(QStringList, options);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("rig"));
    QProcess sim;
    sim.start(QStringLiteral(OVX2_RIGSIM_EXE),
              {QStringLiteral("--model"), model, QStringLiteral("--link"), link});
    QVERIFY(sim.waitForReadyRead(kRunMs)); // its first line: the path it serves
    QVERIFY(QFileInfo(link).isSymLink());

    // rigctl takes long command names without the '\' of its interactive syntax.
    const QStringList commands =
        QStringLiteral("f F 7040000 f m M USB 2400 m t v get_powerstat").split(QLatin1Char(' '));
    QProcess rigctl;
    QElapsedTimer clock;
    clock.start();
    rigctl.start(m_rigctl,
                 QStringList{"-m", QString::number(hamlibModel), "-r", link, "-s", "38400"} +
                     options + commands);
    QVERIFY(rigctl.waitForStarted(kRunMs));
    // The first answer comes as soon as the library has opened the radio.
    while (!rigctl.canReadLine() && rigctl.state() == QProcess::Running && clock.elapsed() < kRunMs)
        rigctl.waitForReadyRead(kRunMs - int(clock.elapsed()));
    const qint64 openMs = clock.elapsed();
    QVERIFY(rigctl.waitForFinished(kRunMs));
    const QByteArray errors = rigctl.readAllStandardError();
    QCOMPARE(rigctl.exitStatus(), QProcess::NormalExit);
    QVERIFY2(rigctl.exitCode() == 0, errors.right(2000));
    QCOMPARE(rigctlAnswers(rigctl.readAllStandardOutput()), expected);
    QVERIFY2(openMs < kOpenBoundMs, qPrintable(QStringLiteral("opening took %1 ms").arg(openMs)));

    sim.terminate();
    QVERIFY(sim.waitForFinished(kRunMs));
}

QTEST_GUILESS_MAIN(TestHamlibRigsim)
#include "tst_hamlib_rigsim.moc"
