#include "fake_radios.h"
#include "net/rigctl_server.h"
#include "rig/request_tracker.h"
#include "rigctl_test_client.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(RigType)

// The server on a real loopback socket, backed by the fake rig of each family: what a client
// gets for each command, what reaches the rig, and how it holds up against bad clients.
class TestRigctlServer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void commands_data();
    void commands();
    void readsWaitForTheRigInOrder();
    void rigSilenceRefusalAndDeadline_data();
    void rigSilenceRefusalAndDeadline();
    void clientsAreServedSideBySide();
    void quitClosesAndCountsClients();
    void portTaken();
    void overlongAndBinaryInput_data();
    void overlongAndBinaryInput();
    void floodIsHeldBackNotLost();
    void clientThatNeverReads();
    void eachRadioOfAFamily_data();
    void eachRadioOfAFamily();
    void settingsAreAnsweredWhenSettled_data();
    void settingsAreAnsweredWhenSettled();
    void webPagesAreShutOut_data();
    void webPagesAreShutOut();
    void anIdleClientMakesRoom_data();
    void anIdleClientMakesRoom();

private:
    void startServer(RigType type);
    std::unique_ptr<RigctlTestClient> connectClient();

    std::unique_ptr<FakeRigAccess> m_rig;
    std::unique_ptr<RigctlServer> m_server;
    QStringList m_notes;
};

void TestRigctlServer::init()
{
    m_notes.clear();
}

void TestRigctlServer::cleanup()
{
    m_server.reset();
    m_rig.reset();
}

void TestRigctlServer::startServer(RigType type)
{
    m_server.reset();
    m_rig = std::make_unique<FakeRigAccess>(type);
    fake_radios::load(*m_rig);
    // Passband reads: Kenwood's DSP high and low cut, Yaesu's width index and narrow.
    m_rig->rig.insert({{"SH;", "SH05;"}, {"SL;", "SL00;"}, {"NA0;", "NA00;"}});
    m_rig->rig.insert({{"SH0;", "SH014;"}, {"ST;", "ST0;"}});
    m_server = std::make_unique<RigctlServer>(*m_rig);
    connect(m_server.get(), &RigctlServer::traffic, this,
            [this](int client, TrafficDirection direction, const QString &text) {
                if (direction == TrafficDirection::Note)
                    m_notes.append(QStringLiteral("%1: %2").arg(client).arg(text));
            });
    QVERIFY(m_server->listen(QHostAddress(QHostAddress::LocalHost), 0));
}

std::unique_ptr<RigctlTestClient> TestRigctlServer::connectClient()
{
    auto client = std::make_unique<RigctlTestClient>();
    if (!client->connectTo(m_server->port()))
        return nullptr;
    return client;
}

