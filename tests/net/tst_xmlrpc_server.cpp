#include "net/xmlrpc_connection.h"
#include "net/xmlrpc_server.h"
#include "xmlrpc_test_client.h"

#include <QTest>

#include <unistd.h>

using namespace xmlrpc_test;

// The XML-RPC door on a real loopback socket, backed by the fake rig of each family: the answer
// to each flrig method byte for byte (strings bare where flrig writes strings, i4 where ints),
// what reaches the rig, what is refused, and how the door holds up against bad clients.
class TestXmlRpcServer : public DoorTest<XmlRpcServer, Client> {
    Q_OBJECT
private slots:
    void cleanup() { reset(); }

    void methods_data()
    {
        // Calls as "method param param", separated by |, and their answers: the XML inside <value>,
        // or "~" and text the answer holds.
        QTest::addColumn<RigType>("type");
        QTest::addColumn<QByteArray>("id"); // the rig's reply to ID;, which tells its radio
        QTest::addColumn<bool>("full");
        QTest::addColumn<QByteArray>("calls");
        QTest::addColumn<QByteArray>("answers");
        QTest::addColumn<QByteArray>("settings");
        auto row = [](const char *name, RigType type, const QByteArray &calls,
                      const QByteArray &answers, const char *settings = "", const char *id = "",
                      bool full = true) {
            QTest::newRow(name) << type << QByteArray(id) << full << calls << answers
                                << QByteArray(settings);
        };
        const RigType k3 = RigType::K3, k2 = RigType::K2, kw = RigType::Kenwood,
                      ya = RigType::Yaesu;
        // Each family's reads, and its data mode set by flrig's name for it.
        const QByteArray reads = "rig.get_xcvr|rig.get_vfoA|rig.get_vfoB|rig.get_mode|rig.get_ptt|"
                                 "rig.get_split|rig.get_smeter|rig.get_bw|rig.set_mode ",
                         same =
                             "|14074000|7040000|USB|<i4>0</i4>|<i4>0</i4>|50|<array><data><value>";
        const char *bwEnd = "</value><value></value></data></array>|<i4>1</i4>";
        row("K3", k3, reads + "DATA", "K3" + same + "2700" + bwEnd, "MD6;");
        row("FT-991", ya, reads + "DATA-U", "FT-991A" + same + "2400" + bwEnd, "MD0C;");
        row("TS-2000", kw, reads + "FSK", "TS-2000" + same + "2400" + bwEnd, "MD6;");
        row("K2", k2, reads + "RTTY-R", "K2" + same + "500" + bwEnd, "MD9;");
        row("client's VFO", k3,
            "rig.get_AB|rig.set_AB B|rig.get_AB|rig.get_vfo|rig.set_vfo <i4>3573000</i4>|"
            "rig.set_frequency <double>3574000</double>|rig.get_vfoA",
            "A||B|7040000||<i4>1</i4>|14074000", "FB00003573000; FB00003574000;");
        row("K3 modes", k3, "rig.get_modes",
            "<array><data><value>LSB</value><value>USB</value><value>CW</value><value>FM</value>"
            "<value>AM</value><value>DATA</value><value>CW-R</value><value>DATA-R</value>"
            "</data></array>");
        row("FT-991 modes", ya, "rig.get_modes|rig.set_mode CW-L",
            "~<value>CW-U</value>|<i4>1</i4>", "MD07;");
        row("K3 passbands", k3,
            "rig.get_bws|rig.set_bw <i4>1</i4>|rig.set_bw <i4>3</i4>|rig.set_bwA <i4>2400</i4>",
            "<array><data><value><array><data><value>Bandwidth</value><value>2700</"
            "value><value>1800"
            "</value><value>2800</value></data></array></value></data></array>||fault: rig.set_bw: "
            "3 "
            "is no place in rig.get_bws's table (0 to 2)|",
            "BW0180; BW0240;");
        // The TS-2000 sets SSB's passband by its high cut, and none in FM.
        row("TS-2000 passbands", kw,
            "rig.get_bws|rig.set_bw <i4>0</i4>|rig.set_mode FM|rig.get_bws|"
            "rig.set_bandwidth <i4>2000</i4>",
            "~<value>Bandwidth</value><value>1400</value><value>1600</value>||<i4>1</i4>|"
            "~<value>Bandwidth</value><value>NONE</value>|fault: rig.set_bandwidth: the TS-2000 "
            "does "
            "not set its passband in this mode over CAT",
            "SH00; MD4;");
        row("power and info", k3,
            "rig.get_power|rig.set_power <i4>25</i4>|rig.get_pwrmeter|rig.get_info",
            "<i4>50</i4>||0|R:K3\nT:R\nFA:14074000\nM:USB\nL:2700\nU:\n", "PC025;");
        row("CAT text", k3,
            "rig.cat_string FA;|rig.cat_string FA00007040000;FA;|rig.cat_string AI2;|"
            "rig.cat_string FA;x",
            "FA00014074000;|FA00007040000;|fault: rig.cat_string: AI2; would change what every "
            "program sees: not passed|~takes CAT commands",
            "FA00007040000;");
        row("introspection", k3,
            "system.listMethods|system.methodHelp rig.get_vfoB|main.get_version",
            "~<value>rig.set_vfoB</value><value>system.listMethods</value>|returns VFO B, in "
            "Hz|1.4.7");
        row("faults", k3,
            "rig.get_pwrmeter_scale|rig.set_vfo 7040000|rig.set_vfo|rig.set_AB C|rig.set_mode "
            "PKTUSB|"
            "rig.set_ptt <i4>5</i4>|rig.set_vfo <double>-5</double>",
            "fault: rig.get_pwrmeter_scale: unknown method name|fault: rig.set_vfo: takes a "
            "double, "
            "not a string|fault: rig.set_vfo: takes one parameter, a double|fault: rig.set_AB: "
            "takes "
            "\"A\" or \"B\", not \"C\"|fault: rig.set_mode: the K3 has no mode \"PKTUSB\"; "
            "rig.get_modes lists its modes|fault: rig.set_ptt: takes 1 (transmit) or 0 (receive), "
            "not 5|fault: rig.set_vfo: -5 Hz is no frequency for the K3");
        // Radios of a family told apart by their ID: their own split switch, their own passbands.
        row("FTDX101D", ya, "rig.get_xcvr|rig.get_split|rig.set_split <i4>1</i4>",
            "FTDX101D|<i4>0</i4>|", "ST1;", "ID0681;");
        row("TS-590SG", kw, "rig.get_xcvr|rig.set_bwA <i4>2400</i4>", "TS-590SG|", "SH07;",
            "ID023;");
        // Under "Freq/Mode" only frequency, mode and the client's own VFO choice pass.
        const QByteArray refused = "~refused: the XML-RPC door has \"Freq/Mode\" permission|";
        row("Freq/Mode", k3,
            "rig.set_ptt <i4>1</i4>|rig.cat_string TX;|rig.set_split <i4>1</i4>|"
            "rig.set_power <i4>5</i4>|rig.set_vfo <double>7040000</double>|rig.set_mode LSB",
            refused.repeated(4) + "|<i4>1</i4>", "FA00007040000; MD1;", "", false);
    }

