// What this program keeps beyond config.ini (ovx2.ini: the ports' permissions, the network
// server), and the Network frame's listening.

#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "controls/frames.h"
#include "monitor/terminal_model.h"
#include "net/rigctl_server.h"
#include "private_runtime.h"
#include "scripted_messenger.h"
#include "shell/config_store.h"
#include "shell/extra_settings.h"
#include "shell/form1.h"
#include "test_data.h"
#include "tmpfs_mount.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

class TestExtraSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { usePrivateRuntimeDir(m_runtime); }
    void init();
    void permissionsAndNetworkComeBack();
    void brokenFileGivesTheDefaults();
    void textsReadBackAsTyped_data();
    void textsReadBackAsTyped();
    void fullDiskKeepsTheFileAndSaysSo();
    void listeningBeyondThisComputerIsConfirmedOnce();
    void portTakenOrAddressWrongIsSaid();

private:
    std::unique_ptr<Form1> window();
    QString configPath() const { return m_dir->filePath(QStringLiteral("config.ini")); }

    QTemporaryDir m_runtime;
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedMessenger m_messenger;
};

void TestExtraSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_messenger.shown.clear();
    m_messenger.answers.clear();
}

std::unique_ptr<Form1> TestExtraSettings::window()
{
    return std::make_unique<Form1>(m_messenger, configPath(), instantClock());
}

void TestExtraSettings::permissionsAndNetworkComeBack()
{
    {
        auto form = window();
        QCOMPARE(form->extraSettings().filePath(), m_dir->filePath(QStringLiteral("ovx2.ini")));
        const Controls &c = form->controls();
        QCOMPARE(c.appFrame(3)->cbPermission->currentText(), QStringLiteral("Freq/Mode"));
        QCOMPARE(c.appFrame(1)->cbPermission->currentText(), QStringLiteral("Full"));
        QVERIFY(!c.appFrame(1)->cbPermission->isEnabled());
        QVERIFY(c.network->chkListen->isChecked()); // on from the first start
        c.appFrame(3)->cbPermission->setCurrentIndex(1);
        c.network->txtPort->setText(QStringLiteral("4600"));
        emit c.network->txtPort->editingFinished();
        c.network->chkListen->setChecked(false);
    }
    QSettings file(m_dir->filePath(QStringLiteral("ovx2.ini")), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("AppPort3/Permission")).toString(), QStringLiteral("Full"));
    QCOMPARE(file.value(QStringLiteral("AppPort2/Permission")).toString(),
             QStringLiteral("FreqMode"));
    QCOMPARE(file.value(QStringLiteral("Network/Port")).toString(), QStringLiteral("4600"));

    auto again = window();
    const Controls &c = again->controls();
    QCOMPARE(c.appFrame(3)->cbPermission->currentText(), QStringLiteral("Full"));
    QCOMPARE(c.appFrame(2)->cbPermission->currentText(), QStringLiteral("Freq/Mode"));
    QCOMPARE(c.network->txtPort->text(), QStringLiteral("4600"));
    QVERIFY(!c.network->chkListen->isChecked());
    // config.ini is not touched by any of it.
    QVERIFY(!QFile::exists(configPath()));
    QVERIFY(again->config().SaveConfig());
    QFile config(configPath());
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll().count("\r\n"), 51);
}

