#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "controls/frames.h"
#include "controls/version.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "net/rigctl_server.h"
#include "ports/pty_device.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "scripted_messenger.h"
#include "shell/config_store.h"
#include "shell/config_table.h"
#include "shell/form1.h"
#include "shell/option_coupling.h"
#include "shell/shutdown.h"
#include "shell/startup.h"
#include "station_program.h"
#include "test_data.h"
#include "tmpfs_mount.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

// The application shell: config.ini, start-up without a rig, shutdown, menus and coupling.
class TestShell : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstStartWritesTheFile();
    void secondStartFillsEmptyPaths();
    void shortFileGetsItsDefaults();
    void emptyValueAtPosition21();
    void valuesApplied_data();
    void valuesApplied();
    void pollingAtTheIntervalShown_data();
    void pollingAtTheIntervalShown();
    void brokenFilesStartCleanly_data();
    void brokenFilesStartCleanly();
    void programsLaunchedAtStart();
    void networkDoorOpensAfterTheSettings_data();
    void networkDoorOpensAfterTheSettings();
    void unwritableFolderIsSaid();
    void fullDiskKeepsTheFileAndSaysSo();
    void readOnlyFileIsReadAndNotWritten();
    void negativeLeftEdgeSavedAsZero();
    void setupMenu();
    void helpMenu();
    void coupling_data();
    void coupling();
    void pathBoxesKeepTheLaunchTable();
    void shutdownRemovesEveryPort_data();
    void shutdownRemovesEveryPort();
    void shutdownAnsweredNo();
    void exitSavesTwice();
    void signalAnswersTheOpenMessages();

private:
    QString configPath() const { return m_dir->path() + QStringLiteral("/config.ini"); }
    QList<QByteArray> fileLines() const;
    void writeFile(const QList<QByteArray> &lines);
    Form1 &start(); // a window with its start-up run
    void startWithEveryPortCreated();

    QTemporaryDir m_runtime;
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedMessenger m_messenger;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<PtyDevice> m_rig;
};

void TestShell::initTestCase()
{
    usePrivateRuntimeDir(m_runtime);
}

void TestShell::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_messenger.shown.clear();
    m_messenger.answers.clear();
}

void TestShell::cleanup()
{
    m_form.reset();
    m_rig.reset();
}

QList<QByteArray> TestShell::fileLines() const
{
    QFile file(configPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (!line.endsWith('\r'))
            line += "<no CR>";
        line.chop(1);
    }
    return lines;
}