void TestRigctlServer::commands_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArrayList>("settings");
    const RigType k3 = RigType::K3, k2 = RigType::K2, kw = RigType::Kenwood, ya = RigType::Yaesu;
    auto row = [](const char *name, RigType t, const char *request, const char *answer,
                  QByteArrayList settings = {}) {
        QTest::newRow(name) << t << QByteArray(request) << QByteArray(answer) << settings;
    };
    // Frequencies: 11 digits on Elecraft and Kenwood, 9 on Yaesu; VFO B after V VFOB.
    row("K3 f", k3, "f\n", "14074000\n");
    row("K3 F", k3, "F 7040000\n", "RPRT 0\n", {"FA00007040000;"});
    row("K3 F decimals", k3, "F 7040000.000000\n", "RPRT 0\n", {"FA00007040000;"});
    row("K3 V VFOB then f F", k3, "V VFOB\nf\nF 3573000\nv\n", "RPRT 0\n7040000\nRPRT 0\nVFOB\n",
        {"FB00003573000;"});
    row("Yaesu f", ya, "f\n", "14074000\n");
    row("Yaesu F", ya, "F 7040000\n", "RPRT 0\n", {"FA007040000;"});
    row("Yaesu F too wide", ya, "F 1440000000\n", "RPRT -1\n");
    row("Kenwood F", kw, "F 50313000\n", "RPRT 0\n", {"FA00050313000;"});
    row("F not a number", k3, "F abc\n", "RPRT -1\n");
    row("F no argument", k3, "F\n", "RPRT -1\n");
    row("K3 i I", k3, "i\nI 7041000\n", "14074000\nRPRT 0\n", {"FB00007041000;"});
    // Modes, with the K3's data sub-modes and passband in BW (10 Hz units).
    row("K3 m", k3, "m\n", "USB\n2700\n");
    row("K3 M USB 2400", k3, "M USB 2400\n", "RPRT 0\n", {"MD2;", "BW0240;"});
    row("K3 M PKTUSB", k3, "M PKTUSB 0\n", "RPRT 0\n", {"MD6;", "DT0;", "BW0270;"});
    row("K3 M PKTLSB", k3, "M PKTLSB -1\n", "RPRT 0\n", {"MD6;", "DT1;"});
    row("K3 M RTTYR", k3, "M RTTYR\n", "RPRT 0\n", {"MD9;", "DT2;"});
    row("K3 M CWR 500", k3, "M CWR 500\n", "RPRT 0\n", {"MD7;", "BW0050;"});
    row("K3 M unknown mode", k3, "M WFM 0\n", "RPRT -1\n");
    row("K3 M passband not a number", k3, "M USB wide\n", "RPRT -1\n");
    row("K2 m", k2, "m\n", "USB\n500\n");
    row("K2 M RTTY", k2, "M RTTY 2400\n", "RPRT 0\n", {"MD6;", "FW2400;"});
    row("K2 has no FM", k2, "M FM 0\n", "RPRT -1\n");
    row("Kenwood m", kw, "m\n", "USB\n2400\n");
    row("Kenwood M RTTY", kw, "M RTTY -1\n", "RPRT 0\n", {"MD6;"});
    row("Yaesu m", ya, "m\n", "USB\n2400\n");
    row("Yaesu M PKTUSB", ya, "M PKTUSB 3000\n", "RPRT 0\n", {"MD0C;", "NA00;", "SH017;"});
    row("Yaesu M C4FM", ya, "M C4FM 0\n", "RPRT 0\n", {"MD0E;"});
    // PTT: TX;/RX; on Elecraft and Kenwood, TX1;/TX0; on Yaesu; read from TQ, IF, TX.
    row("K3 t", k3, "t\n", "0\n");
    row("K3 T 1", k3, "T 1\n", "RPRT 0\n", {"TX;"});
    row("K3 T 0", k3, "T 0\n", "RPRT 0\n", {"RX;"});
    row("K3 T data", k3, "T 3\n", "RPRT 0\n", {"TX;"});
    row("K3 T bad", k3, "T 5\n", "RPRT -1\n");
    row("Kenwood t", kw, "t\n", "0\n");
    row("Yaesu T 1", ya, "T 1\n", "RPRT 0\n", {"TX1;"});
    row("Yaesu T 0", ya, "T 0\n", "RPRT 0\n", {"TX0;"});
    // Split: FT0/FT1 on Elecraft and Kenwood, FT2/FT3 to set on Yaesu.
    row("K3 s", k3, "s\n", "0\nVFOA\n");
    row("K3 S 1 VFOB", k3, "S 1 VFOB\n", "RPRT 0\n", {"FT1;"});
    row("K3 S 0", k3, "S 0 VFOA\n", "RPRT 0\n", {"FT0;"});
    row("Yaesu S 1 VFOB", ya, "S 1 VFOB\n", "RPRT 0\n", {"FT3;"});
    row("Yaesu S 0", ya, "S 0 VFOA\n", "RPRT 0\n", {"FT2;"});
    row("S bad", k3, "S 2 VFOB\n", "RPRT -1\n");
    // RIT/XIT: the IF offset; K3 sets it with RO, Kenwood and Yaesu move from a cleared offset.
    row("K3 j z", k3, "j\nz\n", "50\n50\n");
    row("Yaesu j", ya, "j\n", "50\n");
    row("K3 J", k3, "J -120\n", "RPRT 0\n", {"RO-0120;"});
    row("K3 J 0", k3, "J 0\n", "RPRT 0\n", {"RC;"});
    row("Kenwood J", kw, "J 300\n", "RPRT 0\n", {"RC;", "RU00300;"});
    row("Yaesu Z", ya, "Z -40\n", "RPRT 0\n", {"RC;", "RD0040;"});
    row("K2 J not served", k2, "J 100\n", "RPRT -11\n");
    row("J beyond the rig", k3, "J 20000\n", "RPRT -1\n");
    // Functions and levels the virtual rig holds.
    row("u RIT XIT", k3, "u RIT\nu XIT\n", "1\n0\n");
    row("U RIT", kw, "U RIT 0\n", "RPRT 0\n", {"RT0;"});
    row("U XIT", ya, "U XIT 1\n", "RPRT 0\n", {"XT1;"});
    row("u unknown", k3, "u NB\n", "RPRT -11\n");
    row("K3 l STRENGTH", k3, "l STRENGTH\n", "0\n");
    row("K3 l RAWSTR", k3, "l RAWSTR\n", "6\n");
    row("Kenwood l STRENGTH", kw, "l STRENGTH\n", "0\n");
    row("Yaesu l STRENGTH", ya, "l STRENGTH\n", "0\n");
    row("K3 l CWPITCH", k3, "l CWPITCH\n", "600\n");
    row("Yaesu L CWPITCH", ya, "L CWPITCH 700\n", "RPRT 0\n", {"KP40;"});
    row("Kenwood l CWPITCH", kw, "l CWPITCH\n", "RPRT -11\n");
    row("l list", k3, "l ?\n", "STRENGTH RAWSTR CWPITCH \n");
    row("L AF", k3, "L AF 0.5\n", "RPRT -11\n");
    // Power: read from PS; switching off is not served.
    row("get_powerstat", k3, "\\get_powerstat\n", "1\n");
    row("set_powerstat 1", k3, "\\set_powerstat 1\n", "RPRT 0\n");
    row("set_powerstat 0", k3, "\\set_powerstat 0\n", "RPRT -11\n");
    // Several values at once, by long names, and the forms.
    row("get_vfo_info", k3, "\\get_vfo_info VFOB\n", "7040000\nUSB\n2700\n0\n0\n");
    row("get_vfo_info ;", kw, ";\\get_vfo_info VFOA\n",
        "get_vfo_info: VFOA;Freq: 14074000;Mode: USB;Width: 2400;Split: 0;SatMode: 0;RPRT 0\n");
    row("long names", k3, "\\get_freq\n\\set_freq 7000000\n", "14074000\nRPRT 0\n",
        {"FA00007000000;"});
    row("+f", k3, "+f\n", "get_freq:\nFrequency: 14074000\nRPRT 0\n");
    row(";f", k3, ";f\n", "get_freq:;Frequency: 14074000;RPRT 0\n");
    row("|m", k3, "|m\n", "get_mode:|Mode: USB|Passband: 2700|RPRT 0\n");
    row("+F", k3, "+F 7040000\n", "set_freq: 7040000\nRPRT 0\n", {"FA00007040000;"});
    row("+l", k3, "+l STRENGTH\n", "get_level: STRENGTH\n0\nRPRT 0\n");
    row(";u", k3, ";u RIT\n", "get_func: RIT;1\nRPRT 0\n");
    row(";get_powerstat", k3, ";\\get_powerstat\n", "get_powerstat:;Power Status: 1\nRPRT 0\n");
    row("+ error", k3, "+T 9\n", "set_ptt: 9\nRPRT -1\n");
    row("chk_vfo", k3, "\\chk_vfo\n", "0\n");
    row("+chk_vfo", k3, "+\\chk_vfo\n", "ChkVFO: 0\n");
    row(";chk_vfo", k3, ";\\chk_vfo\n", "ChkVFO: 0\n\n");
    row("lock mode", k3, "\\get_lock_mode\n\\set_lock_mode 1\nM LSB 0\n;\\get_lock_mode\n",
        "0\nRPRT 0\nRPRT 0\nRPRT 0\nget_lock_mode:;Locked: 1\nRPRT 0\n");
    row("set_vfo_opt 0", k3, "\\set_vfo_opt 0\n", "RPRT 0\n");
    row("set_vfo_opt 1", k3, "\\set_vfo_opt 1\n", "RPRT -11\n");
    // Several commands on a line, as rigctld reads its input as a stream; CR LF line ends.
    row("fmv", k3, "fmv\n", "14074000\nUSB\n2700\nVFOA\n");
    row("+ applies to one", k3, "+fv\n", "get_freq:\nFrequency: 14074000\nRPRT 0\nVFOA\n");
    row("CR LF", k3, "f\r\n", "14074000\n");
    row("comment", k3, "# a note\nf\n", "14074000\n");
    // Commands not served answer RPRT -11 and the connection stays.
    row("unknown short", k3, "K 7000000 USB 0\nf\n", "RPRT -11\n14074000\n");
    row("unknown long", k3, "\\send_morse CQ\n+\\halt\n", "RPRT -11\nRPRT -11\n");
    row("unknown letter", k3, "y\n", "RPRT -11\n");
}

