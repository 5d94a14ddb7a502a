#include "platform/messenger.h"
#include "scripted_messenger.h"
#include "settings/settings_files.h"
#include "settings/station_settings.h"
#include "test_data.h"
#include "tmpfs_mount.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

// The settings as config.ini and ovx2.ini hold them: what a line means, what a file read and
// written again keeps, and what happens when a file cannot be written.
class TestStationSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstStartWritesEveryLine();
    void valuesRead_data();
    void valuesRead();
    void fileWrittenBackByteForByte_data();
    void fileWrittenBackByteForByte();
    void missingLinesGetTheirDefaults_data();
    void missingLinesGetTheirDefaults();
    void brokenFilesRead_data();
    void brokenFilesRead();
    void coupledBoxes_data();
    void coupledBoxes();
    void extraSettingsComeBack();
    void extraFileBrokenOrOfALaterVersion();
    void unchangedSettingsWriteNothing();
    void unwritableFolderIsSaid();
    void fullDiskKeepsTheFilesAndSaysSo();
    void readOnlyFileIsReadAndNotWritten();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    void writeFile(const QString &file, const QByteArray &contents);
    QByteArray readFile(const QString &file) const;
    StationSettings load(SettingsFiles &files);

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedMessenger m_messenger;
    QStringList m_told;
};

void TestStationSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_messenger.shown.clear();
    m_told.clear();
}

void TestStationSettings::writeFile(const QString &file, const QByteArray &contents)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contents);
}

QByteArray TestStationSettings::readFile(const QString &file) const
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestStationSettings::firstStartWritesEveryLine()
{
    SettingsFiles files(path("config.ini"), m_messenger, [this](const QString &l) { m_told << l; });
    bool existed = true;
    const StationSettings s = files.load(&existed);
    QVERIFY(!existed);
    const QList<QByteArray> lines = readFile(path("config.ini")).split('\n');
    QCOMPARE(lines.size(), 52); // 51 lines, each ended with CR LF
    for (const char *expected :
         {"Position-Left=0\r", "Setup=False\r", "RigPort=COM1\r", "VirPort1=COM11\r",
          "VirPort5=COM15\r", "Pgm_1_Name=Enter Name\r", "Poll=250\r", "VPort1 App Path=\r",
          "PowerSDR App Path=\r", "VirPort7=COM99\r", "RigBaudRate(0,1,2,3,4..4800 to 57600)=3\r",
          "Rig Type(0,1,2..K3, Yaesu, Ken)=0\r", "VirPort1AutoInfo2=0\r"})
        QVERIFY2(lines.contains(expected), expected);
    QCOMPARE(s, StationSettings());
    QVERIFY(m_messenger.shown.isEmpty());
}

