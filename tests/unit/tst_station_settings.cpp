#include "scripted_messenger.h"
#include "settings/config_table.h"
#include "settings/settings_files.h"
#include "settings/station_settings.h"
#include "test_data.h"
#include "tmpfs_mount.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// config.ini and ovx2.ini: what a line means, what a file read and written again keeps, where
// it lives, and what happens when it cannot be written.
class TestStationSettings : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>(), m_messenger.shown.clear(), m_told.clear();
    }
    void firstStartWritesEveryLine();
    void valuesRead_data();
    void valuesRead();
    void fileWrittenBackByteForByte();
    void missingLinesGetTheirDefaults_data();
    void missingLinesGetTheirDefaults();
    void brokenFilesRead_data();
    void brokenFilesRead();
    void coupledBoxes_data();
    void coupledBoxes();
    void extraSettingsComeBackAndKeepALaterVersions();
    void whereTheFileLives_data();
    void whereTheFileLives();
    void unwritableFolderIsSaid();
    void fullDiskKeepsTheFilesAndSaysSo();
    void readOnlyFileIsReadAndNotWritten();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    static void writeFile(const QString &file, const QByteArray &contents)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(contents) == contents.size());
    }
    static QByteArray readFile(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::unique_ptr<SettingsFiles> files(const QString &config)
    {
        return std::make_unique<SettingsFiles>(config, m_messenger,
                                               [this](const QString &l) { m_told << l; });
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedMessenger m_messenger;
    QStringList m_told;
};

// A disk of the test's own, or the test is skipped where mounting is not permitted.
#define SMALL_DISK(disk)                                                                           \
    TmpfsMount disk(path("disk"), 64 * 1024);                                                      \
    if (disk.notPermitted())                                                                       \
        QSKIP("mounting a small disk is not permitted to this user (CI runs as root)");            \
    QVERIFY2(disk.isMounted(), qPrintable(disk.error()))

void TestStationSettings::firstStartWritesEveryLine()
{
    bool existed = true;
    const StationSettings s = files(path("config.ini"))->load(&existed);
    QVERIFY(!existed);
    QCOMPARE(readFile(path("config.ini")), writeConfigIni(StationSettings()));
    QCOMPARE(s, StationSettings());
    QVERIFY(m_messenger.shown.isEmpty());
}

void TestStationSettings::valuesRead_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("value"); // '!': the whole line
    QTest::addColumn<QByteArray>("written");
    const char *sdr = "PowerSDR App Path=C:\\Program Files\\PowerSDR-IF Stage v0.92\\a.exe";
    const struct {
        const char *name;
        int position;
        const char *value, *written;
    } rows[] = {
        {"Setup=true hides", 3, "true", "Setup=False"},
        {"Setup=True shows", 3, "True", "Setup=True"},
        {"leading blank kept", 4, " COM3", "RigPort= COM3"},
        {"only the first = splits", 12, "A=B", "Pgm_1_Name=A=B"},
        {"box x leaves it", 9, "x", "VirPort1AutoConnect=0"},
        {"grey box", 10, "2", "VirPort2AutoConnect=2"},
        {"2.5 rounds to even", 10, "2.5", "VirPort2AutoConnect=2"},
        {"1e99 is no box", 10, "1e99", "VirPort2AutoConnect=0"},
        {"on top 2 becomes 1", 15, "2", "On_Top=1"},
        {"poll below the range", 16, "50", "Poll=250"},
        {"poll not a number", 16, "fast", "Poll=250"},
        {"poll empty", 16, "", "Poll=200"},
        {"a line without =", 16, "!Poll 1000", "Poll=200"},
        {"baud outside the list", 21, "9", "RigBaudRate(0,1,2,3,4..4800 to 57600)=3"},
        {"no rig type", 51, "-1", "Rig Type(0,1,2..K3, Yaesu, Ken)=-1"},
        {"launch box sets connect", 29, "1", "VirPort2AutoConnect=1"},
        {"Windows SDR path kept", 46, sdr + 18, sdr},
        {"start maximised", 45, "2", "StartOVXminimized=2"},
        {"left edge in twips, whole pixels", 1, "1500.4px", "Position-Left=1500"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.position << QByteArray(r.value) << QByteArray(r.written);
}

// Read, then written back: the line as the reader understood it.
void TestStationSettings::valuesRead()
{
    QFETCH(int, position);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, written);
    QList<QByteArray> lines = configLines();
    QByteArray &line = lines[position - 1];
    line = value.startsWith('!') ? value.mid(1) : line.left(line.indexOf('=') + 1) + value;
    lines << "VirPort1AutoConnect=1"; // a 52nd line is read and ignored
    const ConfigRead read = readConfigIni(lines.join("\r\n") + "\r\n");
    QVERIFY(!read.rewrite); // nothing was missing
    const QList<QByteArray> back = writeConfigIni(read.settings).split('\n');
    QVERIFY2(back.contains(written + '\r'), back.join().constData());
    QVERIFY(back.contains("VirPort1AutoConnect=0\r"));
}

void TestStationSettings::fileWrittenBackByteForByte()
{
    // An empty path is read as the box's "Enter Name": a file written back has them filled.
    QMap<QByteArray, QByteArray> values;
    for (const QByteArray line :
         {"Position-Left=1500", "Setup=True", "RigPort=/dev/ttyUSB0", "VirPort3AutoConnect=2",
          "Pgm_1_Name=WSJT-X", "Poll=1000", "VirPort1AutoLaunch=1", "VirPort1AutoConnect=1",
          "VPort1 App Path=/usr/bin/wsjtx --rig-name=\"a b\"", "Rig Type(0,1,2..K3, Yaesu, Ken)=3"})
        values.insert(line.left(line.indexOf('=') + 1), line.mid(line.indexOf('=') + 1));
    for (const char *key : {"VPort2", "VPort3", "VPort4", "VPort5", "PowerSDR"})
        values.insert(key + QByteArray(" App Path="), "Enter Name");
    const QByteArray file = configFile(values);
    const ConfigRead read = readConfigIni(file);
    QVERIFY(!read.rewrite);
    QCOMPARE(writeConfigIni(read.settings), file);
    // Line ends of LF alone, and no line end after the last line, read the same.
    QCOMPARE(readConfigIni(QByteArray(file).replace("\r\n", "\n")).settings, read.settings);
    QCOMPARE(readConfigIni(file.chopped(2)).settings, read.settings);
}

void TestStationSettings::missingLinesGetTheirDefaults_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("rewrite");
    QTest::newRow("an older file of 19 lines") << configLines().mid(0, 19).join("\r\n") + "\r\n"
                                               << true;
    QTest::newRow("empty paths: filled, not rewritten") << configFile() << false;
    QList<QByteArray> emptyBaud = configLines();
    emptyBaud[20] = "RigBaudRate(0,1,2,3,4..4800 to 57600)=";
    QTest::newRow("empty speed at line 21") << emptyBaud.join("\r\n") + "\r\n" << true;
}