void TestRigctlServer::commands()
{
    QFETCH(RigType, type);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArrayList, settings);
    startServer(type);
    // Half the reads come from the virtual rig, half from the rig: the answers are the same.
    for (const char *q : {"FA;", "MD;", "IF;", "FT;", "SM;", "MD0;"})
        m_rig->cached.insert(q);
    auto client = connectClient();
    QVERIFY(client);
    client->send(request);
    QTRY_COMPARE(client->received(), answer);
    QCOMPARE(m_rig->settings, settings);
    QVERIFY(client->socket.state() == QAbstractSocket::ConnectedState);
}

void TestRigctlServer::readsWaitForTheRigInOrder()
{
    // Each read the virtual rig does not hold waits for the rig, and the commands behind it
    // wait their turn: answers come in the order of the commands.
    startServer(RigType::K3);
    m_rig->delayMs = 30;
    m_rig->cached.insert("FT;");
    auto client = connectClient();
    QVERIFY(client);
    client->send("f\nv\ns\nm\nF 7040000\nf\n");
    QTRY_COMPARE(client->received(), QByteArray("14074000\nVFOA\n0\nVFOA\nUSB\n2700\nRPRT 0\n"
                                                "7040000\n"));
    QCOMPARE(m_rig->asks, (QByteArrayList{"FA;", "FR;", "MD;", "DT;", "BW;", "FA;"}));
    QCOMPARE(m_rig->settings, QByteArrayList{"FA00007040000;"});
}