void TestStationSettings::valuesRead_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<std::function<QString(const StationSettings &)>>("field");
    QTest::addColumn<QString>("expected");
    using F = std::function<QString(const StationSettings &)>;
    const auto row = [](const char *name, int position, const char *value, F field,
                        const char *expected) {
        QTest::newRow(name) << position << QByteArray(value) << field
                            << QString::fromLatin1(expected);
    };
    const auto n = [](int v) { return QString::number(v); };
    row(
        "Setup=true hides", 3, "true", [](auto &s) { return s.setupShown ? "shown" : "hidden"; },
        "hidden");
    row(
        "Setup=True shows", 3, "True", [](auto &s) { return s.setupShown ? "shown" : "hidden"; },
        "shown");
    row(
        "leading blank kept", 4, " COM3", [](auto &s) { return s.rigPort; }, " COM3");
    row(
        "A=B", 12, "A=B", [](auto &s) { return s.port(1).label; }, "A=B");
    row(
        "box x leaves it", 9, "x", [n](auto &s) { return n(s.port(1).autoConnect); }, "0");
    row(
        "box 3 leaves it", 9, "3", [n](auto &s) { return n(s.port(1).autoConnect); }, "0");
    row(
        "grey box", 10, "2", [n](auto &s) { return n(s.port(2).autoConnect); }, "2");
    row(
        "on top 2 becomes 1", 15, "2", [n](auto &s) { return n(s.onTop); }, "1");
    row(
        "poll", 16, "1000", [n](auto &s) { return n(s.pollInterval); }, "1000");
    row(
        "poll below the range", 16, "50", [n](auto &s) { return n(s.pollInterval); }, "250");
    row(
        "poll not a number", 16, "fast", [n](auto &s) { return n(s.pollInterval); }, "250");
    row(
        "poll empty", 16, "", [n](auto &s) { return n(s.pollInterval); }, "200");
    row(
        "baud index", 21, "1", [n](auto &s) { return n(s.baudIndex); }, "1");
    row(
        "baud outside the list", 21, "9", [n](auto &s) { return n(s.baudIndex); }, "3");
    row(
        "rig type Kenwood", 51, "2", [n](auto &s) { return n(rigTypeIndex(s.rigType)); }, "2");
    row(
        "no rig type", 51, "-1", [n](auto &s) { return n(rigTypeIndex(s.rigType)); }, "-1");
    row(
        "launch box sets connect", 29, "1", [n](auto &s) { return n(s.port(2).autoConnect); }, "1");
    row(
        "path", 37, "/usr/bin/cqrlog --x", [](auto &s) { return s.port(1).program; },
        "/usr/bin/cqrlog --x");
    const char *sdr = "C:\\Program Files\\Ostrel\\PowerSDR-IF Stage v0.92\\PowerSDR.exe";
    row(
        "Windows SDR path kept", 46, sdr, [](auto &s) { return s.sdr.program; }, sdr);
    row(
        "start maximised", 45, "2", [n](auto &s) { return n(s.startMinimized); }, "2");
    row(
        "left edge in twips", 1, "1500.4", [n](auto &s) { return n(s.windowPosition.x()); }, "100");
}

void TestStationSettings::valuesRead()
{
    QFETCH(int, position);
    QFETCH(QByteArray, value);
    QFETCH(std::function<QString(const StationSettings &)>, field);
    QFETCH(QString, expected);
    QList<QByteArray> lines = configLines();
    QByteArray &line = lines[position - 1];
    line = line.left(line.indexOf('=') + 1) + value;
    lines << "VirPort1AutoConnect=1"; // a 52nd line is read and ignored
    const ConfigRead read = readConfigIni(lines.join("\r\n") + "\r\n");
    QCOMPARE(field(read.settings), expected);
    QCOMPARE(read.settings.port(1).autoConnect, 0); // the 52nd line did nothing
    QVERIFY(!read.rewrite);                         // nothing was missing
}

void TestStationSettings::fileWrittenBackByteForByte_data()
{
    QTest::addColumn<QByteArray>("file");
    // An empty path is read as the box's "Enter Name": a file written back has them filled.
    const QMap<QByteArray, QByteArray> paths{
        {"VPort1 App Path=", "Enter Name"}, {"VPort2 App Path=", "/usr/bin/fldigi"},
        {"VPort3 App Path=", "Enter Name"}, {"VPort4 App Path=", "Enter Name"},
        {"VPort5 App Path=", "Enter Name"}, {"PowerSDR App Path=", "Enter Name"}};
    QTest::newRow("as a second start writes it") << configFile(paths);
    QMap<QByteArray, QByteArray> all = paths;
    all.insert(
        QMap<QByteArray, QByteArray>{{"Position-Left=", "1500"},
                                     {"Position-Top=", "450"},
                                     {"Setup=", "True"},
                                     {"RigPort=", "/dev/ttyUSB0"},
                                     {"VirPort2=", "COM12"},
                                     {"RigPortAutoConnect=", "1"},
                                     {"VirPort1AutoConnect=", "1"},
                                     {"VirPort3AutoConnect=", "2"},
                                     {"Pgm_1_Name=", "WSJT-X"},
                                     {"On_Top=", "1"},
                                     {"Poll=", "1000"},
                                     {"RigBaudRate(0,1,2,3,4..4800 to 57600)=", "4"},
                                     {"OutputPort1=", "/dev/ttyS1"},
                                     {"VirPort1AutoLaunch=", "1"},
                                     {"VPort1 App Path=", "/usr/bin/wsjtx --rig-name=\"a b\""},
                                     {"PowerSDRAutoLaunch=", "1"},
                                     {"StartOVXminimized=", "1"},
                                     {"VirPort7=", "COM98"},
                                     {"Rig Type(0,1,2..K3, Yaesu, Ken)=", "3"}});
    QTest::newRow("everything set") << configFile(all);
}