void TestShell::writeFile(const QList<QByteArray> &lines)
{
    QFile file(configPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (const QByteArray &line : lines)
        file.write(line + "\r\n");
}

Form1 &TestShell::start()
{
    m_form = std::make_unique<Form1>(m_messenger, configPath(), instantClock());
    runStartup(*m_form);
    return *m_form;
}

void TestShell::firstStartWritesTheFile()
{
    Form1 &form = start();
    const QList<QByteArray> lines = fileLines();
    QCOMPARE(lines.size(), 51);
    for (const char *expected : {"Setup=False", "RigPort=COM1", "VirPort1=COM11", "VirPort5=COM15",
                                 "Pgm_1_Name=Enter Name", "Poll=250",
                                 "VPort1 App Path=", "PowerSDR App Path=", "VirPort7=COM99",
                                 "RigBaudRate(0,1,2,3,4..4800 to 57600)=3",
                                 "Rig Type(0,1,2..K3, Yaesu, Ken)=0", "Position-Left=0"})
        QVERIFY2(lines.contains(expected), expected);
    for (const QByteArray &line : lines) {
        if (line.contains("AutoConnect=") || line.contains("AutoLaunch=") ||
            line.contains("AutoInfo2=") || line.startsWith("On_Top=") ||
            line.startsWith("StartOVXminimized="))
            QVERIFY2(line.endsWith("=0"), line.constData());
    }
    // Nothing else happened: no connection, no polling, the indicator untouched.
    QVERIFY(!form.bridge().rigPort().IsOpened());
    QVERIFY(!form.bridge().timer1().isActive());
    QVERIFY(form.bridge().items().transmitIndicator().isEmpty());
    QCOMPARE(form.controls().appFrame(3)->ComboVPort->count(), 20);
    QCOMPARE(form.controls().appFrame(3)->ComboVPort->itemText(19), QStringLiteral("COM20"));
    QCOMPARE(form.controls().sdr->ComboVPort7->count(), 1);
    QVERIFY(m_messenger.shown.isEmpty());
}

void TestShell::secondStartFillsEmptyPaths()
{
    start();
    m_form.reset();
    Form1 &form = start();
    for (int n = 0; n < 5; ++n)
        QCOMPARE(form.controls().pathBoxes[std::size_t(n)]->text(), QStringLiteral("Enter Name"));
    QCOMPARE(form.controls().pathBoxes[std::size_t(5)]->text(), QStringLiteral("Enter Name"));
    QCOMPARE(form.launchPaths()[0], QStringLiteral("Enter Name"));
    QVERIFY(form.bridge().timer1().isActive());
    QCOMPARE(form.bridge().items().transmitIndicator(), QStringLiteral("Off"));
    // Loading writes nothing back: the file names no path until something is saved.
    QVERIFY(fileLines().contains("VPort1 App Path="));
}

void TestShell::shortFileGetsItsDefaults()
{
    QList<QByteArray> lines = configLines().mid(0, 20);
    lines[19] = "VirPort1AutoInfo2=1";
    lines[17] = "VirPort2AutoInfo2=0";
    writeFile(lines);
    Form1 &form = start();
    QCOMPARE(fileLines().size(), 51);
    QCOMPARE(form.controls().rig->cbBaudRate->currentIndex(), 3);
    QCOMPARE(form.controls().rig->cbRigType->currentIndex(), 0);
    QVERIFY(!form.controls().appFrame(2)->chkAI2->isChecked());
    QVERIFY(form.controls().appFrame(1)->chkAI2->isChecked());
}

void TestShell::emptyValueAtPosition21()
{
    QList<QByteArray> lines = configLines({{"RigBaudRate(0,1,2,3,4..4800 to 57600)=", ""},
                                           {"VirPort4AutoConnect=", "1"},
                                           {"VirPort4=", "COM17"},
                                           {"Rig Type(0,1,2..K3, Yaesu, Ken)=", "2"}});
    lines[21] = "VirPort2AutoInfo2=1";
    writeFile(lines);
    QList<QList<QByteArray>> written;
    m_form = std::make_unique<Form1>(m_messenger, configPath(), instantClock());
    connect(&m_form->config(), &ConfigStore::saved, this, [&] { written << fileLines(); });
    runStartup(*m_form);
    // The line filled with its default is written once, with everything else as loaded; never
    // from a window loaded halfway.
    lines[20] += '3';
    for (QByteArray &line : lines) {
        if (line.endsWith("Path=")) // loaded as the empty path's default
            line += "Enter Name";
    }
    QCOMPARE(written, QList<QList<QByteArray>>{lines});
}

void TestShell::valuesApplied_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("expected"); // text, box value, index, or "setup shown"

    auto row = [](const char *name, int position, const char *value, const char *control,
                  const char *expected) {
        QTest::newRow(name) << position << QByteArray(value) << QString::fromLatin1(control)
                            << QString::fromLatin1(expected);
    };
    row("Setup=true hides", 3, "true", "setup", "hidden");
    row("Setup=True shows", 3, "True", "setup", "shown");
    row("leading blank kept", 4, " COM3", "ComboPort", " COM3");
    row("A=B", 12, "A=B", "txtAppName1", "A=B");
    row("box x leaves it", 9, "x", "chkConnect1", "0");
    row("box 3 leaves it", 9, "3", "chkConnect1", "0");
    row("grey box", 10, "2", "chkConnect2", "2");
    row("on top 2 becomes 1", 15, "2", "chkOnTop", "1");
    row("baud index", 21, "1", "cbBaudRate", "1");
    row("baud outside the list", 21, "9", "cbBaudRate", "3");
    row("rig type Kenwood", 51, "2", "cbRigType", "2");
    row("no rig type", 51, "-1", "cbRigType", "-1");
    row("launch box sets connect", 29, "1", "chkConnect2", "1");
    row("path", 37, "/usr/bin/cqrlog --x", "launch0", "/usr/bin/cqrlog --x");
    const char *sdr = "C:\\Program Files\\Ostrel\\PowerSDR-IF Stage v0.92\\PowerSDR.exe";
    row("Windows SDR path kept", 46, sdr, "txtVportAppPath5", sdr);
}

