#include "appports/app_ports.h"
#include "bridge/bridge.h"
#include "controls/frames.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "rig/cat_framing.h"
#include "rig/rig_reply_handler.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "scripted_messenger.h"
#include "shell/form1.h"
#include "station_program.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

// The rig link with a simulated K3: application ports, reply routing, auto-information, polling.
class TestRigLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyEntryTheK3KeepsIsFilled();
    void autoInformationReachesOnlyHeldPorts();
    void unclaimedReplyGoesToPort1();
    void pollingFollowsTheTransmitState();
    void pollIntervalAppliesAtOnce();
    void removalRefusedWhileHeld();

private:
    void createPort(int n);
    QByteArray simReply(const QByteArray &query);

    QTemporaryDir m_runtime;
    ScriptedMessenger m_messenger;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<RigSimThread> m_sim;
};

void TestRigLink::initTestCase()
{
    usePrivateRuntimeDir(m_runtime);
    m_form = std::make_unique<Form1>(m_messenger);
    m_form->show();

    // Refused while the rig port is closed, with each port's own text.
    for (int n = 1; n <= 5; ++n) {
        m_form->controls().appFrame(n)->btnCreatePort->click();
        QCOMPARE(m_messenger.shown.size(), n);
        QCOMPARE(m_messenger.shown.last().title, QStringLiteral("Warning"));
        QCOMPARE(m_messenger.shown.last().text, n <= 2 ? QStringLiteral("Connect to rig first")
                                                       : QStringLiteral("Connect to K3 first"));
        QVERIFY(!m_form->bridge().appPort(n).IsCreated());
    }
    m_messenger.shown.clear();

    m_sim = std::make_unique<RigSimThread>(RigType::K3, 38400);
    const QString path = m_sim->start();
    QVERIFY2(!path.isEmpty(), qPrintable(m_sim->errorString()));
    m_form->controls().rig->ComboPort->setEditText(path);
    m_form->controls().rig->cbRigType->setCurrentIndex(0);
    m_form->controls().rig->btnOpen->click();
    QVERIFY(m_form->bridge().rigPort().IsOpened());
    QTRY_COMPARE(m_form->bridge().items().transmitIndicator(), QStringLiteral("Off"));
}

void TestRigLink::cleanupTestCase()
{
    m_form.reset();
    m_sim.reset();
}

void TestRigLink::createPort(int n)
{
    if (m_form->bridge().appPort(n).IsCreated())
        return;
    m_form->controls().appFrame(n)->btnCreatePort->click();
    QVERIFY(m_form->bridge().appPort(n).IsCreated());
    QCOMPARE(m_form->controls().appFrame(n)->btnCreatePort->text(), QStringLiteral("Disconnect"));
    QVERIFY(!m_form->controls().appFrame(n)->ComboVPort->isEnabled());
}

QByteArray TestRigLink::simReply(const QByteArray &query)
{
    QByteArray reply;
    m_sim->invoke([&](RigSimServer &s) { reply = s.model().feed(query).join(); });
    return reply;
}

void TestRigLink::everyEntryTheK3KeepsIsFilled()
{
    for (const EntryRow &row : kEntries) {
        const QByteArray query = queryOf(row.entry);
        if (row.entry == Entry::KP || row.entry == Entry::TX) {
            QVERIFY(m_form->bridge().rig().get(row.entry).isEmpty()); // a K3 keeps neither
            continue;
        }
        QTRY_COMPARE(m_form->bridge().rig().get(row.entry), simReply(query));
    }
}

void TestRigLink::autoInformationReachesOnlyHeldPorts()
{
    createPort(2);
    createPort(3);
    createPort(4);
    m_form->controls().appFrame(2)->chkAI2->setChecked(true);
    m_form->controls().appFrame(3)->chkAI1->setChecked(true);
    m_form->controls().appFrame(4)->chkAI2->setChecked(true); // nobody holds port 4
    StationProgram two(m_form->bridge().appPort(2).DevicePath());
    StationProgram three(m_form->bridge().appPort(3).DevicePath());
    QTRY_VERIFY(m_form->bridge().appPort(2).IsOpenedByApp() &&
                m_form->bridge().appPort(3).IsOpenedByApp());
    const int port4Lines = m_form->bridge().terminal(4).lineCount();

    // VFO A turned on the rig's panel: the K3 in AI2 reports it unasked.
    m_sim->invoke([](RigSimServer &s) { s.turnVfoA(14070000); });
    QTRY_VERIFY(two.received().contains("FA00014070000;"));
    QTRY_VERIFY(m_form->bridge().terminal(2).lines().contains("FA00014070000;"));
    // Port 3 gets the stored IF reply after IF (polling) and MD replies, never the FA reply.
    QTRY_VERIFY(three.received().contains(m_form->bridge().rig().get(Entry::IF)));
    QTRY_VERIFY(m_form->bridge().rig().get(Entry::IF).mid(2, 11) == "00014070000");
    QVERIFY(!three.received().contains("FA"));
    QVERIFY(!two.received().contains("IF"));
    QCOMPARE(m_form->bridge().terminal(4).lineCount(), port4Lines);

    m_form->controls().appFrame(2)->chkAI2->setChecked(false);
    m_form->controls().appFrame(3)->chkAI1->setChecked(false);
    m_form->controls().appFrame(4)->chkAI2->setChecked(false);
}