void TestRigctlServer::rigSilenceRefusalAndDeadline_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("rig refuses") << int(FakeRigAccess::Answer::Refuse) << QByteArray("RPRT -9\n");
    QTest::newRow("bridge reports no reply")
        << int(FakeRigAccess::Answer::Unanswered) << QByteArray("RPRT -5\n");
    QTest::newRow("bridge says nothing")
        << int(FakeRigAccess::Answer::Silence) << QByteArray("RPRT -5\n");
}

void TestRigctlServer::rigSilenceRefusalAndDeadline()
{
    QFETCH(int, answer);
    QFETCH(QByteArray, expected);
    startServer(RigType::K3);
    m_server->setReadTimeout(300);
    m_rig->answers.insert("FA;", FakeRigAccess::Answer(answer));
    auto client = connectClient();
    QVERIFY(client);
    // The next command is served once the failed read is answered.
    client->send("f\nv\n");
    QTRY_COMPARE(client->received(), expected + "VFOA\n");
    if (FakeRigAccess::Answer(answer) == FakeRigAccess::Answer::Silence)
        QCOMPARE(m_rig->forgotten.value(Source{Source::Kind::Network, 1}), 1);
    // A later read of the same client is served normally.
    m_rig->answers.clear();
    client->send("f\n");
    QTRY_COMPARE(client->received(), expected + "VFOA\n14074000\n");
}

void TestRigctlServer::clientsAreServedSideBySide()
{
    // One client waits for a slow read; the other is served meanwhile, each its own answers.
    startServer(RigType::K3);
    m_rig->answers.insert("BW;", FakeRigAccess::Answer::Silence);
    m_server->setReadTimeout(2000);
    auto slow = connectClient();
    auto quick = connectClient();
    QVERIFY(slow && quick);
    QTRY_COMPARE(m_server->clientCount(), 2);
    slow->send("m\nf\n");
    QTRY_COMPARE(m_rig->asks.count("BW;"), 1);
    quick->send("V VFOB\nf\nv\n");
    QTRY_COMPARE(quick->received(), QByteArray("RPRT 0\n7040000\nVFOB\n"));
    QCOMPARE(slow->received(), QByteArray());
    m_rig->answers.clear();
    QTRY_COMPARE(slow->received(), QByteArray("RPRT -5\n14074000\n")); // its own VFO: A
}