void TestShell::valuesApplied()
{
    QFETCH(int, position);
    QFETCH(QByteArray, value);
    QFETCH(QString, control);
    QFETCH(QString, expected);
    QList<QByteArray> lines = configLines();
    const ConfigLine &line = kConfigLines[std::size_t(position - 1)];
    lines[position - 1] = QByteArray(line.key.data(), qsizetype(line.key.size())) + value;
    lines << "VirPort1AutoConnect=1"; // a 52nd line is read and ignored
    writeFile(lines);
    const QList<QByteArray> before = fileLines();
    Form1 &form = start();
    QString got;
    if (control == QLatin1String("setup"))
        got = form.setupShown() ? QStringLiteral("shown") : QStringLiteral("hidden");
    else if (control == QLatin1String("launch0"))
        got = form.launchPaths()[0];
    else if (auto *box = form.findChild<QCheckBox *>(control))
        got = QString::number(boxValue(box));
    else if (auto *edit = form.findChild<QLineEdit *>(control))
        got = edit->text();
    else if (auto *list = form.findChild<QComboBox *>(control))
        got = list->isEditable() && control != QLatin1String("cbBaudRate")
                  ? list->currentText()
                  : QString::number(list->currentIndex());
    QCOMPARE(got, expected);
    QVERIFY(!form.controls().appFrame(1)->chkConnect->isChecked()); // the extra line did nothing
    // Later positions still applied.
    QCOMPARE(form.controls().rig->cbBaudRate->currentIndex(),
             position == 21 ? expected.toInt() : 3);
    // Loading it, whatever its handlers do, leaves the file as it was.
    QCOMPARE(fileLines(), before);
}

void TestShell::pollingAtTheIntervalShown_data()
{
    QTest::addColumn<QByteArray>("poll"); // the Poll= value; "none": no config.ini yet
    QTest::addColumn<int>("interval");
    QTest::newRow("first start") << QByteArray("none") << 250;
    QTest::newRow("Poll=250, as a first start writes it") << QByteArray("250") << 250;
    QTest::newRow("Poll=1000") << QByteArray("1000") << 1000;
    QTest::newRow("Poll= empty") << QByteArray() << 200;
    QTest::newRow("Poll=50, below the range") << QByteArray("50") << 250;
    QTest::newRow("Poll=fast, not a number") << QByteArray("fast") << 250;
}

void TestShell::pollingAtTheIntervalShown()
{
    QFETCH(QByteArray, poll);
    QFETCH(int, interval);
    if (poll != "none")
        writeFile(configLines({{"Poll=", poll}}));
    Form1 &form = start();
    const PollingControls &controls = *form.controls().polling;
    QCOMPARE(controls.txtPOLL->text(), QString::number(interval));
    QCOMPARE(controls.VScrollPoll->value(), interval);
    QCOMPARE(form.bridge().timer1().interval(), interval);
    // However the value changes from now on, the timer follows.
    controls.VScrollPoll->setValue(5000);
    QCOMPARE(form.bridge().timer1().interval(), 5000);
    controls.txtPOLL->setText(QStringLiteral("300"));
    QCOMPARE(form.bridge().timer1().interval(), 300);
}

