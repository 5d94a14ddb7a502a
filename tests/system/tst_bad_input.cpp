#include "appports/app_ports.h"
#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/pty_device.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "private_runtime.h"
#include "rig/cat_framing.h"
#include "rig/rig_reply_handler.h"
#include "scripted_messenger.h"
#include "station_program.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// Garbage from the rig or from a station program: the bridge stays responsive and bounded.
class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void rigSendingAMegabyteWithoutTerminator();
    void programSendingAMegabyteWithoutTerminator();

private:
    static long residentKiB();

    QTemporaryDir m_runtime;
    ScriptedMessenger m_messenger;
    std::unique_ptr<Bridge> m_bridge;
    std::unique_ptr<PtyDevice> m_rig;
};

long TestBadInput::residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

void TestBadInput::initTestCase()
{
    usePrivateRuntimeDir(m_runtime);
    m_bridge = std::make_unique<Bridge>(StationSettings(), m_messenger, testClock());
    // A rig that talks nonsense: the rig port opened on a pseudo-terminal the test drives.
    m_rig = std::make_unique<PtyDevice>();
    QVERIFY(m_rig->open());
    QVERIFY(m_bridge->rigPort().Open(m_rig->slavePath()));
    QTRY_VERIFY(m_rig->peerHolds());
    m_bridge->togglePort(1);
    QVERIFY(m_bridge->appPort(1).IsCreated());
}

void TestBadInput::cleanupTestCase()
{
    m_bridge.reset();
    m_rig.reset();
}

void TestBadInput::rigSendingAMegabyteWithoutTerminator()
{
    const long before = residentKiB();
    const QByteArray chunk(16 * 1024, 'x');
    QSignalSpy reads(&m_bridge->rigPort(), &SerialPort::DataReceived);
    for (int i = 0; i < 64; ++i) {
        m_rig->write(chunk); // a piece at a time, as a rig would deliver it
        QVERIFY(reads.wait());
        QVERIFY(m_bridge->rigReplies().pending().size() <= CatFramer::kMaxCommand);
    }
    QTRY_VERIFY(m_bridge->terminal(0).lines().last().contains("discarded"));
    // Still answering: the text up to the next ';' goes with the garbage, the reply after it is
    // stored.
    m_rig->write("FA00014050000;FA00014060000;");
    QTRY_COMPARE(m_bridge->rig().get(Entry::FA), QByteArray("FA00014060000;"));
    QVERIFY(!m_bridge->terminal(0).lines().contains("FA00014050000;"));
    // The receive buffer is the bound that matters; this only catches growth of the order of
    // the input many times over.
    const long grown = residentKiB() - before;
    qInfo("resident memory grew by %ld KiB for 1 MiB of garbage", grown);
    QVERIFY2(grown < 64 * 1024, qPrintable(QString::number(grown)));
}

void TestBadInput::programSendingAMegabyteWithoutTerminator()
{
    StationProgram program(m_bridge->appPort(1).DevicePath());
    QTRY_VERIFY(m_bridge->appPort(1).IsOpenedByApp());
    QByteArray atRig;
    connect(m_rig.get(), &PtyDevice::readyRead, this, [&] { atRig += m_rig->readAll(); });
    const QByteArray chunk(16 * 1024, 'y');
    for (int i = 0; i < 64; ++i) {
        program.write(chunk);
        QTRY_COMPARE(program.unwritten(), 0);
        QVERIFY(m_bridge->appPorts().pending(1).size() <= CatFramer::kMaxCommand);
    }
    QTRY_VERIFY(m_bridge->terminal(1).lines().last().contains("discarded"));
    QVERIFY(atRig.size() < 1024); // the garbage was not passed on
    program.write("FA;FA;");
    QTRY_COMPARE(program.received(), QByteArray("FA00014060000;"));
}

QTEST_MAIN(TestBadInput)
#include "tst_bad_input.moc"