void TestStationSettings::missingLinesGetTheirDefaults()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, rewrite);
    writeFile(path("config.ini"), file);
    const StationSettings s = files(path("config.ini"))->load();
    QCOMPARE(s.baudIndex, 3);
    QCOMPARE(s.port(1).program, QStringLiteral("Enter Name"));
    QCOMPARE(s.port(1).autoInfo2, file.count('\n') == 19 ? 1 : 0); // a missing line 20 is set
    // Written once, from everything read, only where a line that must be there was missing.
    QCOMPARE(readFile(path("config.ini")), rewrite ? writeConfigIni(s) : file);
}

void TestStationSettings::brokenFilesRead_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("random bytes") << noiseBytes(20000, 99);
    QTest::newRow("10 MB line") << QByteArray("Position-Left=") + QByteArray(10 << 20, '7');
    QTest::newRow("10 MB name") << QByteArray("a=1\n").repeated(11) +
                                       "Pgm_1_Name=" + QByteArray(10 << 20, 'x');
    QTest::newRow("no line ends") << QByteArray("Setup=True") + QByteArray(3000, '=');
    QTest::newRow("NUL bytes") << QByteArray("Setup=\0True\r\n", 13);
    QTest::newRow("both AI boxes of port 1") << QByteArray("a=0\r\n").repeated(16) +
                                                    "VirPort1AutoInfo2=1\r\n"
                                                    "b=0\r\nc=0\r\nVirPort1AutoInfo2=1\r\n";
}

void TestStationSettings::brokenFilesRead()
{
    QFETCH(QByteArray, contents);
    const StationSettings s = readConfigIni(contents).settings;
    QVERIFY(s.windowPosition.x() >= 0 && s.windowPosition.x() < 100000);
    QVERIFY(s.pollInterval >= kMinPollInterval && s.pollInterval <= kMaxPollInterval);
    QVERIFY(s.baudIndex >= -1 && s.baudIndex < kBaudCount);
    const QByteArray written = writeConfigIni(s);
    QCOMPARE(written.count("\r\n"), 51);
    QVERIFY(written.size() <= 51 * (kMaxConfigBytes + 64));
    // Read in file order, the later AI box wins, as the boxes exclude each other.
    if (QByteArray(QTest::currentDataTag()).startsWith("both"))
        QVERIFY(s.port(1).autoInfo1 == 0 && s.port(1).autoInfo2 == 1);
}