void TestShell::brokenFilesStartCleanly_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("random bytes") << noiseBytes(20000, 99);
    QTest::newRow("10 MB line") << QByteArray("Position-Left=") + QByteArray(10 << 20, '7');
    QTest::newRow("no line ends") << QByteArray("Setup=True") + QByteArray(3000, '=');
    QTest::newRow("both AI boxes of port 1") << QByteArray("a=0\r\n").repeated(16) +
                                                    "VirPort1AutoInfo2=1\r\n"
                                                    "b=0\r\nc=0\r\nVirPort1AutoInfo2=1\r\n";
}

void TestShell::brokenFilesStartCleanly()
{
    QFETCH(QByteArray, contents);
    QFile file(configPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
    file.close();
    Form1 &form = start();
    // Completed where it lacked lines, or else left as it was.
    QVERIFY(fileLines().size() == 51 ||
            (file.open(QIODevice::ReadOnly) && file.readAll() == contents));
    QVERIFY(form.frameGeometry().x() < 100000);
    if (QByteArray(QTest::currentDataTag()).startsWith("both")) {
        QVERIFY(!form.controls().appFrame(1)->chkAI1->isChecked());
        QVERIFY(form.controls().appFrame(1)->chkAI2->isChecked());
    }
}

void TestShell::programsLaunchedAtStart()
{
    // Port 3 connects and launches its program; the SDR program starts though its port does
    // not. With the rig port closed, port 3 is refused, and its program starts all the same.
    QList<QByteArray> lines = configLines();
    const QByteArray logger = QFile::encodeName(m_dir->path() + QStringLiteral("/logger ran"));
    const QByteArray sdr = QFile::encodeName(m_dir->path() + QStringLiteral("/sdr ran"));
    lines[10] = "VirPort3AutoConnect=1";
    lines[29] = "VirPort3AutoLaunch=1";
    lines[38] = "VPort3 App Path=/bin/sh -c \"touch '" + logger + "'\"";
    lines[43] = "PowerSDRAutoLaunch=1";
    lines[45] = "PowerSDR App Path=/usr/bin/touch \"" + sdr + "\"";
    lines[27] = "VirPort1AutoLaunch=0";
    writeFile(lines);
    Form1 &form = start();
    QCOMPARE(m_messenger.shown.size(), 1);
    QCOMPARE(m_messenger.shown.first().text, QStringLiteral("Connect to K3 first"));
    QVERIFY(!form.bridge().sdrPort().IsCreated());
    QTRY_VERIFY(QFile::exists(QFile::decodeName(logger)));
    QTRY_VERIFY(QFile::exists(QFile::decodeName(sdr)));
    // Each launch is told in its port's terminal; no message box.
    QVERIFY(form.bridge().terminal(3).lines().last().startsWith("Started /bin/sh -c"));
    QVERIFY(form.bridge().terminal(7).lines().last().startsWith("Started /usr/bin/touch"));
    QCOMPARE(m_messenger.shown.size(), 1);
}

void TestShell::networkDoorOpensAfterTheSettings_data()
{
    QTest::addColumn<bool>("configured"); // config.ini with a rig that does not answer, port 1
    QTest::addColumn<bool>("listen");     // what ovx2.ini says
    QTest::addColumn<QString>("seen");    // when the door opened: "" for never
    QTest::newRow("first start") << false << true << "COM1, 0 messages, config.ini written";
    QTest::newRow("settings and a rig") << true << true << "rig, 1 messages, config.ini written";
    QTest::newRow("Listen=false") << true << false << "";
}

void TestShell::networkDoorOpensAfterTheSettings()
{
    QFETCH(bool, configured);
    QFETCH(bool, listen);
    QFETCH(QString, seen);
    m_rig = std::make_unique<PtyDevice>();
    QVERIFY(m_rig->open());
    if (configured)
        writeFile(configLines({{"RigPort=", m_rig->slavePath().toUtf8()},
                               {"RigPortAutoConnect=", "1"},
                               {"VirPort1AutoConnect=", "1"}}));
    QTcpServer probe; // a port of its own
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    {
        QSettings extra(m_dir->path() + QStringLiteral("/ovx2.ini"), QSettings::IniFormat);
        extra.setValue(QStringLiteral("Network/Port"), probe.serverPort());
        extra.setValue(QStringLiteral("Network/Listen"), listen);
    }
    probe.close();
    m_form = std::make_unique<Form1>(m_messenger, configPath(), instantClock());
    // Opened once the rig port's connection has been tried (its message shown), before the
    // application ports (port 1's refusal).
    QString opened;
    connect(&m_form->bridge().server(), &RigctlServer::listeningChanged, this, [&](bool on) {
        if (!on)
            return;
        const QString rig = m_form->controls().rig->ComboPort->currentText();
        opened += QStringLiteral("%1, %2 messages, config.ini %3")
                      .arg(rig == m_rig->slavePath() ? QStringLiteral("rig") : rig)
                      .arg(m_messenger.shown.size())
                      .arg(QFile::exists(configPath()) ? "written" : "missing");
    });
    runStartup(*m_form);
    QCOMPARE(opened, seen);
    QCOMPARE(m_form->bridge().server().isListening(), listen);
    QCOMPARE(m_messenger.shown.size(), configured ? 2 : 0);
}

void TestShell::unwritableFolderIsSaid()
{
    // A folder that cannot hold the file, even for root: its "folder" is a plain file.
    QFile blocker(m_dir->path() + QStringLiteral("/blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = blocker.fileName() + QStringLiteral("/config.ini");
    m_form = std::make_unique<Form1>(m_messenger, path, instantClock());
    QVERIFY(!runStartup(*m_form)); // start-up goes on without a word
    QVERIFY(m_messenger.shown.isEmpty());
    m_form->menuItem(QStringLiteral("mnuShow"))->trigger();
    QCOMPARE(m_messenger.shown.size(), 1);
    QVERIFY(m_messenger.shown.first().text.startsWith(
        QStringLiteral("Settings could not be saved to ") + path));
    m_form->menuItem(QStringLiteral("mnuHide"))->trigger(); // said once, then only in the terminal
    QCOMPARE(m_messenger.shown.size(), 1);
    QVERIFY(m_form->bridge().terminal(0).lines().last().startsWith("Settings not saved"));
}

void TestShell::fullDiskKeepsTheFileAndSaysSo()
{
    TmpfsMount disk(m_dir->path() + QStringLiteral("/disk"), 64 * 1024);
    if (disk.notPermitted())
        QSKIP("mounting a small disk is not permitted to this user (CI runs as root)");
    QVERIFY2(disk.isMounted(), qPrintable(disk.error()));
    const QString path = disk.path() + QStringLiteral("/config.ini");
    m_form = std::make_unique<Form1>(m_messenger, path, instantClock());
    runStartup(*m_form);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    QVERIFY(before.contains("Setup=False"));

    // The disk is full when the user changes a setting: the file stays whole, the user is told.
    QVERIFY(disk.fill());
    m_form->menuItem(QStringLiteral("mnuShow"))->trigger();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();
    QCOMPARE(m_messenger.shown.size(), 1);
    QCOMPARE(m_messenger.shown.first().title, QStringLiteral("Warning"));
    const QString text = m_messenger.shown.first().text;
    QVERIFY2(text.contains(path) && text.contains(QStringLiteral("No space left on device")),
             qPrintable(text));
    QVERIFY(m_form->bridge().terminal(0).lines().last().startsWith("Settings not saved"));
    // At shutdown the same; a message already shown is not shown again.
    QVERIFY(runShutdown(m_form->bridge(), [this] { m_form->config().SaveConfig(); }));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();
    QCOMPARE(m_messenger.shown.size(), 1);

    // With room again, the next save writes it.
    disk.makeRoom();
    m_form->menuItem(QStringLiteral("mnuShow"))->trigger();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("Setup=True"));
    m_form.reset();
}

void TestShell::readOnlyFileIsReadAndNotWritten()
{
    TmpfsMount disk(m_dir->path() + QStringLiteral("/disk"), 64 * 1024);
    if (disk.notPermitted())
        QSKIP("mounting a small disk is not permitted to this user (CI runs as root)");
    QVERIFY2(disk.isMounted(), qPrintable(disk.error()));
    const QString path = disk.path() + QStringLiteral("/config.ini");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray contents = configFile({{"Poll=", "1000"}, {"VirPort2AutoInfo2=", "1"}});
    file.write(contents);
    file.close();
    QVERIFY(disk.makeReadOnly());

    m_form = std::make_unique<Form1>(m_messenger, path, instantClock());
    QVERIFY(runStartup(*m_form));
    // Its settings are the window's; start-up says why they will not be saved, without a box.
    QCOMPARE(m_form->controls().polling->txtPOLL->text(), QStringLiteral("1000"));
    QVERIFY(m_form->controls().appFrame(2)->chkAI2->isChecked());
    QVERIFY(m_messenger.shown.isEmpty());
    const QList<QByteArray> lines = m_form->bridge().terminal(0).lines();
    QCOMPARE(lines.count(QByteArray("Settings read from ") + QFile::encodeName(path) +
                         ", which cannot be written (the file is read-only): changes are not "
                         "saved."),
             1);
    // The first change that is not kept says so once.
    m_form->menuItem(QStringLiteral("mnuShow"))->trigger();
    m_form->menuItem(QStringLiteral("mnuHide"))->trigger();
    QCOMPARE(m_messenger.shown.size(), 1);
    QVERIFY2(m_messenger.shown.first().text.startsWith(
                 QStringLiteral("Settings cannot be saved to ") + path),
             qPrintable(m_messenger.shown.first().text));
    QCOMPARE(m_form->bridge().terminal(0).lines().size(), lines.size());
    m_form.reset();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), contents);
}