void TestRigLink::unclaimedReplyGoesToPort1()
{
    createPort(1);
    StationProgram one(m_form->bridge().appPort(1).DevicePath());
    QTRY_VERIFY(m_form->bridge().appPort(1).IsOpenedByApp());
    // Port 1 passes an unknown command to the rig; the K3's "?;" matches no routing row.
    one.write("ZZ;");
    QTRY_VERIFY(one.received().contains("?;"));
    QTRY_VERIFY(m_form->bridge().terminal(1).lines().contains("?;"));
    QVERIFY(m_form->bridge().terminal(0).lines().contains("?;"));
}

void TestRigLink::pollingFollowsTheTransmitState()
{
    QByteArray stream;
    auto c = connect(m_sim.get(), &RigSimThread::received, this,
                     [&](const QByteArray &chunk) { stream += chunk; });
    const QByteArray receive = "IF;FA;FB;FR;FT;BG;BW;CW;DT;IC;IS;FI;PA;RA;TQ;";
    QTRY_VERIFY_WITH_TIMEOUT(stream.count(receive) >= 3, 5000);

    m_sim->invoke([](RigSimServer &s) { s.setTransmit(true); });
    QTRY_COMPARE(m_form->bridge().items().transmitIndicator(), QStringLiteral("On"));
    stream.clear();
    QTRY_VERIFY_WITH_TIMEOUT(stream.count("BG;SM;TQ;") >= 3, 5000);
    QVERIFY(!stream.contains("IF;"));

    m_sim->invoke([](RigSimServer &s) { s.setTransmit(false); });
    QTRY_COMPARE(m_form->bridge().items().transmitIndicator(), QStringLiteral("Off"));
    stream.clear();
    QTRY_VERIFY_WITH_TIMEOUT(stream.count(receive) >= 2, 5000);
    disconnect(c);
}

void TestRigLink::pollIntervalAppliesAtOnce()
{
    QScrollBar *bar = m_form->controls().polling->VScrollPoll;
    bar->setValue(5000);
    QCOMPARE(m_form->controls().polling->txtPOLL->text(), QStringLiteral("5000"));
    QCOMPARE(m_form->bridge().timer1().interval(), 5000);
    QVERIFY(m_form->bridge().timer1().isActive());
    bar->setValue(100);
    QCOMPARE(m_form->controls().polling->txtPOLL->text(), QStringLiteral("100"));
    QCOMPARE(m_form->bridge().timer1().interval(), 100);
    bar->setValue(200);
}

void TestRigLink::removalRefusedWhileHeld()
{
    createPort(5);
    StationProgram five(m_form->bridge().appPort(5).DevicePath());
    QTRY_VERIFY(m_form->bridge().appPort(5).IsOpenedByApp());
    m_messenger.shown.clear();
    m_form->controls().appFrame(5)->btnCreatePort->click();
    QCOMPARE(m_messenger.shown.size(), 1);
    QCOMPARE(m_messenger.shown.first().title, QStringLiteral("Warning"));
    QCOMPARE(m_messenger.shown.first().text,
             QStringLiteral("Port cannot be deleted: the port is open."));
    QCOMPARE(m_form->controls().appFrame(5)->btnCreatePort->text(), QStringLiteral("Disconnect"));
    // The port keeps working.
    five.write("FA;");
    QTRY_VERIFY(five.received().startsWith("FA000"));
    five.close();
    m_form->controls().appFrame(5)->btnCreatePort->click();
    QVERIFY(!m_form->bridge().appPort(5).IsCreated());
    QCOMPARE(m_form->controls().appFrame(5)->btnCreatePort->text(), QStringLiteral("Connect"));
    QVERIFY(m_form->controls().appFrame(5)->ComboVPort->isEnabled());
}

QTEST_MAIN(TestRigLink)
#include "tst_rig_link.moc"
