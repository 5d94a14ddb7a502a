#include "connected_bridge.h"
#include "controls/frames.h"
#include "controls/version.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "rig_sim_thread.h"
#include "station_program.h"
#include "test_data.h"
#include "windowed_station.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

// The window as a view of the bridge: what the user does reaches the settings and their files,
// what the settings hold shows in the controls, and the buttons follow the bridge's state.
class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { usePrivateRuntimeDir(m_runtime); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_station.reset(); }
    void userChangesReachTheSettingsAndTheFiles();
    void loadedSettingsShowInTheControls();
    void buttonsFollowTheBridgeAndCloseAsks();
    void setupAndHelpMenus();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    QByteArray file(const char *name) const;
    WindowedStation &start();

    QTemporaryDir m_runtime;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WindowedStation> m_station;
};

QByteArray TestMainWindow::file(const char *name) const
{
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

WindowedStation &TestMainWindow::start()
{
    m_station = std::make_unique<WindowedStation>(path("config.ini"), testClock());
    m_station->window().showAsSaved();
    m_station->bridge().start();
    return *m_station;
}

void TestMainWindow::userChangesReachTheSettingsAndTheFiles()
{
    WindowedStation &s = start();
    const Controls &c = s.window().controls();
    AppPortFrame &two = *c.appFrame(2);
    QTest::mouseClick(two.autoInfo2, Qt::LeftButton);
    QCOMPARE(s.bridge().settings().port(2).autoInfo2, 1);
    QVERIFY(file("config.ini").contains("\r\nVirPort2AutoInfo2=1\r\n"));
    // The boxes couple in the settings, and the window shows it.
    QTest::mouseClick(two.autoInfo1, Qt::LeftButton);
    QCOMPARE(s.bridge().settings().port(2).autoInfo2, 0);
    QVERIFY(!two.autoInfo2->isChecked());
    QTest::mouseClick(two.autoLaunch, Qt::LeftButton);
    QVERIFY(two.autoConnect->isChecked());
    // What a port may change: in force at once, and kept in ovx2.ini.
    two.permission->setCurrentIndex(1);
    QCOMPARE(s.bridge().settings().port(2).permission, Permission::Full);
    QVERIFY(file("ovx2.ini").contains("[AppPort2]\nPermission=Full\n"));
    // The polling interval, from the bar or typed.
    c.polling->stepper->setValue(1000);
    QCOMPARE(s.bridge().settings().pollInterval, 1000);
    QCOMPARE(c.polling->interval->text(), QStringLiteral("1000"));
    QCOMPARE(s.bridge().pollTimer().interval(), testClock().realMs(1000));
    c.polling->interval->setText(QStringLiteral("300"));
    QCOMPARE(s.bridge().settings().pollInterval, 300);
    QVERIFY(file("config.ini").contains("\r\nPoll=300\r\n"));
    // A name typed into a port's box.
    c.appFrame(4)->portName->setEditText(QStringLiteral("COM44"));
    QCOMPARE(s.bridge().settings().port(4).name, QStringLiteral("COM44"));
    c.programLines[5]->setText(QStringLiteral("/usr/bin/sdr"));
    QCOMPARE(s.bridge().settings().sdr.program, QStringLiteral("/usr/bin/sdr"));
    QVERIFY(s.messenger().shown.isEmpty());
}

void TestMainWindow::loadedSettingsShowInTheControls()
{
    QFile config(path("config.ini"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(configFile({{"VirPort1AutoConnect=", "1"},
                             {"Poll=", "1000"},
                             {"VirPort2=", "COM22"},
                             {"PowerSDR App Path=", "/usr/bin/sdr -x"},
                             {"VirPort3AutoConnect=", "2"},
                             {"Rig Type(0,1,2..K3, Yaesu, Ken)=", "2"}}));
    config.close();
    const QByteArray before = file("config.ini");
    WindowedStation &s = start();
    const Controls &c = s.window().controls();
    QVERIFY(c.appFrame(1)->autoConnect->isChecked());
    QCOMPARE(c.appFrame(3)->autoConnect->checkState(), Qt::PartiallyChecked);
    QCOMPARE(c.polling->interval->text(), QStringLiteral("1000"));
    QCOMPARE(c.polling->stepper->value(), 1000);
    QCOMPARE(c.appFrame(2)->portName->currentText(), QStringLiteral("COM22"));
    QCOMPARE(c.programLines[5]->text(), QStringLiteral("/usr/bin/sdr -x"));
    QCOMPARE(c.rig->rigType->currentText(), QStringLiteral("Kenwood"));
    // Showing them is no change: the file stays as it was.
    QCOMPARE(file("config.ini"), before);
}

void TestMainWindow::buttonsFollowTheBridgeAndCloseAsks()
{
    RigSimThread sim(RigType::K3);
    const QString device = sim.start();
    QVERIFY2(!device.isEmpty(), qPrintable(sim.errorString()));
    WindowedStation &s = start();
    const Controls &c = s.window().controls();
    c.rig->portName->setEditText(device);
    QStringList titles;
    connect(&s.window(), &QWidget::windowTitleChanged, this,
            [&](const QString &title) { titles << title; });
    QTest::mouseClick(c.rig->connectButton, Qt::LeftButton);
    QCOMPARE(c.rig->connectButton->text(), QStringLiteral("Disconnect"));
    QVERIFY(!c.rig->portName->isEnabled());
    const QString title = QString::fromLatin1(kAppTitle);
    QTRY_COMPARE(titles, QStringList({title + "  Initializing", title + "  Done", title}));
    AppPortFrame &one = *c.appFrame(1);
    QTest::mouseClick(one.connectButton, Qt::LeftButton);
    QVERIFY(s.bridge().appPort(1).IsCreated());
    QCOMPARE(one.connectButton->text(), QStringLiteral("Disconnect"));
    QTest::mouseClick(one.connectButton, Qt::LeftButton);
    QCOMPARE(one.connectButton->text(), QStringLiteral("Connect"));
    s.bridge().togglePort(3);
    // A port still held: close asks; No keeps everything, unsaved.
    StationProgram program(s.bridge().appPort(3).DevicePath());
    QTRY_VERIFY(s.bridge().appPort(3).IsOpenedByApp());
    QTest::mouseClick(c.rig->connectButton, Qt::LeftButton);
    QCOMPARE(c.rig->connectButton->text(), QStringLiteral("Connect"));
    QVERIFY(c.rig->portName->isEnabled());
    QTRY_VERIFY(!s.bridge().rigPort().IsOpened());
    QFile::remove(path("config.ini"));
    s.messenger().answers = {false};
    QVERIFY(!s.window().close());
    QVERIFY(s.window().isVisible());
    QCOMPARE(s.messenger().shown.size(), 1);
    QCOMPARE(s.messenger().shown.first().text,
             QStringLiteral("Virtual Serial Port is still used by other application\r\n"
                            "Do you want to exit anyway ?"));
    QVERIFY(s.bridge().appPort(3).IsCreated() && !QFile::exists(path("config.ini")));
    // Yes: every port removed, the settings saved.
    QVERIFY(s.window().close());
    QVERIFY(!s.bridge().appPort(3).IsCreated());
    QCOMPARE(file("config.ini").count("\r\n"), 51);
}

void TestMainWindow::setupAndHelpMenus()
{
    WindowedStation &s = start();
    MainWindow &w = s.window();
    w.menuItem(QStringLiteral("mnuShow"))->trigger();
    QCOMPARE(w.frameGeometry().size(), QSize(900, 704)); // 13500 x 10560 twips
    QVERIFY(!w.menuItem(QStringLiteral("mnuHide"))->isChecked());
    QVERIFY(file("config.ini").contains("Setup=True"));
    w.menuItem(QStringLiteral("mnuHide"))->trigger();
    QCOMPARE(w.frameGeometry().size(), QSize(586, 413)); // 8800 x 6200 twips
    QVERIFY(file("config.ini").contains("Setup=False"));
    w.menuItem(QStringLiteral("mnuIndex"))->trigger();
    w.menuItem(QStringLiteral("mnuAbout"))->trigger();
    const QList<Message> &shown = s.messenger().shown;
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown[0].text.startsWith(QString(18, QLatin1Char(' ')) +
                                     QStringLiteral("Orvex \r\nManual online at ")));
    QVERIFY(shown[1].text.startsWith(QString(23, QLatin1Char(' ')) +
                                     QString::fromLatin1(kAppTitle) + QStringLiteral("\r\n")));
    // Exit closes the window and keeps its place.
    w.move(-200, 30);
    w.menuItem(QStringLiteral("mnuExit"))->trigger();
    QVERIFY(!w.isVisible());
    QVERIFY(file("config.ini").startsWith("Position-Left=0\r\nPosition-Top=450\r\n"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