void TestShell::negativeLeftEdgeSavedAsZero()
{
    Form1 &form = start();
    form.move(-200, 30);
    form.config().SaveConfig();
    QCOMPARE(fileLines().value(0), QByteArray("Position-Left=0"));
    QCOMPARE(fileLines().value(1), QByteArray("Position-Top=450"));
}

void TestShell::setupMenu()
{
    Form1 &form = start();
    QSignalSpy saves(&form.config(), &ConfigStore::saved);
    form.menuItem(QStringLiteral("mnuShow"))->trigger();
    QCOMPARE(form.frameGeometry().size(), QSize(900, 704)); // 13500 x 10560 twips
    QVERIFY(form.menuItem(QStringLiteral("mnuShow"))->isChecked());
    QVERIFY(!form.menuItem(QStringLiteral("mnuHide"))->isChecked());
    QVERIFY(fileLines().contains("Setup=True"));
    form.menuItem(QStringLiteral("mnuShow"))->trigger(); // again: same size, saved again
    QCOMPARE(saves.size(), 2);
    form.menuItem(QStringLiteral("mnuHide"))->trigger();
    QCOMPARE(form.frameGeometry().size(), QSize(586, 413)); // 8800 x 6200 twips
    QVERIFY(!form.menuItem(QStringLiteral("mnuShow"))->isChecked());
    QVERIFY(form.menuItem(QStringLiteral("mnuHide"))->isChecked());
    QVERIFY(fileLines().contains("Setup=False"));
}