void TestRigctlServer::quitClosesAndCountsClients()
{
    startServer(RigType::K3);
    QSignalSpy counts(m_server.get(), &RigctlServer::clientCountChanged);
    auto client = connectClient();
    QVERIFY(client);
    QTRY_COMPARE(m_server->clientCount(), 1);
    client->send("q\nf\n");
    QTRY_COMPARE(client->socket.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(client->received(), QByteArray("RPRT 0\n"));
    QTRY_COMPARE(m_server->clientCount(), 0);
    QCOMPARE(counts.size(), 2);
    QCOMPARE(counts.last().first().toInt(), 0);
}

void TestRigctlServer::portTaken()
{
    startServer(RigType::K3);
    FakeRigAccess rig(RigType::K3);
    RigctlServer second(rig);
    QStringList notes;
    connect(&second, &RigctlServer::traffic, this,
            [&notes](int, TrafficDirection, const QString &text) { notes.append(text); });
    QVERIFY(!second.listen(QHostAddress(QHostAddress::LocalHost), m_server->port()));
    QVERIFY(!second.isListening());
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.first().startsWith(
                 QStringLiteral("Cannot listen on 127.0.0.1 port %1: ").arg(m_server->port())),
             qPrintable(notes.first()));
    QVERIFY(notes.first().contains(QLatin1String("goes on without")));
    // The first server goes on serving.
    auto client = connectClient();
    QVERIFY(client);
    client->send("f\n");
    QTRY_COMPARE(client->received(), QByteArray("14074000\n"));
}

void TestRigctlServer::overlongAndBinaryInput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("note");
    QTest::newRow("10,000-character line")
        << QByteArray(10000, 'F') + "\nf\n"
        << QByteArray("RPRT -1\n14074000\n") << QStringLiteral("1: 10000 characters discarded");
    QTest::newRow("2,000 characters of arguments")
        << "F 7040000" + QByteArray(2000, ' ') + "\nf\n"
        << QByteArray("RPRT -1\n14074000\n") << QStringLiteral("1: 2009 characters discarded");
    QTest::newRow("a megabyte without a newline")
        << QByteArray(1024 * 1024, 'x') << QByteArray()
        << QStringLiteral("1: a line longer than 1024 characters: discarded up to its newline");
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary += char(i == '\n' ? 0 : i);
    QTest::newRow("binary") << binary + "\nf\n" << QByteArray("RPRT -11\n14074000\n") << QString();
    QTest::newRow("NUL before a command")
        << QByteArray("\0f\n", 3) << QByteArray("RPRT -11\n") << QString();
}

void TestRigctlServer::overlongAndBinaryInput()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, answer);
    QFETCH(QString, note);
    startServer(RigType::K3);
    auto bad = connectClient();
    auto good = connectClient();
    QVERIFY(bad && good);
    bad->send(input);
    good->send("f\n");
    QTRY_COMPARE(good->received(), QByteArray("14074000\n"));
    if (!note.isEmpty())
        QTRY_VERIFY2(m_notes.contains(note), qPrintable(m_notes.join(QLatin1Char('\n'))));
    QTRY_COMPARE(bad->received(), answer);
    QCOMPARE(bad->socket.state(), QAbstractSocket::ConnectedState);
    // The bad client is served again after a newline, which ends a line still too long.
    bad->take();
    bad->send("\nv\n");
    QTRY_COMPARE(bad->received(), QByteArray(input.endsWith('\n') ? "VFOA\n" : "RPRT -1\nVFOA\n"));
}

void TestRigctlServer::floodIsHeldBackNotLost()
{
    // Thousands of commands at once: every one is answered, in order, and a second client is
    // served in the meantime.
    startServer(RigType::K3);
    m_rig->cached.insert("FA;");
    auto flood = connectClient();
    auto other = connectClient();
    QVERIFY(flood && other);
    constexpr int kCount = 5000;
    QByteArray commands;
    for (int i = 0; i < kCount; ++i)
        commands += "f\n";
    flood->send(commands);
    other->send("v\n");
    QTRY_COMPARE(other->received(), QByteArray("VFOA\n"));
    QTRY_COMPARE_WITH_TIMEOUT(flood->received().count('\n'), kCount, 20000);
    QCOMPARE(flood->received(), QByteArray("14074000\n").repeated(kCount));
}

void TestRigctlServer::clientThatNeverReads()
{
    // A client that sends \dump_caps without end and never reads: the server stops answering
    // it, then stops reading it, and the bridge's memory stays put. Others are served.
    startServer(RigType::K3);
    auto silent = connectClient();
    auto other = connectClient();
    QVERIFY(silent && other);
    silent->socket.setReadBufferSize(1); // it reads nothing, its kernel buffer fills
    const QByteArray request = QByteArray("\\dump_caps\n").repeated(200);
    qint64 sent = 0;
    for (int i = 0; i < 200; ++i) {
        sent += silent->socket.write(request);
        QTest::qWait(5);
    }
    QVERIFY(sent > 0);
    QTRY_VERIFY(m_notes.contains(QStringLiteral("1: is not reading its answers: its commands "
                                                "wait")));
    other->send("f\n");
    QTRY_COMPARE(other->received(), QByteArray("14074000\n"));
    // What waits in the bridge for this client is bounded.
    const auto *client = m_server->findChild<RigctlClient *>();
    QVERIFY(client);
    const auto *socket = client->findChild<QTcpSocket *>();
    QVERIFY(socket);
    QVERIFY(socket->bytesToWrite() < RigctlClient::kMaxUnsent + 16 * 1024);
    QVERIFY(socket->bytesAvailable() <= 16 * 1024);
}

