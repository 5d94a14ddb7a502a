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
    QCOMPARE(again->extraSettings().confirmedAddress(), QStringLiteral("0.0.0.0"));
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
