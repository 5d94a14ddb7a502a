#include "fake_ports.h"
#include "platform/clock.h"
#include "rig/rig_link.h"
#include "rig/virtual_rig.h"
#include "settings/station_settings.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

// The way every program reaches the rig, over a recording serial port: what is written, who
// gets each reply, and when the virtual rig may answer for the rig.
class TestRigAccess : public QObject {
    Q_OBJECT
private slots:
    void init();
    void settingPutsTheVirtualRigOutOfDateUntilReadBack();
    void waitingAskersShareOneRead();
    void aReadNeverSharesOneFromBeforeASetting();
    void repliesGoToTheirAskers();
    void everySettingIsSettledOnce_data();
    void everySettingIsSettledOnce();
    void keyedAtThePanelPutsTheStatusOutOfDate();
    void readThatNeverComesIsGivenUp();
    void pacedToTheLine();
    void repliesNeverFallFarBehind();
    void pokeGoesAsItIsThenReadBack();

private:
    QList<Source> askersOf(const QByteArray &reply);

    std::unique_ptr<FakeSerialPort> m_port;
    std::unique_ptr<VirtualRigState> m_rig;
    std::unique_ptr<RigLink> m_link;
    const StationSettings m_settings; // a K3
    ScaledClock m_clock{4};           // reply windows and the line pass four times faster
};

namespace {
const Source kPort1{Source::Kind::AppPort, 1};
const Source kPort2{Source::Kind::AppPort, 2};
const Source kClient{Source::Kind::Network, 4};
const Source kBridge{Source::Kind::Bridge, 0};
} // namespace

void TestRigAccess::init()
{
    m_port = std::make_unique<FakeSerialPort>();
    m_rig = std::make_unique<VirtualRigState>();
    m_link = std::make_unique<RigLink>(RigLink::Deps{*m_port, *m_rig, m_settings, m_clock});
    m_link->setLineSpeed(1'000'000); // the line never holds anything back, unless a test slows it
    m_rig->set(Entry::FA, "FA00014074000;");
    m_rig->set(Entry::IF, "IF00014074000     +000000 0002000001 ;");
    m_rig->set(Entry::ID, "ID017;");
}

QList<Source> TestRigAccess::askersOf(const QByteArray &reply)
{
    const RigLink::Routed routed = m_link->takeReply(reply);
    return routed.refused + routed.askers;
}

void TestRigAccess::settingPutsTheVirtualRigOutOfDateUntilReadBack()
{
    QCOMPARE(m_link->cachedReply("FA;"), QByteArray("FA00014074000;"));
    m_link->set(kPort1, "FA00007040000;");
    QCOMPARE(m_port->written.join(), QByteArray("FA00007040000;FA;")); // set, then read back
    QVERIFY(m_link->cachedReply("FA;").isEmpty());
    QVERIFY(m_link->cachedReply("IF;").isEmpty()); // the status line holds the frequency
    QCOMPARE(m_link->cachedReply("ID;"), QByteArray("ID017;"));
    // The front panel's report (auto-information) is stored but proves nothing of the setting.
    QCOMPARE(askersOf("FA00014074000;"), QList<Source>{kBridge}); // the read-back's, in fact
    QCOMPARE(m_link->cachedReply("FA;"), QByteArray("FA00014074000;"));
    QVERIFY(m_link->cachedReply("IF;").isEmpty()); // until the rig is asked for it

    // A read written before the setting does not bring it back.
    m_port->written.clear();
    m_link->poll("FA;");
    m_link->set(kPort1, "FA00007040000;");
    QCOMPARE(m_port->written.join(), QByteArray("FA;FA00007040000;FA;"));
    askersOf("FA00014074000;"); // the poll's reply, read before the setting
    QVERIFY(m_link->cachedReply("FA;").isEmpty());
    askersOf("FA00007040000;"); // the read-back's
    QCOMPARE(m_link->cachedReply("FA;"), QByteArray("FA00007040000;"));
}