    void methods()
    {
        QFETCH(RigType, type);
        QFETCH(QByteArray, id);
        QFETCH(bool, full);
        QFETCH(QByteArray, calls);
        QFETCH(QByteArray, answers);
        QFETCH(QByteArray, settings);
        start(type);
        if (!id.isEmpty())
            m_rig->rig.insert("ID;", id);
        m_server->setPermission(full ? Permission::Full : Permission::FreqMode);
        Client &client = connectClient();
        const QByteArrayList list = calls.split('|'), expected = answers.split('|');
        QCOMPARE(list.size(), expected.size());
        for (qsizetype n = 0; n < list.size(); ++n) {
            const Reply reply = client.ask(post(call(list[n])));
            QCOMPARE(reply.status, 200);
            QVERIFY2(reply.head.contains("Content-Type: text/xml"), reply.head);
            QVERIFY2(reply.body.startsWith("<?xml") && reply.body.endsWith("</methodResponse>\n"),
                     reply.body);
            const QByteArray value = valueOf(reply.body);
            if (expected[n].startsWith('~'))
                QVERIFY2(value.contains(expected[n].mid(1)), value);
            else
                QCOMPARE(value, expected[n]);
        }
        QCOMPARE(m_rig->settings, settings.isEmpty() ? QByteArrayList() : settings.split(' '));
        QCOMPARE(client.socket.state(), QAbstractSocket::ConnectedState);
        // "connected from", then one line a call.
        QCOMPARE(m_lines.filter(QRegularExpression(QStringLiteral("^1: "))).size(),
                 list.size() + 1);
    }