void TestRigctlServer::eachRadioOfAFamily_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("id"); // the rig's reply to ID;
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArrayList>("settings");
    auto row = [](const char *name, RigType t, const char *id, const char *request,
                  const char *answer, QByteArrayList settings = {}) {
        QTest::newRow(name) << t << QByteArray(id) << QByteArray(request) << QByteArray(answer)
                            << settings;
    };
    const RigType k3 = RigType::K3, k2 = RigType::K2, kw = RigType::Kenwood, ya = RigType::Yaesu;
    // Passbands as Hamlib's drivers set them: -1 keeps, 0 is the mode's normal, any other the
    // nearest the radio takes; m reads back what M set.
    row("K3 M USB 2404", k3, "ID017;", "M USB 2404\nm\n", "RPRT 0\nUSB\n2400\n",
        {"MD2;", "BW0240;"});
    row("K3 M CW 0", k3, "ID017;", "M CW 0\n", "RPRT 0\n", {"MD3;", "BW0100;"});
    row("K3 M USB -1", k3, "ID017;", "M USB -1\n", "RPRT 0\n", {"MD2;"});
    row("K2 M CW 500", k2, "ID017;", "M CW 500\nm\n", "RPRT 0\nCW\n500\n", {"MD3;", "FW0500;"});
    row("TS-2000 M CW 450", kw, "ID019;", "M CW 450\nm\n", "RPRT 0\nCW\n500\n",
        {"MD3;", "FW0500;"});
    row("TS-2000 M USB 2400", kw, "ID019;", "M USB 2400\nm\n", "RPRT 0\nUSB\n2400\n",
        {"MD2;", "SH05;"});
    row("TS-590SG M USB 2400", kw, "ID023;", "M USB 2400\n", "RPRT 0\n", {"MD2;", "SH07;"});
    row("TS-590SG M CW 250", kw, "ID023;", "M CW 250\n", "RPRT 0\n", {"MD3;", "FW0250;"});
    row("TS-480 M USB 520", kw, "ID020;", "M USB 520\nm\n", "RPRT 0\nUSB\n500\n",
        {"MD2;", "FW0001;"});
    row("TS-480 M AM 0", kw, "ID020;", "M AM 0\n", "RPRT 0\n", {"MD5;", "FW0000;"});
    row("FT-991A M USB 2400", ya, "ID0670;", "M USB 2400\nm\n", "RPRT 0\nUSB\n2400\n",
        {"MD02;", "NA00;", "SH014;"});
    row("FT-991A M CW 500", ya, "ID0670;", "M CW 500\nm\n", "RPRT 0\nCW\n500\n",
        {"MD03;", "NA01;", "SH010;"});
    row("FT-991A M USB 0", ya, "ID0670;", "M USB 0\nm\n", "RPRT 0\nUSB\n2400\n",
        {"MD02;", "NA00;", "SH000;"});
    row("FT-991A M FM 9000", ya, "ID0670;", "M FM 9000\nm\n", "RPRT 0\nFM\n16000\n", {"MD04;"});
    row("FT-891 M USB 2400", ya, "ID0650;", "M USB 2400\nm\n", "RPRT 0\nUSB\n2400\n",
        {"MD02;", "NA00;", "SH0114;"});
    row("FTDX101D M USB 2400", ya, "ID0681;", "M USB 2400\nm\n", "RPRT 0\nUSB\n2400\n",
        {"MD02;", "SH0014;"});
    row("FT-710 M PKTUSB 2900", ya, "ID0800;", "M PKTUSB 2900\n", "RPRT 0\n", {"MD0C;", "SH0018;"});
    // The split frequency with split off: VFO A's, or 0 where rigctld answers 0.
    row("K3 i", k3, "ID017;", "i\n", "14074000\n");
    row("K3 i in split", k3, "ID017;", "S 1 VFOB\ni\n", "RPRT 0\n7040000\n", {"FT1;"});
    row("FT-991A i", ya, "ID0670;", "i\n", "0\n");
    row("FTDX101D i", ya, "ID0681;", "i\n", "14074000\n");
    row("FT-991A i in split", ya, "ID0670;", "S 1 VFOB\ni\n", "RPRT 0\n7040000\n", {"FT3;"});
    // Split: the FT-891 and FTDX101D read and set their split switch, the FT-710 sets FT0/FT1.
    row("FT-891 s S", ya, "ID0650;", "s\nS 1 VFOB\ns\n", "0\nVFOA\nRPRT 0\n1\nVFOB\n", {"ST1;"});
    row("FTDX101D i in split", ya, "ID0681;", "S 1 VFOB\ni\n", "RPRT 0\n7040000\n", {"ST1;"});
    row("FT-710 S", ya, "ID0800;", "S 1 VFOB\nS 0 VFOA\n", "RPRT 0\nRPRT 0\n", {"FT1;", "FT0;"});
    // What rigctld says of the radio: its own model and PTT type.
    row("TS-590SG dump_state", kw, "ID023;", "\\chk_vfo\n\\dump_state\n",
        "ptt_type=0x5\nrig_model=2037");
    row("FTDX101D dump_state", ya, "ID0681;", "\\chk_vfo\n\\dump_state\n",
        "ptt_type=0x1\nrig_model=1040");
}