void TestRigAccess::waitingAskersShareOneRead()
{
    m_link->set(kPort1, "MD3;");
    m_link->ask(kPort2, "MD;"); // written already: waits for that read's reply
    m_link->ask(kClient, "MD;");
    QCOMPARE(m_port->written.join(), QByteArray("MD3;MD;"));
    QCOMPARE(askersOf("MD3;"), (QList<Source>{kBridge, kPort2, kClient}));
    // The line busy: reads asked meanwhile wait in the queue and are written once.
    m_link->setLineSpeed(300);
    m_port->written.clear();
    m_link->ask(kPort1, "RVM;");
    m_link->ask(kPort2, "OM;");
    m_link->ask(kClient, "OM;");
    m_link->ask(kBridge, "OM;");
    QTRY_COMPARE(m_port->written.join(), QByteArray("RVM;OM;"));
    QCOMPARE(askersOf("RVM04.67;"), QList<Source>{kPort1});
    QCOMPARE(askersOf("OM AP-S--------;"), (QList<Source>{kPort2, kClient, kBridge}));
}

void TestRigAccess::aReadNeverSharesOneFromBeforeASetting()
{
    m_link->setLineSpeed(300); // the line busy: everything below waits in the queue
    m_link->ask(kClient, "RVM;");
    m_link->poll("FA;");
    m_link->set(kPort1, "FA00007040000;");
    m_link->ask(kPort2, "FA;"); // must read the frequency set, not the one before it
    QTRY_COMPARE(m_port->written.join(), QByteArray("RVM;FA;FA00007040000;FA;"));
    askersOf("RVM04.67;");
    QCOMPARE(askersOf("FA00014074000;"), QList<Source>{kBridge});
    QCOMPARE(askersOf("FA00007040000;"), (QList<Source>{kBridge, kPort2}));
}

void TestRigAccess::repliesGoToTheirAskers()
{
    QSignalSpy replied(m_link.get(), &RigAccess::replied);
    m_link->ask(kPort1, "K2;");
    m_link->poll("IF;FA;");
    m_link->ask(kClient, "FR;");
    const RigLink::Routed k2 = m_link->takeReply("K22;");
    QCOMPARE(k2.askers, QList<Source>{kPort1});
    QVERIFY(!k2.row);                            // no entry keeps it; it goes to its asker alone
    QCOMPARE(askersOf("TQ0;"), QList<Source>{}); // auto-information between the replies
    QCOMPARE(askersOf("IF00014074000     +000000 0002000001 ;"), QList<Source>{kBridge});
    QCOMPARE(askersOf("?;"), QList<Source>{kBridge}); // the rig refused the poll's FA
    QCOMPARE(askersOf("FR0;"), QList<Source>{kClient});
    QCOMPARE(replied.count(), 0); // telling them is the bridge's: it routes first
}

void TestRigAccess::everySettingIsSettledOnce_data()
{
    // The rig's answers after a port's FA setting and its read-back; what the setter is told.
    QTest::addColumn<QByteArrayList>("replies");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<SettingResult>("result");
    QTest::newRow("read back") << QByteArrayList{"FA00007040000;"} << true << SettingResult::Taken;
    QTest::newRow("refused") << QByteArrayList{"?;", "FA00014074000;"} << true
                             << SettingResult::Refused;
    QTest::newRow("no rig") << QByteArrayList{} << false << SettingResult::NoRig;
}

void TestRigAccess::everySettingIsSettledOnce()
{
    QFETCH(QByteArrayList, replies);
    QFETCH(bool, portOpen);
    QFETCH(SettingResult, result);
    QSignalSpy settled(m_link.get(), &RigAccess::settled);
    m_port->opened = portOpen;
    QCOMPARE(m_link->rigConnected(), portOpen);
    m_link->set(kClient, "FA00007040000;");
    for (const QByteArray &reply : std::as_const(replies))
        m_link->takeReply(reply);
    QTRY_COMPARE(settled.count(), 1);
    QCOMPARE(settled.first().at(0).value<Source>(), kClient);
    QCOMPARE(settled.first().at(1).toByteArray(), QByteArray("FA00007040000;"));
    QCOMPARE(settled.first().at(2).value<SettingResult>(), result);
    QTest::qWait(m_clock.realMs(int(RequestTracker::kErrorWindowMs)) + 100); // and never again
    QCOMPARE(settled.count(), 1);
    if (portOpen)
        return;
    // With no rig, a read is answered at once too, and nothing is written or waits.
    QSignalSpy unanswered(m_link.get(), &RigAccess::unanswered);
    m_link->ask(kClient, "FA;");
    QCOMPARE(unanswered.count(), 1);
    QCOMPARE(unanswered.first().at(0).value<Source>(), kClient);
    QVERIFY(m_port->written.isEmpty());
    QCOMPARE(m_link->queue().size(), 0);
}