void TestStationSettings::fileWrittenBackByteForByte()
{
    QFETCH(QByteArray, file);
    const ConfigRead read = readConfigIni(file);
    QVERIFY(!read.rewrite);
    QCOMPARE(writeConfigIni(read.settings), file);
}

void TestStationSettings::missingLinesGetTheirDefaults_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("rewrite");
    QList<QByteArray> shortFile = configLines().mid(0, 19);
    QTest::newRow("an older file of 19 lines") << shortFile.join("\r\n") + "\r\n" << true;
    QList<QByteArray> emptyPaths = configLines();
    QTest::newRow("empty paths: filled, not rewritten") << emptyPaths.join("\r\n") + "\r\n"
                                                        << false;
    QList<QByteArray> emptyBaud = configLines();
    emptyBaud[20] = "RigBaudRate(0,1,2,3,4..4800 to 57600)=";
    QTest::newRow("empty speed at line 21") << emptyBaud.join("\r\n") + "\r\n" << true;
}

void TestStationSettings::missingLinesGetTheirDefaults()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, rewrite);
    writeFile(path("config.ini"), file);
    SettingsFiles files(path("config.ini"), m_messenger, [this](const QString &l) { m_told << l; });
    const StationSettings s = files.load();
    QCOMPARE(s.baudIndex, 3);
    QCOMPARE(s.port(1).program, QStringLiteral("Enter Name"));
    if (file.count('\n') == 19)
        QCOMPARE(s.port(1).autoInfo2, 1); // a missing line 20 is port 1's AI2 box, set
    // Written once, from everything read, only where a line that must be there was missing.
    QCOMPARE(readFile(path("config.ini")) != file, rewrite);
    if (rewrite)
        QCOMPARE(readFile(path("config.ini")), writeConfigIni(s));
}

void TestStationSettings::brokenFilesRead_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("random bytes") << noiseBytes(20000, 99);
    QTest::newRow("10 MB line") << QByteArray("Position-Left=") + QByteArray(10 << 20, '7');
    QTest::newRow("no line ends") << QByteArray("Setup=True") + QByteArray(3000, '=');
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
    QCOMPARE(writeConfigIni(s).count("\r\n"), 51);
    if (QByteArray(QTest::currentDataTag()).startsWith("both")) {
        // Read in file order, the later box wins, as the boxes exclude each other.
        QCOMPARE(s.port(1).autoInfo1, 0);
        QCOMPARE(s.port(1).autoInfo2, 1);
    }
}

void TestStationSettings::coupledBoxes_data()
{
    QTest::addColumn<QString>("before"); // connect, launch, AI1, AI2 as digits
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("after");
    const auto row = [](const char *name, const char *before, PortBox box, int value,
                        const char *after) {
        QTest::newRow(name) << QString::fromLatin1(before) << int(box) << value
                            << QString::fromLatin1(after);
    };
    row("AI1 clears AI2", "0001", PortBox::AI1, 1, "0010");
    row("AI2 clears AI1", "0010", PortBox::AI2, 1, "0001");
    row("clearing AI1 touches nothing", "0010", PortBox::AI1, 0, "0000");
    row("launch sets connect", "0000", PortBox::AutoLaunch, 1, "1100");
    row("clearing connect clears launch", "1100", PortBox::AutoConnect, 0, "0000");
    row("clearing launch keeps connect", "1100", PortBox::AutoLaunch, 0, "1000");
    row("grey launch leaves connect", "0000", PortBox::AutoLaunch, 2, "0200");
}