void TestExtraSettings::brokenFileGivesTheDefaults()
{
    QFile broken(m_dir->filePath(QStringLiteral("ovx2.ini")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(noiseBytes(20000, 7));
    broken.close();
    auto form = window();
    const Controls &c = form->controls();
    for (int n = 2; n <= 5; ++n)
        QCOMPARE(c.appFrame(n)->cbPermission->currentIndex(), 0);
    QCOMPARE(c.network->txtAddress->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(c.network->txtPort->text(), QStringLiteral("4532"));
}

void TestExtraSettings::textsReadBackAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("an address") << QStringLiteral("192.168.1.20");
    QTest::newRow("list marks and equals") << QStringLiteral("a, b; c=d");
    QTest::newRow("blanks at either end") << QStringLiteral("  shack  ");
    QTest::newRow("quotes and backslashes") << QStringLiteral("say \"hi\" C:\\ham");
    QTest::newRow("a leading @") << QStringLiteral("@ByteArray(73)");
    QTest::newRow("control characters, a hex digit after one") << QStringLiteral("tab\there\x01"
                                                                                 "a\n\x7f");
    QTest::newRow("beyond ASCII") << QStringLiteral("Grüße 73 ✓ \U0001D11E");
    QTest::newRow("empty") << QString();
}

void TestExtraSettings::textsReadBackAsTyped()
{
    QFETCH(QString, typed);
    QFile file(m_dir->filePath(QStringLiteral("ovx2.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Later]\nThing=\"kept, as it was\"\n"); // a setting of a later version
    file.close();
    {
        auto form = window();
        form->controls().network->txtAddress->setText(typed);
        emit form->controls().network->txtAddress->editingFinished();
    }
    QSettings read(file.fileName(), QSettings::IniFormat);
    QCOMPARE(read.value(QStringLiteral("Network/Address")), QVariant(typed));
    QCOMPARE(read.value(QStringLiteral("Later/Thing")),
             QVariant(QStringLiteral("kept, as it was")));
    QCOMPARE(window()->controls().network->txtAddress->text(), typed);
}

void TestExtraSettings::fullDiskKeepsTheFileAndSaysSo()
{
    TmpfsMount disk(m_dir->filePath(QStringLiteral("disk")), 64 * 1024);
    if (disk.notPermitted())
        QSKIP("mounting a small disk is not permitted to this user (CI runs as root)");
    QVERIFY2(disk.isMounted(), qPrintable(disk.error()));
    auto form = std::make_unique<Form1>(m_messenger, disk.path() + QStringLiteral("/config.ini"),
                                        instantClock());
    const Controls &c = form->controls();
    c.appFrame(3)->cbPermission->setCurrentIndex(1);
    QFile file(form->extraSettings().filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray full = file.readAll();
    file.close();
    QVERIFY(full.contains("[AppPort3]\nPermission=Full\n"));

    // Port 3 narrowed on a full disk: the file stays whole, and the user learns what it means.
    QVERIFY(disk.fill());
    c.appFrame(3)->cbPermission->setCurrentIndex(0);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), full);
    file.close();
    QCOMPARE(m_messenger.shown.size(), 1);
    const QString text = m_messenger.shown.first().text;
    for (const QString &part :
         {file.fileName(), QStringLiteral("No space left on device"),
          QStringLiteral("Port 3 is \"Freq/Mode\" until OVX2 closes; at the next start it is "
                         "\"Full\" again.")})
        QVERIFY2(text.contains(part), qPrintable(text));
    QVERIFY(form->bridge().terminal(0).lines().last().startsWith(
        "Settings not saved to " + QFile::encodeName(file.fileName())));

    // With room again, the next change saves everything.
    disk.makeRoom();
    c.network->chkListen->setChecked(false);
    QSettings read(file.fileName(), QSettings::IniFormat);
    QCOMPARE(read.value(QStringLiteral("AppPort3/Permission")).toString(), "FreqMode");
}

void TestExtraSettings::listeningBeyondThisComputerIsConfirmedOnce()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    auto form = window();
    NetworkFrame &net = *form->controls().network;
    net.txtAddress->setText(QStringLiteral("0.0.0.0"));
    net.txtPort->setText(port);
    m_messenger.answers = {false};
    net.btnListen->click();
    QCOMPARE(m_messenger.shown.size(), 1);
    QVERIFY(m_messenger.shown.first().text.contains(QStringLiteral("key its transmitter")));
    QVERIFY(!form->bridge().server().isListening());

    net.btnListen->click(); // Yes this time
    QCOMPARE(m_messenger.shown.size(), 2);
    QVERIFY(form->bridge().server().isListening());
    QCOMPARE(net.btnListen->text(), QStringLiteral("Disconnect"));
    QVERIFY(form->bridge().networkTerminal().lines().contains(
        "Listening beyond this computer: anyone on that network can key the transmitter"));
    net.btnListen->click();
    QVERIFY(!form->bridge().server().isListening());
    QCOMPARE(net.btnListen->text(), QStringLiteral("Connect"));
    net.btnListen->click(); // asked once: not again
    QCOMPARE(m_messenger.shown.size(), 2);
    QVERIFY(form->bridge().server().isListening());
    form.reset();

    auto again = window(); // and not at the next start either
    QCOMPARE(again->extraSettings().confirmedAddress(ExtraSettings::Door::Rigctl),
             QStringLiteral("0.0.0.0"));
}

void TestExtraSettings::portTakenOrAddressWrongIsSaid()
{
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost));
    auto form = window();
    NetworkFrame &net = *form->controls().network;
    net.txtPort->setText(QString::number(taken.serverPort()));
    net.btnListen->click();
    QVERIFY(!form->bridge().server().isListening());
    QCOMPARE(net.btnListen->text(), QStringLiteral("Connect"));
    QVERIFY(form->bridge().networkTerminal().lines().last().contains("Cannot listen"));

    net.txtAddress->setText(QStringLiteral("the shack"));
    net.btnListen->click();
    QVERIFY(!form->bridge().server().isListening());
    QVERIFY(form->bridge().networkTerminal().lines().last().startsWith("Not listening"));
    QVERIFY(m_messenger.shown.isEmpty()); // said in the terminal, no box
}

QTEST_MAIN(TestExtraSettings)
#include "tst_extra_settings.moc"