    void everyModeRoundTrips()
    {
        // Each mode flrig shows for the radio is set by its name and read back by it.
        for (RigType type : {RigType::K3, RigType::Yaesu, RigType::Kenwood, RigType::K2}) {
            start(type);
            Client &client = connectClient();
            static const QRegularExpression item(QStringLiteral("<value>([^<]+)</value>"));
            int count = 0;
            for (const auto &m :
                 item.globalMatch(QString::fromLatin1(client.value("rig.get_modes")))) {
                const QByteArray name = m.captured(1).toLatin1();
                QCOMPARE(client.value("rig.set_mode " + name), "<i4>1</i4>");
                QCOMPARE(client.value("rig.get_mode"), name);
                ++count;
            }
            QCOMPARE(count, type == RigType::Yaesu ? 14 : type == RigType::K2 ? 6 : 8);
        }
    }

    void refusedRequests_data()
    {
        // Requests as a browser sends them for a web page, and as no station program does: 403 or
        // 405, a line saying why, nothing at the rig, and the connection closed.
        QTest::addColumn<QByteArray>("head"); // the request's headers; its body is a valid call
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("why");
        auto row = [](const char *name, const char *head, int status, const char *why) {
            QTest::newRow(name) << QByteArray(head) << status << QString::fromLatin1(why);
        };
        row("fetch() with text/plain",
            "POST / HTTP/1.1\r\nHost: 127.0.0.1:12345\r\nConnection: keep-alive\r\nOrigin: "
            "http://evil.example\r\nContent-Type: text/plain;charset=UTF-8\r\nAccept: */*\r\n",
            403, "it carries Origin: http://evil.example, as a web page's request does");
        row("form post",
            "POST /RPC2 HTTP/1.1\r\nHost: localhost:12345\r\nOrigin: null\r\nContent-Type: "
            "application/x-www-form-urlencoded\r\n",
            403, "it carries Origin: null");
        row("rebound name",
            "POST / HTTP/1.1\r\nHost: evil.example:12345\r\nContent-Type: text/xml\r\n", 403,
            "its Host evil.example:12345 names another computer");
        row("no type", "POST / HTTP/1.1\r\nHost: 127.0.0.1:12345\r\n", 403,
            "its Content-Type is none, not text/xml");
        row("no host", "POST / HTTP/1.1\r\nContent-Type: text/xml\r\n", 403, "it names no Host");
        row("two hosts",
            "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nHost: evil.example\r\nContent-Type: "
            "text/xml\r\n",
            403, "it names more than one Host");
        row("navigation", "GET / HTTP/1.1\r\nHost: 127.0.0.1:12345\r\nAccept: text/html\r\n", 405,
            "only POST is answered");
        row("preflight",
            "OPTIONS / HTTP/1.1\r\nHost: 127.0.0.1:12345\r\nOrigin: http://evil.example\r\n"
            "Access-Control-Request-Method: POST\r\n",
            405, "only POST is answered");
        // What a station program sends is answered, Host with or without a port, as a name or an
        // address, and a Content-Type with its charset.
        for (const char *host : {"localhost", "[::1]:80", "127.0.0.2:1"})
            QTest::addRow("Host: %s", host) << "POST / HTTP/1.1\r\nHost: " + QByteArray(host) +
                                                   "\r\nContent-Type: text/xml; charset=utf-8\r\n"
                                            << 200 << QString();
    }

    void refusedRequests()
    {
        QFETCH(QByteArray, head);
        QFETCH(int, status);
        QFETCH(QString, why);
        start(RigType::K3);
        Client &client = connectClient();
        const QByteArray body = call("rig.set_ptt <i4>1</i4>");
        const QByteArray length = "Content-Length: " + QByteArray::number(body.size());
        QCOMPARE(client.ask(head + length + "\r\n\r\n" + body).status, status);
        QCOMPARE(m_rig->settings, status == 200 ? QByteArrayList{"TX;"} : QByteArrayList{});
        if (status == 200)
            return;
        QTRY_COMPARE(client.socket.state(), QAbstractSocket::UnconnectedState);
        const QStringList refusal = m_lines.filter(QStringLiteral("1: refused "));
        QVERIFY2(refusal.size() == 1 && refusal.first().contains(why),
                 qPrintable(m_lines.join(QLatin1Char('\n'))));
    }