void TestStationSettings::coupledBoxes_data()
{
    QTest::addColumn<QString>("before"); // connect, launch, AI1, AI2 as digits
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("after");
    auto row = [](const char *name, const char *before, PortBox box, int value, const char *after) {
        QTest::newRow(name) << QString(before) << int(box) << value << QString(after);
    };
    using B = PortBox;
    row("AI1 clears AI2", "0001", B::AI1, 1, "0010");
    row("AI2 clears AI1", "0010", B::AI2, 1, "0001");
    row("clearing AI1 alone", "0010", B::AI1, 0, "0000");
    row("launch sets connect", "0000", B::AutoLaunch, 1, "1100");
    row("clearing connect clears launch", "1100", B::AutoConnect, 0, "0000");
    row("clearing launch keeps connect", "1100", B::AutoLaunch, 0, "1000");
    row("grey launch leaves connect", "0000", B::AutoLaunch, 2, "0200");
}

void TestStationSettings::coupledBoxes()
{
    QFETCH(QString, before);
    QFETCH(int, box);
    QFETCH(int, value);
    QFETCH(QString, after);
    StationSettings s;
    AppPortSettings &p = s.port(4);
    for (int i = 0; int *field : {&p.autoConnect, &p.autoLaunch, &p.autoInfo1, &p.autoInfo2})
        *field = before[i++].digitValue();
    const StationSettings others = s;
    setPortBox(s, 4, PortBox(box), value);
    QCOMPARE(QString::asprintf("%d%d%d%d", p.autoConnect, p.autoLaunch, p.autoInfo1, p.autoInfo2),
             after);
    for (int n : {1, 2, 3, 5}) // other ports never move
        QCOMPARE(s.port(n), others.port(n));
}

void TestStationSettings::extraSettingsComeBackAndKeepALaterVersions()
{
    StationSettings s;
    s.port(3).permission = Permission::Full;
    s.door(Door::Rigctl).address = s.door(Door::Rigctl).confirmedAddress =
        QStringLiteral("192.168.1.5");
    s.door(Door::Rigctl).listen = false;
    s.door(Door::XmlRpc).port = QStringLiteral("12346");
    s.door(Door::XmlRpc).permission = Permission::FreqMode;
    // Texts as typed, whatever QSettings would make of them unquoted.
    s.door(Door::XmlRpc).address = QStringLiteral(" @a, b;=\"\\\x01"
                                                  "1 ");
    writeFile(path("ovx2.ini"), writeExtraIni(s));
    QCOMPARE(readExtraIni(path("ovx2.ini"), StationSettings()), s);
    QVERIFY(readFile(path("ovx2.ini")).contains("[AppPort3]\nPermission=Full\n"));

    writeFile(path("ovx2.ini"), noiseBytes(5000, 7));
    QCOMPARE(readExtraIni(path("ovx2.ini"), StationSettings()).port(2).permission,
             Permission::FreqMode);
    // A later version's settings stay in the file when this one writes it.
    writeFile(path("ovx2.ini"), "[AppPort2]\nPermission=Full\n[Later]\nKnob=a b\n");
    const StationSettings later = readExtraIni(path("ovx2.ini"), StationSettings());
    QCOMPARE(later.port(2).permission, Permission::Full);
    writeFile(path("ovx2.ini"), writeExtraIni(later));
    QCOMPARE(QSettings(path("ovx2.ini"), QSettings::IniFormat).value("Later/Knob").toString(),
             QStringLiteral("a b"));
}

void TestStationSettings::whereTheFileLives_data()
{
    QTest::addColumn<QString>("exeDir");
    QTest::addColumn<QString>("installBinDir");
    QTest::addColumn<bool>("exists"); // a config.ini beside the executable
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("beside");
    const QString usrBin = QStringLiteral("/usr/bin"), build = QStringLiteral("/home/ham/b/src");
    QTest::newRow("build, writable") << build << usrBin << false << true << true;
    QTest::newRow("build, read-only, no file") << build << usrBin << false << false << false;
    QTest::newRow("build, read-only, its file") << build << usrBin << true << false << true;
    QTest::newRow("installed, root, a file there") << usrBin << usrBin << true << true << false;
    QTest::newRow("installed, spelt differently") << "/usr/lib/../bin/"
                                                  << "/usr//bin" << false << true << false;
    QTest::newRow("a copy beside the install folder")
        << "/usr/local/bin" << usrBin << false << true << true;
}