void TestShell::helpMenu()
{
    Form1 &form = start();
    form.menuItem(QStringLiteral("mnuIndex"))->trigger();
    form.menuItem(QStringLiteral("mnuAbout"))->trigger();
    QCOMPARE(m_messenger.shown.size(), 2);
    QVERIFY(m_messenger.shown[0].text.startsWith(QString(18, QLatin1Char(' ')) +
                                                 QStringLiteral("Orvex \r\nManual online at ")));
    QVERIFY(m_messenger.shown[1].text.startsWith(
        QString(23, QLatin1Char(' ')) + QString::fromLatin1(kAppTitle) + QStringLiteral("\r\n")));
    QVERIFY(m_messenger.shown[0].title.isEmpty());
}

void TestShell::coupling_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("before"); // connect, launch, AI1, AI2 as digits
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("after");
    auto row = [](const char *name, int port, const char *before, const char *box, int value,
                  const char *after) {
        QTest::newRow(name) << port << QString::fromLatin1(before) << QString::fromLatin1(box)
                            << value << QString::fromLatin1(after);
    };
    row("AI1 clears AI2", 2, "0001", "AI1", 1, "0010");
    row("AI2 clears AI1", 2, "0010", "AI2", 1, "0001");
    row("clearing AI1 touches nothing", 2, "0010", "AI1", 0, "0000");
    row("launch sets connect", 4, "0000", "launch", 1, "1100");
    row("clearing connect clears launch", 4, "1100", "connect", 0, "0000");
    row("clearing launch keeps connect", 4, "1100", "launch", 0, "1000");
    row("setting connect touches nothing", 5, "0000", "connect", 1, "1000");
}