    void otherUsersAreRefused()
    {
        // A loopback connection from a program of another user, or of a user that cannot be told,
        // is closed as it is made.
        start(RigType::K3);
        for (std::optional<uint> uid :
             {std::optional<uint>(::getuid() + 1), std::optional<uint>()}) {
            m_server->setPeerUid([uid](const QTcpSocket &) { return uid; });
            const Client &client = connectClient();
            QTRY_COMPARE(client.socket.state(), QAbstractSocket::UnconnectedState);
            QCOMPARE(m_server->clientCount(), 0);
        }
        QVERIFY2(m_lines.filter(QStringLiteral("a program of another user")).size() == 1 &&
                     m_lines.filter(QStringLiteral("its user cannot be told")).size() == 1,
                 qPrintable(m_lines.join(QLatin1Char('\n'))));
        m_server->setPeerUid([](const QTcpSocket &) { return std::optional<uint>(::getuid()); });
        QCOMPARE(connectClient().value("rig.get_vfoA"), "14074000");
    }

    void rigTrouble_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("how");
        // FakeRigAccess::Answer to FB;, or -1: no rig, -2: refused, -3: settled too late
        QTest::addColumn<QByteArray>("answer");
        auto row = [](const char *request, int how, const char *answer) {
            QTest::newRow(answer) << QByteArray(request) << how << QByteArray(answer);
        };
        const char *read = "rig.get_vfoB", *set = "rig.set_ptt <i4>1</i4>";
        row(read, int(FakeRigAccess::Answer::Refuse), "fault: rig.get_vfoB: the rig refused FB;");
        row(read, int(FakeRigAccess::Answer::Unanswered),
            "fault: rig.get_vfoB: the rig did not answer FB;");
        row(read, int(FakeRigAccess::Answer::Silence),
            "fault: rig.get_vfoB: the rig did not answer FB; in time");
        row(set, -2, "fault: rig.set_ptt: the rig refused TX;");
        row(set, -3, "fault: rig.set_ptt: the rig did not take TX; in time");
        row(read, -1, "fault: rig.get_vfoB: no rig is connected to the bridge");
        row(set, -1, "fault: rig.set_ptt: no rig is connected to the bridge");
    }

    void rigTrouble()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, how);
        QFETCH(QByteArray, answer);
        start(RigType::K3);
        m_server->setStepTimeout(300);
        m_rig->connected = how != -1;
        m_rig->delayMs = how == -3 ? 10000 : 0;
        if (how == -2)
            m_rig->refused.insert("TX;");
        else if (how >= 0)
            m_rig->answers.insert("FB;", FakeRigAccess::Answer(how));
        Client &client = connectClient();
        QCOMPARE(client.value(request), answer);
        QCOMPARE(m_rig->forgotten.value(Source{Source::Kind::XmlRpc, 1}),
                 how == int(FakeRigAccess::Answer::Silence) ? 1 : 0);
        QVERIFY2(m_lines.last().startsWith(
                     QStringLiteral("1: %1 -> fault: ")
                         .arg(request.startsWith("rig.set") ? "rig.set_ptt 1" : "rig.get_vfoB")),
                 qPrintable(m_lines.last()));
        // The client is served again once the rig is back.
        m_rig->answers.clear();
        m_rig->refused.clear();
        m_rig->connected = true;
        m_rig->delayMs = 0;
        QCOMPARE(client.value("rig.get_vfoB"), "7040000");
    }

    void answersInOrderAndClose()
    {
        // Calls sent back to back on one connection are answered in turn, each after its reads;
        // Connection: close closes once the answer is out.
        start(RigType::K3);
        m_rig->delayMs = 20;
        Client &client = connectClient();
        client.send(post(call("rig.get_vfoB")) + post(call("rig.set_vfo <i4>7000000</i4>")) +
                    post(call("rig.get_vfoA")) + post(call("rig.get_AB"), "Connection: close\r\n"));
        QByteArrayList values;
        QTRY_COMPARE(client.socket.state(), QAbstractSocket::UnconnectedState);
        while (const std::optional<Reply> r = client.next())
            values << valueOf(r->body);
        QCOMPARE(values, QByteArrayList({"7040000", "", "7000000", "A"}));
        QTRY_COMPARE(m_server->clientCount(), 0);
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer"); // "closed: " and the line saying why
        auto row = [](const char *name, const QByteArray &request, const char *answer) {
            QTest::newRow(name) << request << QByteArray(answer);
        };
        row("not XML", post("rig.get_vfo"), "fault: the request holds no XML-RPC call");
        row("no methodCall", post("<?xml version=\"1.0\"?><html><body/></html>"),
            "fault: the request holds no XML-RPC call: <methodCall> expected, not <html>");
        row("nested too deep",
            post(call("rig.get_vfo " + QByteArray("<array><data><value>").repeated(20) + "x" +
                      QByteArray("</value></data></array>").repeated(20))),
            "values nested more than 16 deep");
        row("entities",
            post("<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\">]>"
                 "<methodCall><methodName>&a;</methodName></methodCall>"),
            "a document type declaration is not taken");
        row("body over 64 KiB", post(call("rig.cat_string " + QByteArray(70000, 'F'))),
            "closed: its body is larger than 65536 bytes");
        row("a megabyte", post(QByteArray(1024 * 1024, '<')), "closed: sent more than 73728 bytes");
        row("never finished", post(call("rig.get_vfo")).chopped(10),
            "closed: began a request and did not finish it in 0.5 s");
    }

    void badInput()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        start(RigType::K3);
        m_server->setRequestTimeout(500);
        Client &bad = connectClient();
        Client &good = connectClient();
        bad.send(request);
        QCOMPARE(good.value("rig.get_vfoA"), "14074000");
        if (answer.startsWith("closed: ")) {
            QTRY_COMPARE(bad.socket.state(), QAbstractSocket::UnconnectedState);
            QVERIFY2(m_lines.filter(QString::fromLatin1(answer.mid(8))).size() == 1,
                     qPrintable(m_lines.join(QLatin1Char('\n'))));
            return;
        }
        const Reply reply = bad.await();
        QVERIFY2(valueOf(reply.body).contains(answer), reply.body);
        QCOMPARE(bad.value("rig.get_AB"), "A"); // the connection stays
    }

    void clientsThatDoNotWaitOrRead()
    {
        // One client piles up calls for a slow rig without waiting for answers; another sends calls
        // without end and reads nothing. Both are cut off; a third is served all along.
        start(RigType::K3);
        m_rig->delayMs = 200;
        Client &piling = connectClient();
        Client &silent = connectClient();
        Client &good = connectClient();
        piling.send(post(call("rig.get_vfoB")).repeated(XmlRpcConnection::kMaxQueued + 2));
        silent.socket.setReadBufferSize(1);
        const QByteArray some = post(call("system.listMethods")).repeated(5);
        for (int n = 0; n < 5000 && silent.socket.state() == QAbstractSocket::ConnectedState; ++n) {
            silent.socket.write(some);
            QTest::qWait(1);
        }
        QTRY_COMPARE(piling.socket.state(), QAbstractSocket::UnconnectedState);
        QTRY_COMPARE(silent.socket.state(), QAbstractSocket::UnconnectedState);
        QVERIFY2(!m_lines.filter(QStringLiteral("without reading the answers")).isEmpty() &&
                     !m_lines.filter(QStringLiteral("does not read its answers")).isEmpty(),
                 qPrintable(m_lines.filter(QRegularExpression(QStringLiteral("^[02]: [^s]|bytes")))
                                .join(QLatin1Char('\n'))));
        QCOMPARE(good.value("rig.get_vfoA"), "14074000");
    }

    void hundredClients()
    {
        // A hundred connections at once: each newcomer past the limit takes the place of the client
        // idle longest. Once every client waits for the rig, a newcomer is refused.
        start(RigType::K3);
        m_rig->answers.insert("FB;", FakeRigAccess::Answer::Silence);
        for (int n = 0; n < 100; ++n) {
            m_clients.push_back(std::make_unique<Client>());
            m_clients.back()->socket.connectToHost(QHostAddress::LocalHost, m_server->port());
        }
        QTRY_COMPARE(m_lines.filter(QStringLiteral("to make room")).size(),
                     100 - XmlRpcServer::kMaxClients);
        QCOMPARE(m_server->clientCount(), XmlRpcServer::kMaxClients);
        int served = 0;
        for (auto &c : m_clients) {
            if (c->socket.state() != QAbstractSocket::ConnectedState)
                continue;
            QCOMPARE(c->value("rig.get_vfoA"), "14074000");
            c->send(post(call("rig.get_vfoB")));
            ++served;
        }
        QCOMPARE(served, XmlRpcServer::kMaxClients);
        QTRY_COMPARE(m_rig->asks.count("FB;"), XmlRpcServer::kMaxClients);
        const Client &late = connectClient();
        QTRY_COMPARE(late.socket.state(), QAbstractSocket::UnconnectedState);
        QVERIFY(!m_lines.filter(QStringLiteral("none is idle")).isEmpty());
        m_clients.clear();
        QTRY_COMPARE(m_server->clientCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestXmlRpcServer)
#include "tst_xmlrpc_server.moc"