void TestRigAccess::keyedAtThePanelPutsTheStatusOutOfDate()
{
    const QByteArray receive = "IF00014074000     +000000 0002000001 ;";
    const QByteArray transmit = "IF00014074000     +000000 0012000001 ;";
    m_link->takeReply("TQ0;");
    QCOMPARE(m_link->cachedReply("IF;"), receive);
    m_link->takeReply("TQ1;"); // the poll sees the radio transmit
    QVERIFY(m_link->cachedReply("IF;").isEmpty());
    m_link->ask(kPort1, "IF;");
    QCOMPARE(askersOf(transmit), QList<Source>{kPort1});
    QCOMPARE(m_link->cachedReply("IF;"), transmit);
    m_link->takeReply("TQ1;"); // no change: the status read stays current
    QCOMPARE(m_link->cachedReply("IF;"), transmit);
}

void TestRigAccess::readThatNeverComesIsGivenUp()
{
    QSignalSpy unanswered(m_link.get(), &RigAccess::unanswered);
    m_link->ask(kClient, "RVM;");
    QVERIFY(unanswered.wait(int(RequestTracker::kReplyWindowMs) * 10)); // far above need
    QCOMPARE(unanswered.first().at(1).toByteArray(), QByteArray("RVM;"));
    QVERIFY(askersOf("RVM04.67;").isEmpty()); // too late: nobody's any more
}

void TestRigAccess::pacedToTheLine()
{
    m_link->setLineSpeed(4800); // 2 ms a character: a poll of 45 characters takes about 90 ms
    const QByteArray poll = "IF;FA;FB;FR;FT;BG;BW;CW;DT;IC;IS;FI;PA;RA;TQ;";
    m_link->poll(poll);
    // What is handed over at once is what the line carries in a few tens of milliseconds; the
    // rest stays in the queue, where a newer setting can still take an older one's place.
    QVERIFY(m_port->written.join().size() < poll.size());
    QVERIFY(m_link->queue().size() > 0);
    QTRY_COMPARE(m_port->written.join(), poll);
    QCOMPARE(m_link->queueBound(), 4096); // a second of 4800 baud is less than the floor
    m_link->setLineSpeed(57600);
    QCOMPARE(m_link->queueBound(), 5760);
}

void TestRigAccess::repliesNeverFallFarBehind()
{
    // Twenty short reads whose replies are long: at 4800 baud each read takes 6 ms to write and
    // its reply 79 ms to come back. They are handed over no faster than the replies come, give or
    // take a third of the time an asker waits, so that no answer comes after its asker gave up.
    m_link->setLineSpeed(4800);
    const double replyMs = 38 * 10 * 1000.0 / 4800;
    QList<QByteArray> reads;
    for (char n = '0'; n <= '9'; ++n) {
        for (const char kind : {'X', 'Y'}) {
            const QByteArray mnemonic = QByteArray(1, kind) + n;
            m_link->takeReply(mnemonic + QByteArray(35, '0') + ';');
            reads << mnemonic + ';';
        }
    }
    const double start = m_clock.now();
    QElapsedTimer clock;
    clock.start();
    for (const QByteArray &read : std::as_const(reads))
        m_link->ask(kPort1, read);
    double worstAheadMs = 0;
    while (m_port->written.join().size() < reads.join().size() && clock.elapsed() < 10'000) {
        const double aheadMs =
            double(m_port->written.join().count(';')) * replyMs - (m_clock.now() - start);
        worstAheadMs = std::max(worstAheadMs, aheadMs);
        QTest::qWait(2);
    }
    QCOMPARE(m_port->written.join(), reads.join());
    QVERIFY2(worstAheadMs < RequestTracker::kReplyWindowMs / 3.0 + 2 * replyMs,
             qPrintable(QString::number(worstAheadMs)));
}

void TestRigAccess::pokeGoesAsItIsThenReadBack()
{
    const Source dbus{Source::Kind::Dbus, 0};
    m_link->ask(kPort1, "FA;"); // the same read waiting elsewhere is not shared with a poke
    m_port->written.clear();
    m_link->poke(dbus, "FA00007040000;FA;FA00007041000;MD3;TX");
    QCOMPARE(m_port->written.join(), QByteArray("FA00007040000;FA;FA00007041000;MD3;TXFA;MD;"));
}

QTEST_GUILESS_MAIN(TestRigAccess)
#include "tst_rig_access.moc"