void TestStationSettings::coupledBoxes()
{
    QFETCH(QString, before);
    QFETCH(int, box);
    QFETCH(int, value);
    QFETCH(QString, after);
    StationSettings s;
    AppPortSettings &p = s.port(4);
    p.autoConnect = before[0].digitValue();
    p.autoLaunch = before[1].digitValue();
    p.autoInfo1 = before[2].digitValue();
    p.autoInfo2 = before[3].digitValue();
    const StationSettings others = s;
    setPortBox(s, 4, PortBox(box), value);
    QCOMPARE(QStringLiteral("%1%2%3%4")
                 .arg(p.autoConnect)
                 .arg(p.autoLaunch)
                 .arg(p.autoInfo1)
                 .arg(p.autoInfo2),
             after);
    for (int n : {1, 2, 3, 5}) // other ports never move
        QCOMPARE(s.port(n), others.port(n));
}

void TestStationSettings::extraSettingsComeBack()
{
    StationSettings s;
    s.port(3).permission = Permission::Full;
    s.door(Door::Rigctl).address = QStringLiteral("192.168.1.5");
    s.door(Door::Rigctl).confirmedAddress = QStringLiteral("192.168.1.5");
    s.door(Door::Rigctl).listen = false;
    s.door(Door::XmlRpc).port = QStringLiteral("12346");
    s.door(Door::XmlRpc).permission = Permission::FreqMode;
    // Texts as typed, whatever QSettings would make of them unquoted.
    s.door(Door::XmlRpc).address = QStringLiteral(" @a, b;=\"\\\x01"
                                                  "1 ");
    writeFile(path("ovx2.ini"), writeExtraIni(s));
    const StationSettings back = readExtraIni(path("ovx2.ini"), StationSettings());
    QCOMPARE(back, s);
    QCOMPARE(back.port(2).permission, Permission::FreqMode);
    QVERIFY(readFile(path("ovx2.ini")).contains("[AppPort3]\nPermission=Full\n"));
}

void TestStationSettings::extraFileBrokenOrOfALaterVersion()
{
    writeFile(path("ovx2.ini"), noiseBytes(5000, 7));
    QCOMPARE(readExtraIni(path("ovx2.ini"), StationSettings()).port(2).permission,
             Permission::FreqMode);
    // A later version's settings stay in the file when this one writes it.
    writeFile(path("ovx2.ini"), "[AppPort2]\nPermission=Full\n[Later]\nKnob=a b\n");
    const StationSettings s = readExtraIni(path("ovx2.ini"), StationSettings());
    QCOMPARE(s.port(2).permission, Permission::Full);
    writeFile(path("ovx2.ini"), writeExtraIni(s));
    QCOMPARE(QSettings(path("ovx2.ini"), QSettings::IniFormat).value("Later/Knob").toString(),
             QStringLiteral("a b"));
}

void TestStationSettings::unchangedSettingsWriteNothing()
{
    SettingsFiles files(path("config.ini"), m_messenger, [this](const QString &l) { m_told << l; });
    StationSettings s = files.load();
    QFile::remove(path("config.ini"));
    QVERIFY(files.save(s)); // nothing changed: nothing written
    QVERIFY(!QFile::exists(path("config.ini")));
    s.setupShown = true;
    QVERIFY(files.save(s));
    QVERIFY(readFile(path("config.ini")).contains("Setup=True\r\n"));
    QVERIFY(!QFile::exists(path("ovx2.ini"))); // its settings did not change
    s.port(2).permission = Permission::Full;
    QVERIFY(files.save(s));
    QVERIFY(readFile(path("ovx2.ini")).contains("Permission=Full"));
}

void TestStationSettings::unwritableFolderIsSaid()
{
    // A folder that cannot hold the file, even for root: its "folder" is a plain file.
    writeFile(path("blocker"), "x");
    const QString file = path("blocker") + QStringLiteral("/config.ini");
    SettingsFiles files(file, m_messenger, [this](const QString &l) { m_told << l; });
    StationSettings s = files.load(); // start-up goes on, said in the terminal only
    QVERIFY(m_messenger.shown.isEmpty());
    QCOMPARE(m_told.size(), 1);
    s.setupShown = true;
    QVERIFY(!files.save(s));
    QCOMPARE(m_messenger.shown.size(), 1);
    QVERIFY(m_messenger.shown.first().text.startsWith(
        QStringLiteral("Settings could not be saved to ") + file));
    s.setupShown = false;
    QVERIFY(!files.save(s)); // said once in a message, then only in the terminal
    QCOMPARE(m_messenger.shown.size(), 1);
    QVERIFY(m_told.last().startsWith(QStringLiteral("Settings not saved")));
}