void TestRigctlServer::eachRadioOfAFamily()
{
    QFETCH(RigType, type);
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArrayList, settings);
    startServer(type);
    m_rig->rig.insert("ID;", id);
    m_rig->cached.insert("ID;");
    auto client = connectClient();
    QVERIFY(client);
    client->send(request);
    if (request.contains("dump_state")) {
        QTRY_VERIFY(client->received().endsWith("done\n"));
        const QByteArray dump = client->received();
        for (const QByteArray &line : answer.split('\n'))
            QVERIFY2(dump.contains('\n' + line + '\n'), line.constData());
        QVERIFY(dump.contains("\ntimeout=" + QByteArray::number(RequestTracker::kReplyWindowMs) +
                              '\n'));
        return;
    }
    QTRY_COMPARE(client->received(), answer);
    QCOMPARE(m_rig->settings, settings);
}

void TestRigctlServer::settingsAreAnsweredWhenSettled_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QByteArrayList>("refused");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArrayList>("settings");
    auto row = [](const char *name, const char *request, bool connected, QByteArrayList refused,
                  const char *answer, QByteArrayList settings) {
        QTest::newRow(name) << QByteArray(request) << connected << refused << QByteArray(answer)
                            << settings;
    };
    row("taken", "T 1\n", true, {}, "RPRT 0\n", {"TX;"});
    row("refused", "T 1\nv\n", true, {"TX;"}, "RPRT -9\nVFOA\n", {"TX;"});
    row("one of two refused", "M PKTLSB 2400\n", true, {"DT1;"}, "RPRT -9\n",
        {"MD6;", "DT1;", "BW0240;"});
    row("no rig: nothing is given", "T 1\nF 7040000\n", false, {}, "RPRT -6\nRPRT -6\n", {});
    row("no rig: a read it must answer", "f\n", false, {}, "RPRT -6\n", {});
    row("then a read, in order", "F 7040000\nf\n", true, {}, "RPRT 0\n7040000\n",
        {"FA00007040000;"});
}

void TestRigctlServer::settingsAreAnsweredWhenSettled()
{
    // The rig takes its time: a setting is answered once the rig has said what became of it.
    QFETCH(QByteArray, request);
    QFETCH(bool, connected);
    QFETCH(QByteArrayList, refused);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArrayList, settings);
    startServer(RigType::K3);
    m_rig->connected = connected;
    m_rig->refused = QSet<QByteArray>(refused.begin(), refused.end());
    m_rig->delayMs = 1000;
    auto client = connectClient();
    QVERIFY(client);
    client->send(request);
    if (!settings.isEmpty()) {
        QTRY_VERIFY(!m_rig->settings.isEmpty());
        QCOMPARE(client->received(), QByteArray()); // the rig has not said yet
    }
    QTRY_COMPARE(client->received(), answer);
    QCOMPARE(m_rig->settings, settings);
}