void TestStationSettings::whereTheFileLives()
{
    QFETCH(QString, exeDir);
    QFETCH(QString, installBinDir);
    QFETCH(bool, exists);
    QFETCH(bool, writable);
    QFETCH(bool, beside);
    QCOMPARE(SettingsFiles::keepsConfigBeside(exeDir, installBinDir, exists, writable), beside);
    // This test runs from the build folder, which it can write.
    QCOMPARE(SettingsFiles::defaultPath(),
             QCoreApplication::applicationDirPath() + QStringLiteral("/config.ini"));
}

void TestStationSettings::unwritableFolderIsSaid()
{
    // A folder that cannot hold the file, even for root: its "folder" is a plain file.
    writeFile(path("blocker"), "x");
    const QString file = path("blocker") + QStringLiteral("/config.ini");
    auto f = files(file);
    StationSettings s = f->load(); // start-up goes on, said in the terminal only
    QVERIFY(m_messenger.shown.isEmpty());
    QCOMPARE(m_told.size(), 1);
    s.setupShown = true;
    QVERIFY(!f->save(s));
    s.setupShown = false;
    QVERIFY(!f->save(s)); // said once in a message, then only in the terminal
    QCOMPARE(m_messenger.shown.size(), 1);
    QVERIFY(m_messenger.shown.first().text.startsWith("Settings could not be saved to " + file));
    QVERIFY(m_told.last().startsWith(QStringLiteral("Settings not saved")));
}

void TestStationSettings::fullDiskKeepsTheFilesAndSaysSo()
{
    SMALL_DISK(disk);
    const QString config = disk.path() + QStringLiteral("/config.ini"),
                  extra = disk.path() + QStringLiteral("/ovx2.ini");
    auto f = files(config);
    StationSettings s = f->load();
    QFile::remove(config);
    QVERIFY(f->save(s)); // nothing changed: nothing written
    QVERIFY(!QFile::exists(config));
    s.port(2).permission = Permission::Full;
    QVERIFY(f->save(s));
    QVERIFY(!QFile::exists(config)); // only ovx2.ini's settings changed
    s.setupShown = true;
    QVERIFY(f->save(s));
    const QByteArray configBefore = readFile(config), extraBefore = readFile(extra);

    // The disk is full when the user changes settings: the files stay whole, the user is told,
    // and what a port may change is said first, as it matters most.
    QVERIFY(disk.fill());
    s.setupShown = false;
    s.port(2).permission = Permission::FreqMode;
    QVERIFY(!f->save(s));
    QCOMPARE(readFile(config), configBefore);
    QCOMPARE(readFile(extra), extraBefore);
    QCOMPARE(m_messenger.shown.size(), 2);
    QVERIFY(m_messenger.shown[0].text.contains("No space left on device"));
    QVERIFY(m_messenger.shown[1].text.contains("Port 2 is \"Freq/Mode\" until OVX2 closes; at the "
                                               "next start it is \"Full\" again."));
    QVERIFY(!f->save(s, true)); // at shutdown the same, and nothing shown twice
    QCOMPARE(m_messenger.shown.size(), 2);

    disk.makeRoom(); // with room again, the next save writes both
    QVERIFY(f->save(s));
    QVERIFY(readFile(config).contains("Setup=False"));
    QVERIFY(readFile(extra).contains("Permission=FreqMode"));
}

void TestStationSettings::readOnlyFileIsReadAndNotWritten()
{
    SMALL_DISK(disk);
    const QString file = disk.path() + QStringLiteral("/config.ini");
    const QByteArray contents = configFile({{"Poll=", "1000"}, {"VirPort2AutoInfo2=", "1"}});
    writeFile(file, contents);
    QVERIFY(disk.makeReadOnly());
    auto f = files(file);
    StationSettings s = f->load();
    QVERIFY(s.pollInterval == 1000 && s.port(2).autoInfo2 == 1);
    QVERIFY(m_messenger.shown.isEmpty());
    QCOMPARE(m_told, QStringList("Settings read from " + file +
                                 ", which cannot be written (the "
                                 "file is read-only): changes are not saved."));
    s.setupShown = true;
    QVERIFY(!f->save(s));
    s.pollInterval = 2000;
    QVERIFY(!f->save(s)); // said once
    QCOMPARE(m_messenger.shown.size(), 1);
    QVERIFY(m_messenger.shown.first().text.startsWith("Settings cannot be saved to " + file));
    QCOMPARE(readFile(file), contents);
}

QTEST_GUILESS_MAIN(TestStationSettings)
#include "tst_station_settings.moc"
