#include "net/rigctl_server.h"
#include "rig/request_tracker.h"
#include "rigctl_test_client.h"

#include <QSignalSpy>
#include <QTest>

// The rigctld door on a real loopback socket, backed by the fake rig of each family: what a
// client gets for each command, what reaches the rig, and how it holds up against bad clients.
class TestRigctlServer : public DoorTest<RigctlServer> {
    Q_OBJECT
private slots:
    void cleanup() { reset(); }

    void commands_data()
    {
        QTest::addColumn<RigType>("type");
        QTest::addColumn<QByteArray>("id"); // the rig's reply to ID;, which tells its radio
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("settings");
        const RigType k3 = RigType::K3, k2 = RigType::K2, kw = RigType::Kenwood,
                      ya = RigType::Yaesu;
        auto row = [](const char *name, RigType t, const char *id, const char *request,
                      const QByteArray &answer, const char *settings = "") {
            QTest::newRow(name) << t << QByteArray(id) << QByteArray(request) << answer
                                << QByteArray(settings);
        };
        // Frequencies: 11 digits on Elecraft and Kenwood, 9 on Yaesu; VFO B after V VFOB.
        row("K3 frequency", k3, "", "f\nF 7040000.000000\nf\nF abc\nF\ni\nI 7041000\n",
            "14074000\nRPRT 0\n7040000\nRPRT -1\nRPRT -1\n7040000\nRPRT 0\n",
            "FA00007040000; FB00007041000;");
        row("K3 VFO B", k3, "", "V VFOB\nf\nF 3573000\nv\n", "RPRT 0\n7040000\nRPRT 0\nVFOB\n",
            "FB00003573000;");
        row("Yaesu frequency", ya, "", "f\nF 7040000\nF 1440000000\n",
            "14074000\nRPRT 0\nRPRT -1\n", "FA007040000;");
        // Modes, with the K3's data sub-modes and passband in BW (10 Hz units).
        row("K3 modes", k3, "", "m\nM PKTUSB 0\nM PKTLSB -1\nM RTTYR\nM WFM 0\nM USB wide\n",
            "USB\n2700\nRPRT 0\nRPRT 0\nRPRT 0\nRPRT -1\nRPRT -1\n",
            "MD6; DT0; BW0270; MD6; DT1; MD9; DT2;");
        row("K2", k2, "", "m\nM RTTY 2400\nM FM 0\nJ 100\n",
            "USB\n500\nRPRT 0\nRPRT -1\nRPRT -11\n", "MD6; FW2400;");
        row("Kenwood", kw, "",
            ";\\get_vfo_info VFOA\nm\nM RTTY -1\nt\nF 50313000\nJ 300\nU RIT 0\nl STRENGTH\n"
            "l CWPITCH\n",
            "get_vfo_info: VFOA;Freq: 14074000;Mode: USB;Width: 2400;Split: 0;SatMode: 0;RPRT 0\n"
            "USB\n2400\nRPRT 0\n0\nRPRT 0\nRPRT 0\nRPRT 0\n0\nRPRT -11\n",
            "MD6; FA00050313000; RC; RU00300; RT0;");
        row("Yaesu", ya, "",
            "m\nM PKTUSB 3000\nM C4FM 0\nT 1\nT 0\nS 1 VFOB\nS 0 VFOA\nj\nZ -40\nU XIT 1\n"
            "l STRENGTH\nL CWPITCH 700\n",
            "USB\n2400\nRPRT 0\nRPRT 0\nRPRT 0\nRPRT 0\nRPRT 0\nRPRT 0\n50\nRPRT 0\nRPRT "
            "0\n0\nRPRT "
            "0\n",
            "MD0C; NA00; SH017; MD0E; TX1; TX0; FT3; FT2; RC; RD0040; XT1; KP40;");
        row("K3 PTT", k3, "", "t\nT 1\nT 0\nT 3\nT 5\n", "0\nRPRT 0\nRPRT 0\nRPRT 0\nRPRT -1\n",
            "TX; RX; TX;");
        row("K3 split", k3, "", "s\nS 1 VFOB\nS 0 VFOA\nS 2 VFOB\n",
            "0\nVFOA\nRPRT 0\nRPRT 0\nRPRT -1\n", "FT1; FT0;");
        // RIT/XIT: the IF offset; K3 sets it with RO, Kenwood and Yaesu move from a cleared offset.
        row("K3 RIT", k3, "", "j\nz\nJ -120\nJ 0\nJ 20000\nu RIT\nu XIT\nu NB\n",
            "50\n50\nRPRT 0\nRPRT 0\nRPRT -1\n1\n0\nRPRT -11\n", "RO-0120; RC;");
        row("K3 levels and power", k3, "",
            "l STRENGTH\nl RAWSTR\nl CWPITCH\nl ?\nL AF 0.5\n\\get_powerstat\n\\set_powerstat 1\n"
            "\\set_powerstat 0\n\\get_vfo_info VFOB\n",
            "0\n6\n600\nSTRENGTH RAWSTR CWPITCH \nRPRT -11\n1\nRPRT 0\nRPRT -11\n"
            "7040000\nUSB\n2700\n0\n0\n");
        // Long names and the forms rigctld's dummy rig does not show (tst_rigctl_hamlib has those).
        row("K3 forms", k3, "",
            "\\get_freq\n;u RIT\n+T 9\n\\chk_vfo\n;\\chk_vfo\n\\set_vfo_opt 0\n\\set_vfo_opt 1\n"
            "\\set_freq 7000000\n",
            "14074000\nget_func: RIT;1\nRPRT 0\nset_ptt: 9\nRPRT -1\n0\nChkVFO: 0\n\nRPRT 0\n"
            "RPRT -11\nRPRT 0\n",
            "FA00007000000;");
        row("lock mode", k3, "", "\\get_lock_mode\n\\set_lock_mode 1\nM LSB 0\n;\\get_lock_mode\n",
            "0\nRPRT 0\nRPRT 0\nRPRT 0\nget_lock_mode:;Locked: 1\nRPRT 0\n");
        // Several commands on a line, as rigctld reads its input as a stream; CR LF; comments;
        // commands not served answer RPRT -11 and the connection stays.
        row("stream", k3, "",
            "fmv\n+fv\nf\r\n# a note\nK 7000000 USB 0\n\\send_morse CQ\n+\\halt\ny\nf\n",
            "14074000\nUSB\n2700\nVFOA\nget_freq:\nFrequency: 14074000\nRPRT 0\nVFOA\n14074000\n"
            "RPRT -11\nRPRT -11\nRPRT -11\nRPRT -11\n14074000\n");
        // Each radio of a family, told by its ID: passbands as Hamlib's drivers set them (-1 keeps,
        // 0 is the mode's normal, any other the nearest the radio takes), the split frequency with
        // split off (VFO A's, or 0 where rigctld answers 0), and its own split switch.
        row("K3 radio", k3, "ID017;", "M USB 2404\nm\nM CW 0\nM USB -1\ni\nS 1 VFOB\ni\n",
            "RPRT 0\nUSB\n2400\nRPRT 0\nRPRT 0\n14074000\nRPRT 0\n7040000\n",
            "MD2; BW0240; MD3; BW0100; MD2; FT1;");
        row("K2 radio", k2, "ID017;", "M CW 500\nm\n", "RPRT 0\nCW\n500\n", "MD3; FW0500;");
        row("TS-2000", kw, "ID019;", "M CW 450\nm\nM USB 2400\nm\n",
            "RPRT 0\nCW\n500\nRPRT 0\nUSB\n2400\n", "MD3; FW0500; MD2; SH05;");
        row("TS-590SG", kw, "ID023;", "M USB 2400\nM CW 250\n", "RPRT 0\nRPRT 0\n",
            "MD2; SH07; MD3; FW0250;");
        row("TS-480", kw, "ID020;", "M USB 520\nm\nM AM 0\n", "RPRT 0\nUSB\n500\nRPRT 0\n",
            "MD2; FW0001; MD5; FW0000;");
        row("FT-991A", ya, "ID0670;",
            "M USB 2400\nm\nM CW 500\nm\nM USB 0\nm\nM FM 9000\nm\ni\nS 1 VFOB\ni\n",
            "RPRT 0\nUSB\n2400\nRPRT 0\nCW\n500\nRPRT 0\nUSB\n2400\nRPRT 0\nFM\n16000\n0\nRPRT 0\n"
            "7040000\n",
            "MD02; NA00; SH014; MD03; NA01; SH010; MD02; NA00; SH000; MD04; FT3;");
        row("FT-891", ya, "ID0650;", "M USB 2400\ns\nS 1 VFOB\ns\n",
            "RPRT 0\n0\nVFOA\nRPRT 0\n1\nVFOB\n", "MD02; NA00; SH0114; ST1;");
        row("FTDX101D", ya, "ID0681;", "M USB 2400\nm\ni\nS 1 VFOB\ni\n",
            "RPRT 0\nUSB\n2400\n14074000\nRPRT 0\n7040000\n", "MD02; SH0014; ST1;");
        row("FT-710", ya, "ID0800;", "M PKTUSB 2900\nS 1 VFOB\nS 0 VFOA\n",
            "RPRT 0\nRPRT 0\nRPRT 0\n", "MD0C; SH0018; FT1; FT0;");
        // What rigctld says of the radio: its own model and PTT type, and how long a read may take.
        const QByteArray timeout =
            "\ntimeout=" + QByteArray::number(RequestTracker::kReplyWindowMs);
        row("TS-590SG dump_state", kw, "ID023;", "\\chk_vfo\n\\dump_state\n",
            "ptt_type=0x5\nrig_model=2037" + timeout);
    }

