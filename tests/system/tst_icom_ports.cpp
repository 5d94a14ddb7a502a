// Station programs speaking CI-V on the bridge's ports to a simulated IC-7300: what each port
// answers from the virtual rig, passes to the radio or turns down (NG), the radio's reports to the
// ports that ask for them, and bad input on every port.

#include "appports/app_ports.h"
#include "appports/sdr_port.h"
#include "bridge/bridge.h"
#include "connected_bridge.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "rig/civ_framing.h"
#include "rig_sim_server.h"
#include "rig_sim_thread.h"
#include "station_program.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

class TestIcomPorts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void commands_data();
    void commands();
    void reportsReachTheAiPorts();
    void badInputIsBounded();
    void cleanupTestCase() { m_b.reset(); }

private:
    ConnectedBridge &b() { return *m_b; }
    bool transmitting();
    std::unique_ptr<ConnectedBridge> m_b;
};

bool TestIcomPorts::transmitting()
{
    bool on = false;
    b().sim().invoke([&](RigSimServer &s) { on = s.model().isTransmitting(); });
    return on;
}

void TestIcomPorts::initTestCase()
{
    m_b = std::make_unique<ConnectedBridge>(RigType::Icom);
    QVERIFY2(b().connectRig(), qPrintable(b().why()));
    b().bridge().setPollInterval(5000); // so that what a program sends stands out at the rig
    b().edit([](StationSettings &s) { setPortBox(s, 3, PortBox::AI2, 1); });
    // "CI-V USB Echo Back": the bridge reads each of its frames back, and takes none for a reply.
    b().sim().invoke([](RigSimServer &s) { s.model().setEcho(true); });
}

void TestIcomPorts::commands_data()
{
    QTest::addColumn<int>("port"); // 1 "Full", 2 "Freq/Mode"
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer"); // "sim": what the radio answers
    QTest::addColumn<QByteArray>("atRig");  // "": nothing reaches the radio, else all
    QTest::addColumn<int>("to");            // the address the program writes to
    const auto row = [](const char *name, int port, const char *sent, const char *answer,
                        const char *atRig, int to = 0x94) {
        QTest::newRow(name) << port << QByteArray(sent) << QByteArray(answer) << QByteArray(atRig)
                            << to;
    };
    row("frequency, from the virtual rig", 2, "03;", "sim", "");
    row("the filter's width, asked of the radio", 2, "1A03;", "sim", "1A03;");
    row("a read the radio refuses", 2, "07D2;", "?;", "07D2;");
    row("frequency set on Freq/Mode", 2, "050000040700;", "FB;", "050000040700;");
    row("PTT on Freq/Mode", 2, "1C0001;", "?;", "");
    row("split on Freq/Mode", 2, "0F01;", "?;", "");
    row("unknown command on Freq/Mode", 2, "3F;", "?;", "");
    row("PTT on Full", 1, "1C0001;1C0000;", "FB;FB;", "1C0001;1C0000;");
    row("unknown command on Full: the radio's NG", 1, "3F;", "?;", "3F;");
    row("a menu write", 1, "1A05007101;", "?;", "");
    row("a report's form", 1, "000000040700;", "?;", "");
    row("a frame to another radio", 1, "1C0001;", "", "", 0xA4);
}

void TestIcomPorts::commands()
{
    QFETCH(int, port);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, atRig);
    QFETCH(int, to);
    b().bridge().setPermission(port, port == 1 ? Permission::Full : Permission::FreqMode);
    StationProgram &p = b().program(port);
    QVERIFY(b().settle(port));
    p.take();
    b().clearAtRig();
    const QByteArray frames = CivLine(CivLine::End::Controller).frames(sent, quint8(to));
    // The radio's reply, less the echo of the read.
    const QByteArray expected =
        answer == "sim" ? b().simReply(frames).mid(frames.size()) : b().toProgram(answer);
    p.write(frames);
    QVERIFY(b().settle(port));
    QCOMPARE(p.take().toHex(' '), expected.toHex(' '));
    for (const QByteArray &command : CatFramer::split(sent))
        QCOMPARE(b().atRig().contains(b().toRig(command)), !atRig.isEmpty());
    QVERIFY(!transmitting());
    if (to != 0x94)
        QVERIFY(b().bridge().terminal(port).lines().contains("A frame to A4 dropped: the radio "
                                                             "here is 94"));
}