void TestStationSettings::fullDiskKeepsTheFilesAndSaysSo()
{
    TmpfsMount disk(path("disk"), 64 * 1024);
    if (disk.notPermitted())
        QSKIP("mounting a small disk is not permitted to this user (CI runs as root)");
    QVERIFY2(disk.isMounted(), qPrintable(disk.error()));
    const QString file = disk.path() + QStringLiteral("/config.ini");
    SettingsFiles files(file, m_messenger, [this](const QString &l) { m_told << l; });
    StationSettings s = files.load();
    s.port(2).permission = Permission::Full;
    QVERIFY(files.save(s));
    const QByteArray config = readFile(file);
    const QByteArray extra = readFile(disk.path() + QStringLiteral("/ovx2.ini"));

    // The disk is full when the user changes settings: the files stay whole, the user is told,
    // and what a port may change is said first, as it matters most.
    QVERIFY(disk.fill());
    s.setupShown = true;
    s.port(2).permission = Permission::FreqMode;
    QVERIFY(!files.save(s));
    QCOMPARE(readFile(file), config);
    QCOMPARE(readFile(disk.path() + QStringLiteral("/ovx2.ini")), extra);
    QCOMPARE(m_messenger.shown.size(), 2);
    QVERIFY(m_messenger.shown[0].text.contains(QStringLiteral("No space left on device")));
    QVERIFY2(m_messenger.shown[1].text.contains(
                 QStringLiteral("Port 2 is \"Freq/Mode\" until OVX2 closes; at the next start "
                                "it is \"Full\" again.")),
             qPrintable(m_messenger.shown[1].text));
    QVERIFY(!files.save(s, true)); // at shutdown the same, and nothing shown twice
    QCOMPARE(m_messenger.shown.size(), 2);

    disk.makeRoom(); // with room again, the next save writes both
    QVERIFY(files.save(s));
    QVERIFY(readFile(file).contains("Setup=True"));
    QVERIFY(readFile(disk.path() + QStringLiteral("/ovx2.ini")).contains("Permission=FreqMode"));
}

void TestStationSettings::readOnlyFileIsReadAndNotWritten()
{
    TmpfsMount disk(path("disk"), 64 * 1024);
    if (disk.notPermitted())
        QSKIP("mounting a small disk is not permitted to this user (CI runs as root)");
    QVERIFY2(disk.isMounted(), qPrintable(disk.error()));
    const QString file = disk.path() + QStringLiteral("/config.ini");
    const QByteArray contents = configFile({{"Poll=", "1000"}, {"VirPort2AutoInfo2=", "1"}});
    writeFile(file, contents);
    QVERIFY(disk.makeReadOnly());
    SettingsFiles files(file, m_messenger, [this](const QString &l) { m_told << l; });
    StationSettings s = files.load();
    QCOMPARE(s.pollInterval, 1000);
    QCOMPARE(s.port(2).autoInfo2, 1);
    QVERIFY(m_messenger.shown.isEmpty());
    QCOMPARE(m_told, QStringList(QStringLiteral("Settings read from %1, which cannot be written "
                                                "(the file is read-only): changes are not saved.")
                                     .arg(file)));
    s.setupShown = true;
    QVERIFY(!files.save(s));
    s.pollInterval = 2000;
    QVERIFY(!files.save(s)); // said once
    QCOMPARE(m_messenger.shown.size(), 1);
    QVERIFY(m_messenger.shown.first().text.startsWith(
        QStringLiteral("Settings cannot be saved to ") + file));
    QCOMPARE(readFile(file), contents);
}

QTEST_GUILESS_MAIN(TestStationSettings)
#include "tst_station_settings.moc"