    void commands()
    {
        QFETCH(RigType, type);
        QFETCH(QByteArray, id);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, settings);
        start(type, id);
        RigctlTestClient &client = connectClient();
        client.send(request);
        if (request.contains("dump_state")) { // answer: lines the description holds
            QTRY_VERIFY(client.received().endsWith("done\n"));
            for (const QByteArray &line : answer.split('\n'))
                QVERIFY2(client.received().contains('\n' + line + '\n'), line.constData());
            return;
        }
        QTRY_COMPARE(client.received(), answer);
        QCOMPARE(m_rig->settings.join(' '), settings);
        QCOMPARE(client.socket.state(), QAbstractSocket::ConnectedState);
    }

    void readsWaitForTheRigInOrder()
    {
        // Each read the virtual rig does not hold waits for the rig, and the commands behind it
        // wait their turn: answers come in the order of the commands.
        start(RigType::K3);
        m_rig->delayMs = 30;
        m_rig->cached = {"FT;"};
        RigctlTestClient &client = connectClient();
        client.send("f\nv\ns\nm\nF 7040000\nf\n");
        QTRY_COMPARE(client.received(), "14074000\nVFOA\n0\nVFOA\nUSB\n2700\nRPRT 0\n7040000\n");
        QCOMPARE(m_rig->asks.join(' '), "FA; FR; MD; DT; BW; FA;");
        QCOMPARE(m_rig->settings, QByteArrayList{"FA00007040000;"});
    }

    // A read the rig refuses, leaves unanswered or the bridge never answers, and a setting
    // answered once the rig has said what became of it; then the client is served again.
    void rigTrouble_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("fa"); // how FA; is answered, FakeRigAccess::Answer; -1: no rig
        QTest::addColumn<QByteArray>("refused");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("settings");
        using A = FakeRigAccess::Answer;
        auto row = [](const char *name, const char *request, int fa, const char *refused,
                      const char *answer, const char *settings = "") {
            QTest::newRow(name) << QByteArray(request) << fa << QByteArray(refused)
                                << QByteArray(answer) << QByteArray(settings);
        };
        row("rig refuses", "f\nv\n", int(A::Refuse), "", "RPRT -9\nVFOA\n");
        row("no reply", "f\nv\n", int(A::Unanswered), "", "RPRT -5\nVFOA\n");
        row("bridge says nothing", "f\nv\n", int(A::Silence), "", "RPRT -5\nVFOA\n");
        row("taken, then a read", "F 7040000\nf\n", int(A::Reply), "", "RPRT 0\n7040000\n",
            "FA00007040000;");
        row("refused, one of two", "T 1\nM PKTLSB 2400\nv\n", int(A::Reply), "TX; DT1;",
            "RPRT -9\nRPRT -9\nVFOA\n", "TX; MD6; DT1; BW0240;");
        row("no rig", "T 1\nF 7040000\nf\n", -1, "", "RPRT -6\nRPRT -6\nRPRT -6\n");
    }

    void rigTrouble()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, fa);
        QFETCH(QByteArray, refused);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, settings);
        start(RigType::K3);
        if (fa == int(FakeRigAccess::Answer::Silence))
            m_server->setReadTimeout(300);
        m_rig->connected = fa >= 0;
        m_rig->cached.clear();
        m_rig->answers.insert("FA;", FakeRigAccess::Answer(std::max(fa, 0)));
        const QByteArrayList no = refused.split(' ');
        m_rig->refused = QSet<QByteArray>(no.begin(), no.end());
        m_rig->delayMs = answer.startsWith("RPRT 0") ? 500 : 0; // taken: only the rig can say so
        RigctlTestClient &client = connectClient();
        client.send(request);
        if (m_rig->delayMs > 0) {
            QTRY_VERIFY(!m_rig->settings.isEmpty());
            QCOMPARE(client.received(), QByteArray()); // the rig has not said yet
        }
        QTRY_COMPARE(client.received(), answer);
        QCOMPARE(m_rig->settings.join(' '), settings);
        QCOMPARE(m_rig->forgotten.value(Source{Source::Kind::Network, 1}),
                 fa == int(FakeRigAccess::Answer::Silence) ? 1 : 0);
        m_rig->answers.clear();
        m_rig->connected = true;
        m_rig->delayMs = 0;
        client.take();
        client.send("f\n");
        QTRY_COMPARE(client.received(), settings.startsWith("FA") ? "7040000\n" : "14074000\n");
    }

    void clientsAreServedSideBySide()
    {
        // One client waits for a slow read; the other is served meanwhile, each its own answers.
        start(RigType::K3);
        m_rig->answers.insert("BW;", FakeRigAccess::Answer::Silence);
        m_server->setReadTimeout(1000);
        RigctlTestClient &slow = connectClient();
        RigctlTestClient &quick = connectClient();
        QTRY_COMPARE(m_server->clientCount(), 2);
        slow.send("m\nf\n");
        QTRY_COMPARE(m_rig->asks.count("BW;"), 1);
        quick.send("V VFOB\nf\nv\n");
        QTRY_COMPARE(quick.received(), "RPRT 0\n7040000\nVFOB\n");
        QCOMPARE(slow.received(), QByteArray());
        QTRY_COMPARE(slow.received(), "RPRT -5\n14074000\n"); // its own VFO: A
    }

    void quitAndPortTaken()
    {
        start(RigType::K3);
        QSignalSpy counts(m_server.get(), &RigctlServer::clientCountChanged);
        RigctlTestClient &client = connectClient();
        QTRY_COMPARE(m_server->clientCount(), 1);
        client.send("q\nf\n");
        QTRY_COMPARE(client.socket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(client.received(), "RPRT 0\n");
        QTRY_COMPARE(m_server->clientCount(), 0);
        QCOMPARE(counts.size(), 2);
        // A second server on the same port says why it cannot listen; the first goes on serving.
        RigctlServer second(*m_rig);
        QSignalSpy notes(&second, &RigctlServer::traffic);
        QVERIFY(!second.listen(QHostAddress(QHostAddress::LocalHost), m_server->port()));
        QVERIFY(!second.isListening());
        QCOMPARE(notes.size(), 1);
        const QString note = notes.first().at(2).toString();
        QVERIFY2(
            note.startsWith(
                QStringLiteral("Cannot listen on 127.0.0.1 port %1: ").arg(m_server->port())) &&
                note.contains(QLatin1String("goes on without")),
            qPrintable(note));
        RigctlTestClient &next = connectClient();
        next.send("f\n");
        QTRY_COMPARE(next.received(), "14074000\n");
    }

    void badInput_data()
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
        QTest::newRow("binary") << binary + "\nf\n"
                                << QByteArray("RPRT -11\n14074000\n") << QString();
        QTest::newRow("NUL before a command")
            << QByteArray("\0f\n", 3) << QByteArray("RPRT -11\n") << QString();
    }

    void badInput()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, answer);
        QFETCH(QString, note);
        start(RigType::K3);
        RigctlTestClient &bad = connectClient();
        RigctlTestClient &good = connectClient();
        bad.send(input);
        good.send("f\n");
        QTRY_COMPARE(good.received(), "14074000\n");
        if (!note.isEmpty())
            QTRY_VERIFY2(m_notes.contains(note), qPrintable(m_notes.join(QLatin1Char('\n'))));
        QTRY_COMPARE(bad.received(), answer);
        QCOMPARE(bad.socket.state(), QAbstractSocket::ConnectedState);
        // The bad client is served again after a newline, which ends a line still too long.
        bad.take();
        bad.send("\nv\n");
        QTRY_COMPARE(bad.received(), input.endsWith('\n') ? "VFOA\n" : "RPRT -1\nVFOA\n");
    }

    void floodAndClientThatNeverReads()
    {
        // Thousands of commands at once are all answered, in order; a client that sends
        // \dump_caps without end and never reads is answered no more, then read no more, and the
        // memory the bridge keeps for it is bounded. Another client is served all along.
        start(RigType::K3);
        RigctlTestClient &flood = connectClient();
        RigctlTestClient &silent = connectClient();
        RigctlTestClient &other = connectClient();
        constexpr int kCount = 5000;
        flood.send(QByteArray("f\n").repeated(kCount));
        other.send("v\n");
        QTRY_COMPARE(other.received(), "VFOA\n");
        other.take();
        QTRY_COMPARE_WITH_TIMEOUT(flood.received().count('\n'), kCount, 20000);
        QCOMPARE(flood.received(), QByteArray("14074000\n").repeated(kCount));
        silent.socket.setReadBufferSize(1); // it reads nothing, its kernel buffer fills
        for (int i = 0; i < 200; ++i) {
            silent.socket.write(QByteArray("\\dump_caps\n").repeated(200));
            QTest::qWait(5);
        }
        QTRY_VERIFY(
            m_notes.contains(QStringLiteral("2: is not reading its answers: its commands wait")));
        other.send("f\n");
        QTRY_COMPARE(other.received(), "14074000\n");
        for (const auto *client : m_server->findChildren<RigctlClient *>()) {
            const auto *socket = client->findChild<QTcpSocket *>();
            QVERIFY(socket && socket->bytesToWrite() < RigctlClient::kMaxUnsent + 16 * 1024);
            QVERIFY(socket->bytesAvailable() <= 16 * 1024);
        }
    }

    void webPagesAreShutOut_data()
    {
        QTest::addColumn<QByteArray>("input");
        // What a browser sends for fetch("http://127.0.0.1:4532", {method: "POST", mode:
        // "no-cors", body: "\nT 1\n"}).
        QTest::newRow("no-cors POST")
            << QByteArray("POST / HTTP/1.1\r\nHost: 127.0.0.1:4532\r\nConnection: keep-alive\r\n"
                          "Content-Length: 5\r\nContent-Type: text/plain;charset=UTF-8\r\n"
                          "Origin: https://example.com\r\nUser-Agent: Mozilla/5.0 (X11; Linux "
                          "x86_64)\r\nAccept: */*\r\nReferer: https://example.com/\r\n\r\n\nT 1\n");
        QTest::newRow("GET with a long address")
            << "GET /" + QByteArray(3000, 'a') + " HTTP/1.1\r\nHost: localhost\r\n\r\nT 1\n";
        QTest::newRow("OPTIONS") << QByteArray(
            "OPTIONS * HTTP/1.1\r\nOrigin: http://x\r\n\r\nT 1\n");
        QTest::newRow("a header after commands") << QByteArray("v\nHost: 127.0.0.1\nT 1\n");
    }

    void webPagesAreShutOut()
    {
        QFETCH(QByteArray, input);
        start(RigType::K3);
        RigctlTestClient &client = connectClient();
        client.send(input);
        QTRY_COMPARE(client.socket.state(), QAbstractSocket::UnconnectedState);
        QTRY_COMPARE(m_server->clientCount(), 0);
        QVERIFY(m_rig->settings.isEmpty());
        QCOMPARE(m_notes.filter(QLatin1String("HTTP")).size(), 1);
        QCOMPARE(m_notes.last(), m_notes.filter(QLatin1String("HTTP")).first());
    }

    void anIdleClientMakesRoom_data()
    {
        QTest::addColumn<bool>("allBusy");
        QTest::newRow("the one idle longest goes") << false;
        QTest::newRow("all busy: the newcomer is refused") << true;
    }

    void anIdleClientMakesRoom()
    {
        QFETCH(bool, allBusy);
        start(RigType::K3);
        m_server->setReadTimeout(60000);
        m_rig->answers.insert("BW;", FakeRigAccess::Answer::Silence);
        for (int i = 0; i < RigctlServer::kMaxClients; ++i) {
            connectClient();
            QTRY_COMPARE(m_server->clientCount(), i + 1);
        }
        // #2 leaves a line unfinished, every other client does something since; busy clients
        // wait for the rig.
        if (!allBusy) {
            auto idle = [this](int n) {
                for (RigctlClient *c : m_server->findChildren<RigctlClient *>()) {
                    if (c->number() == n)
                        return c->idleMs();
                }
                return -1.0;
            };
            m_clients[1]->send("v");
            QTRY_VERIFY(idle(2) < idle(1)); // the bridge has read it
        }
        for (std::size_t i = 0; i < m_clients.size(); ++i) {
            if (i != 1 || allBusy)
                m_clients[i]->send(allBusy ? "m\n" : "v\n");
        }
        QTRY_COMPARE(m_rig->asks.count("BW;"), allBusy ? RigctlServer::kMaxClients : 0);
        for (std::size_t i = 0; i < m_clients.size() && !allBusy; ++i)
            QTRY_COMPARE(m_clients[i]->received(), QByteArray(i == 1 ? "" : "VFOA\n"));
        RigctlTestClient &newcomer = connectClient();
        if (allBusy) {
            QTRY_COMPARE(newcomer.socket.state(), QAbstractSocket::UnconnectedState);
            QVERIFY(m_notes.last().contains(QLatin1String("none is idle")));
            return;
        }
        QTRY_COMPARE(m_clients[1]->socket.state(), QAbstractSocket::UnconnectedState);
        QVERIFY2(m_notes.last().startsWith(QLatin1String("0: Closed client #2, idle for")),
                 qPrintable(m_notes.last()));
        newcomer.send("f\n");
        QTRY_COMPARE(newcomer.received(), "14074000\n");
        QCOMPARE(m_server->clientCount(), RigctlServer::kMaxClients);
    }
};

QTEST_GUILESS_MAIN(TestRigctlServer)
#include "tst_rigctl_server.moc"