void TestShell::coupling()
{
    QFETCH(int, port);
    QFETCH(QString, before);
    QFETCH(QString, box);
    QFETCH(int, value);
    QFETCH(QString, after);
    m_form = std::make_unique<Form1>(m_messenger, configPath(), instantClock());
    AppPortFrame &f = *m_form->controls().appFrame(port);
    QCheckBox *boxes[] = {f.chkConnect, f.chkLaunch, f.chkAI1, f.chkAI2};
    for (int i = 0; i < 4; ++i)
        boxes[i]->setChecked(before[i] == QLatin1Char('1'));
    QCheckBox *target = box == QLatin1String("connect")  ? f.chkConnect
                        : box == QLatin1String("launch") ? f.chkLaunch
                        : box == QLatin1String("AI1")    ? f.chkAI1
                                                         : f.chkAI2;
    target->setChecked(value == 1);
    QString state;
    for (QCheckBox *b : boxes)
        state += QString::number(boxValue(b));
    QCOMPARE(state, after);
    // Other ports never move.
    for (int n = 1; n <= 5; ++n) {
        if (n != port)
            QVERIFY(!m_form->controls().appFrame(n)->chkAI1->isChecked() &&
                    !m_form->controls().appFrame(n)->chkAI2->isChecked());
    }
}