void TestIcomPorts::reportsReachTheAiPorts()
{
    // Port 3 has its AI2 box set, port 4 neither; the SDR program hears the radio too.
    StationProgram &ai = b().program(3), &plain = b().program(4), &sdr = b().program(7);
    QVERIFY(b().settle(3) && b().settle(4));
    ai.take(), plain.take(), sdr.take();
    b().sim().invoke([](RigSimServer &s) { s.turnVfoA(14'100'000); });
    const QByteArray report =
        civ::frame(civ::kBroadcast, 0x94, "\x00"_ba + civ::frequencyBytes(14'100'000));
    QTRY_VERIFY(ai.received().contains(report));
    QTRY_VERIFY(sdr.received().contains(report));
    QVERIFY(b().settle(4));
    QCOMPARE(plain.take(), QByteArray());
    // The virtual rig follows: the frequency read is answered with the new one at once.
    const QByteArray kept = civ::bodyOf(b().bridge().rig().get(Entry::CivFreq));
    QCOMPARE(civ::frequency(QByteArrayView(kept).sliced(1)), 14'100'000);
    QCOMPARE(b().bridge().items().text8(), QStringLiteral("FA00014100000;")); // as a K3's
    // With "CI-V Transceive" off, the bridge finds the change at its poll and reports it alike.
    b().bridge().setPollInterval(200);
    b().sim().invoke([](RigSimServer &s) {
        s.model().setTransceive(false);
        s.turnVfoA(14'200'000);
    });
    QTRY_VERIFY(ai.received().contains(
        civ::frame(civ::kBroadcast, 0x94, "\x00"_ba + civ::frequencyBytes(14'200'000))));
    // Keyed at the radio: the published transmit state follows the polled PTT.
    b().sim().invoke([](RigSimServer &s) { s.setTransmit(true); });
    QTRY_VERIFY(b().bridge().items().transmitting());
    b().sim().invoke([](RigSimServer &s) { s.setTransmit(false); });
    QTRY_VERIFY(!b().bridge().items().transmitting());
    b().sim().invoke([](RigSimServer &s) { s.model().setTransceive(true); });
    b().bridge().setPollInterval(5000);
    QVERIFY(b().settle(4));
    QCOMPARE(plain.take(), QByteArray());
}

void TestIcomPorts::badInputIsBounded()
{
    // Random bytes, a frame of 10 KiB without its end, frames between others on the bus: nothing
    // of them reaches the radio, nothing is held beyond a frame, and the port answers after.
    QRandomGenerator random(25);
    QByteArray noise(4096, '\0');
    random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    const QByteArrayList bad{noise, "\xFE\xFE\x94\xE0"_ba + QByteArray(10 * 1024, '\x03'),
                             civ::frame(0xA4, 0xE0, "\x1C\x00\x01"_ba),
                             civ::frame(0xE0, 0x94, "\x1C\x00\x01"_ba),
                             civ::frame(0x00, 0xE0, "\x1C\x00\x01"_ba)};
    for (int port : {1, 2, 3, 4, 5, 7}) {
        StationProgram &p = b().program(port);
        b().clearAtRig();
        for (const QByteArray &chunk : bad) {
            p.write(chunk);
            QTRY_COMPARE(p.unwritten(), 0);
            const qsizetype held = port == 7 ? b().bridge().sdr().pending().size()
                                             : b().bridge().appPorts().pending(port).size();
            QVERIFY(held <= CivFramer::kMaxFrame);
        }
        p.write(b().toRig("03;"));
        QTRY_VERIFY(p.received().endsWith(b().toProgram(b().bridge().rig().get(Entry::CivFreq))));
        p.take();
        // What reached the radio meanwhile is whole frames of the bridge's own.
        const CivFramer::Result atRig = CivFramer().feed(b().atRig());
        QCOMPARE(atRig.discarded, 0);
        for (const QByteArray &frame : atRig.frames)
            QVERIFY2(civ::to(frame) == 0x94 && civ::from(frame) == civ::kController &&
                         civ::body(frame) != QByteArrayView("\x1C\x00\x01", 3),
                     frame.toHex(' ').constData());
    }
    QVERIFY(!transmitting());
}

QTEST_MAIN(TestIcomPorts)
#include "tst_icom_ports.moc"
