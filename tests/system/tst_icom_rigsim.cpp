// Hamlib's rigctl against the simulated Icom radios over CI-V: each opens, tunes, changes mode
// and width, and reads PTT, as with the real radio.

#include "hamlib_tools.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kRunMs = 60000;         // far above need: only reached when something hangs
constexpr qint64 kOpenBoundMs = 2000; // the one timed bound: a radio opens in under 2 s

// rigctl's answers: the value lines, then "cmd: message" for the failed command that ends the
// list. Hamlib 4.5.4 checks the power state before every command with a read these radios
// refuse, and rigctl prints that trace with the error: the command's own message is the last.
QStringList answers(const QByteArray &output)
{
    static const QRegularExpression message(QStringLiteral("^[A-Z][A-Za-z ,]+$"));
    QStringList out;
    QString failed;
    QString last;
    for (const QByteArray &raw : output.split('\n')) {
        const QString line = QString::fromLocal8Bit(raw).trimmed();
        const qsizetype error = line.indexOf(QLatin1String(": error = "));
        if (failed.isEmpty() && error > 0)
            failed = line.first(error);
        else if (!failed.isEmpty() && message.match(line).hasMatch())
            last = line;
        else if (failed.isEmpty() && !line.isEmpty())
            out << line;
    }
    if (!failed.isEmpty())
        out << failed + QStringLiteral(": ") + last;
    return out;
}

} // namespace

class TestIcomRigsim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rigctlDrivesEveryRadio_data();
    void rigctlDrivesEveryRadio();

private:
    QString m_rigctl;
};

void TestIcomRigsim::initTestCase()
{
    OVX2_REQUIRE_HAMLIB_TOOL(m_rigctl, "rigctl");
}

void TestIcomRigsim::rigctlDrivesEveryRadio_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("hamlibModel");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("hz"); // where F tunes: 40 m, or 2 m on the IC-9700

    QTest::newRow("IC-7300") << "ic7300" << 3073 << QStringList() << "7040000";
    QTest::newRow("IC-7300, USB echo on")
        << "ic7300" << 3073 << QStringList{"--echo", "on"} << "7040000";
    QTest::newRow("IC-705") << "ic705" << 3085 << QStringList() << "7040000";
    QTest::newRow("IC-705, transceive off")
        << "ic705" << 3085 << QStringList{"--transceive", "off"} << "7040000";
    QTest::newRow("IC-9700") << "ic9700" << 3081 << QStringList() << "144300000";
    QTest::newRow("IC-7610") << "ic7610" << 3078 << QStringList() << "7040000";
}

void TestIcomRigsim::rigctlDrivesEveryRadio()
{
    QFETCH(QString, model);
    QFETCH(int, hamlibModel);
    QFETCH(QStringList, options);
    QFETCH(QString, hz);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("rig"));
    QProcess sim;
    sim.start(QStringLiteral(OVX2_RIGSIM_EXE),
              QStringList{QStringLiteral("--model"), model, QStringLiteral("--link"), link} +
                  options);
    QVERIFY(sim.waitForReadyRead(kRunMs)); // its first line: the path it serves
    QVERIFY(QFileInfo(link).isSymLink());

    // Hamlib 4.5.4's Icom backend has no get_vfo: v is last, its answer an error.
    const QStringList commands =
        QStringLiteral("f F %1 f m M USB 2400 m M CW 500 m t v").arg(hz).split(QLatin1Char(' '));
    QProcess rigctl;
    QElapsedTimer clock;
    clock.start();
    rigctl.start(m_rigctl,
                 QStringList{"-m", QString::number(hamlibModel), "-r", link, "-s", "38400"} +
                     commands);
    QVERIFY(rigctl.waitForStarted(kRunMs));
    // The first answer comes as soon as the library has opened the radio.
    while (!rigctl.canReadLine() && rigctl.state() == QProcess::Running && clock.elapsed() < kRunMs)
        rigctl.waitForReadyRead(kRunMs - int(clock.elapsed()));
    const qint64 openMs = clock.elapsed();
    QVERIFY(rigctl.waitForFinished(kRunMs));
    const QByteArray errors = rigctl.readAllStandardError();
    QCOMPARE(rigctl.exitStatus(), QProcess::NormalExit);
    QVERIFY2(rigctl.exitCode() == 0, errors.right(2000));

    const QString start = model == QLatin1String("ic9700") ? "144174000" : "14074000";
    const QStringList expected{start,  hz,   "USB", "2400", "USB",
                               "2400", "CW", "500", "0",    "get_vfo: Feature not available"};
    QCOMPARE(answers(rigctl.readAllStandardOutput()), expected);
    qInfo("%s opened in %lld ms", qPrintable(model), openMs);
    QVERIFY2(openMs < kOpenBoundMs, qPrintable(QStringLiteral("opening took %1 ms").arg(openMs)));

    sim.terminate();
    QVERIFY(sim.waitForFinished(kRunMs));
}

QTEST_GUILESS_MAIN(TestIcomRigsim)
#include "tst_icom_rigsim.moc"