void TestShell::pathBoxesKeepTheLaunchTable()
{
    m_form = std::make_unique<Form1>(m_messenger, configPath(), instantClock());
    QLineEdit *box = m_form->controls().pathBoxes[std::size_t(2)];
    box->clear();
    QTest::keyClicks(box, QStringLiteral("/usr/bin/wsjtx"));
    QCOMPARE(m_form->launchPaths()[2], QStringLiteral("/usr/bin/wsjtx"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(m_form->launchPaths()[2], QStringLiteral("/usr/bin/wsjt"));
    QVERIFY(m_form->launchPaths()[6].isEmpty() && m_form->launchPaths()[7].isEmpty());
}

void TestShell::startWithEveryPortCreated()
{
    start();
    m_form->show();
    m_rig = std::make_unique<PtyDevice>();
    QVERIFY(m_rig->open());
    QVERIFY(m_form->bridge().rigPort().Open(m_rig->slavePath()));
    for (int n = 1; n <= 5; ++n)
        m_form->controls().appFrame(n)->btnCreatePort->click();
    m_form->controls().sdr->btnCreatePort7->click();
    for (int n = 1; n <= 5; ++n)
        QVERIFY(m_form->bridge().appPort(n).IsCreated());
    QVERIFY(m_form->bridge().sdrPort().IsCreated());
}

// Closing with ports that no program holds asks nothing; each held port asks once, and Yes
// removes it all the same.
void TestShell::shutdownRemovesEveryPort_data()
{
    QTest::addColumn<QList<int>>("held");
    QTest::newRow("no port held") << QList<int>{};
    QTest::newRow("ports 2 and 4 held, Yes twice") << QList<int>{2, 4};
}

void TestShell::shutdownRemovesEveryPort()
{
    QFETCH(QList<int>, held);
    startWithEveryPortCreated();
    std::vector<std::unique_ptr<StationProgram>> programs;
    for (int n : held) {
        programs.push_back(
            std::make_unique<StationProgram>(m_form->bridge().appPort(n).DevicePath()));
        QTRY_VERIFY(m_form->bridge().appPort(n).IsOpenedByApp());
    }
    QFile::remove(configPath());
    m_messenger.answers = QList<bool>(held.size(), true);
    QVERIFY(m_form->close());
    QCOMPARE(m_messenger.shown.size(), held.size());
    for (int n = 1; n <= 5; ++n)
        QVERIFY(!m_form->bridge().appPort(n).IsCreated());
    QVERIFY(!m_form->bridge().sdrPort().IsCreated());
    QCOMPARE(fileLines().size(), 51);
    QVERIFY(QDir(m_runtime.path() + QStringLiteral("/ovx2")).entryList(QDir::System).isEmpty());
}

void TestShell::shutdownAnsweredNo()
{
    startWithEveryPortCreated();
    StationProgram three(m_form->bridge().appPort(3).DevicePath());
    QTRY_VERIFY(m_form->bridge().appPort(3).IsOpenedByApp());
    QFile::remove(configPath());
    m_messenger.answers = {false};
    QVERIFY(!m_form->close());
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_messenger.shown.size(), 1);
    const Message &m = m_messenger.shown.first();
    QCOMPARE(m.title, QStringLiteral("Error"));
    QCOMPARE(m.text, QStringLiteral("Virtual Serial Port is still used by other application\r\n"
                                    "Do you want to exit anyway ?"));
    QCOMPARE(m.buttons, Message::Buttons::YesNo);
    QCOMPARE(m.icon, Message::Icon::Stop);
    QVERIFY(!m_form->bridge().appPort(1).IsCreated() && !m_form->bridge().appPort(2).IsCreated());
    QVERIFY(m_form->bridge().appPort(3).IsCreated() && m_form->bridge().appPort(4).IsCreated() &&
            m_form->bridge().appPort(5).IsCreated() && m_form->bridge().sdrPort().IsCreated());
    QVERIFY(!QFile::exists(configPath())); // not saved
    // The buttons still show the ports as created, as the shutdown left them.
    QCOMPARE(m_form->controls().appFrame(1)->btnCreatePort->text(), QStringLiteral("Disconnect"));
}

void TestShell::exitSavesTwice()
{
    start();
    m_form->show();
    QSignalSpy saves(&m_form->config(), &ConfigStore::saved);
    m_form->menuItem(QStringLiteral("mnuExit"))->trigger();
    QCOMPARE(saves.size(), 2);
    QVERIFY(!m_form->isVisible());
}

void TestShell::signalAnswersTheOpenMessages()
{
    // A question open, and a message opened above it from its event loop; then the signal.
    MessageBoxMessenger messenger;
    bool messageAnswer = false;
    QTimer::singleShot(0, this, [&] {
        QTimer::singleShot(0, this, [&] { messenger.answerEverythingYes(); });
        messageAnswer = messenger.show({QStringLiteral("Warning"), QStringLiteral("A message"),
                                        Message::Buttons::Ok, Message::Icon::Warning});
    });
    // A box still open after ten seconds is closed here, so that the test fails rather than hangs.
    QTimer rescue;
    connect(&rescue, &QTimer::timeout, this, [] {
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
    rescue.start(10000);
    QElapsedTimer clock;
    clock.start();
    const bool questionAnswer =
        messenger.show({QStringLiteral("Error"), QStringLiteral("A question"),
                        Message::Buttons::YesNo, Message::Icon::Stop});
    QVERIFY2(clock.elapsed() < 10000, "the signal left the boxes open");
    QVERIFY(questionAnswer);
    QVERIFY(messageAnswer);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // From now on nothing is shown, and every question is answered Yes.
    QVERIFY(messenger.show({QStringLiteral("Error"), QStringLiteral("Another question"),
                            Message::Buttons::YesNo, Message::Icon::Stop}));
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