void TestRigctlServer::webPagesAreShutOut_data()
{
    QTest::addColumn<QByteArray>("input");
    // What a browser sends for fetch("http://127.0.0.1:4532", {method: "POST", mode:
    // "no-cors", body: "\nT 1\n"}).
    QTest::newRow("no-cors POST") << QByteArray(
        "POST / HTTP/1.1\r\nHost: 127.0.0.1:4532\r\nConnection: keep-alive\r\n"
        "Content-Length: 5\r\nContent-Type: text/plain;charset=UTF-8\r\n"
        "Origin: https://example.com\r\nUser-Agent: Mozilla/5.0 (X11; Linux "
        "x86_64)\r\nAccept: */*\r\nReferer: https://example.com/\r\n\r\n\nT 1\n");
    QTest::newRow("GET with a long address")
        << "GET /" + QByteArray(3000, 'a') + " HTTP/1.1\r\nHost: localhost\r\n\r\nT 1\n";
    QTest::newRow("OPTIONS") << QByteArray("OPTIONS * HTTP/1.1\r\nOrigin: http://x\r\n\r\nT 1\n");
    QTest::newRow("a header after commands") << QByteArray("v\nHost: 127.0.0.1\nT 1\n");
}

void TestRigctlServer::webPagesAreShutOut()
{
    QFETCH(QByteArray, input);
    startServer(RigType::K3);
    auto client = connectClient();
    QVERIFY(client);
    client->send(input);
    QTRY_COMPARE(client->socket.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(m_server->clientCount(), 0);
    QVERIFY(m_rig->settings.isEmpty());
    QCOMPARE(m_notes.filter(QLatin1String("HTTP")).size(), 1);
    QCOMPARE(m_notes.last(), m_notes.filter(QLatin1String("HTTP")).first());
}

void TestRigctlServer::anIdleClientMakesRoom_data()
{
    QTest::addColumn<bool>("allBusy");
    QTest::newRow("the one idle longest goes") << false;
    QTest::newRow("all busy: the newcomer is refused") << true;
}

void TestRigctlServer::anIdleClientMakesRoom()
{
    QFETCH(bool, allBusy);
    startServer(RigType::K3);
    m_server->setReadTimeout(60000);
    m_rig->answers.insert("BW;", FakeRigAccess::Answer::Silence);
    std::vector<std::unique_ptr<RigctlTestClient>> clients;
    for (int i = 0; i < RigctlServer::kMaxClients; ++i) {
        clients.push_back(connectClient());
        QVERIFY(clients.back());
        QTRY_COMPARE(m_server->clientCount(), i + 1);
    }
    // #2 leaves a line unfinished, every other client does something since; busy clients
    // wait for the rig.
    if (!allBusy) {
        auto byNumber = [this](int n) {
            for (RigctlClient *c : m_server->findChildren<RigctlClient *>()) {
                if (c->number() == n)
                    return c;
            }
            return static_cast<RigctlClient *>(nullptr);
        };
        clients[1]->send("v");
        QTRY_VERIFY(byNumber(2)->idleMs() < byNumber(1)->idleMs()); // the bridge has read it
    }
    for (std::size_t i = 0; i < clients.size(); ++i) {
        if (i != 1 || allBusy)
            clients[i]->send(allBusy ? "m\n" : "v\n");
    }
    QTRY_COMPARE(m_rig->asks.count("BW;"), allBusy ? RigctlServer::kMaxClients : 0);
    for (std::size_t i = 0; i < clients.size() && !allBusy; ++i)
        QTRY_COMPARE(clients[i]->received(), QByteArray(i == 1 ? "" : "VFOA\n"));
    auto newcomer = connectClient();
    QVERIFY(newcomer);
    if (allBusy) {
        QTRY_COMPARE(newcomer->socket.state(), QAbstractSocket::UnconnectedState);
        QVERIFY(m_notes.last().contains(QLatin1String("none is idle")));
        return;
    }
    QTRY_COMPARE(clients[1]->socket.state(), QAbstractSocket::UnconnectedState);
    QVERIFY2(m_notes.last().startsWith(QLatin1String("0: Closed client #2, idle for")),
             qPrintable(m_notes.last()));
    newcomer->send("f\n");
    QTRY_COMPARE(newcomer->received(), QByteArray("14074000\n"));
    QCOMPARE(m_server->clientCount(), RigctlServer::kMaxClients);
}

QTEST_GUILESS_MAIN(TestRigctlServer)
#include "tst_rigctl_server.moc"
