#include "fake_radios.h"
#include "net/xmlrpc_connection.h"
#include "net/xmlrpc_server.h"
#include "xmlrpc_test_client.h"

#include <QTest>

#include <memory>
#include <unistd.h>

Q_DECLARE_METATYPE(RigType)

using namespace xmlrpc_test;

// The XML-RPC door on a real loopback socket, backed by the fake rig of each family: the answer
// to each flrig method byte for byte (strings bare where flrig writes strings, i4 where ints),
// what reaches the rig, what is refused, and how the door holds up against bad clients.
class TestXmlRpcServer : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void methods_data();
    void methods();
    void everyModeRoundTrips_data();
    void everyModeRoundTrips();
    void refusedRequests_data();
    void refusedRequests();
    void otherUsersAreRefused();
    void rigTrouble_data();
    void rigTrouble();
    void settingNeverSettled();
    void answersInOrderAndClose();
    void badInput_data();
    void badInput();
    void clientsThatDoNotWaitOrRead();
    void hundredClients();

private:
    void start(RigType type);
    std::unique_ptr<Client> connectClient();

    std::unique_ptr<FakeRigAccess> m_rig;
    std::unique_ptr<XmlRpcServer> m_server;
    QStringList m_lines;
};

void TestXmlRpcServer::cleanup()
{
    m_server.reset();
    m_rig.reset();
    m_lines.clear();
}

void TestXmlRpcServer::start(RigType type)
{
    m_server.reset();
    m_rig = std::make_unique<FakeRigAccess>(type);
    fake_radios::load(*m_rig);
    m_rig->rig.insert({{"PC;", "PC050;"},
                       {"SH;", "SH05;"},
                       {"SL;", "SL00;"},
                       {"NA0;", "NA00;"},
                       {"SH0;", "SH014;"}});
    // Half the reads come from the virtual rig, half from the rig: the answers are the same.
    for (const char *q : {"FA;", "MD;", "IF;", "FT;", "SM;", "MD0;"})
        m_rig->cached.insert(q);
    m_rig->delayMs = 2;
    m_server = std::make_unique<XmlRpcServer>(*m_rig);
    connect(m_server.get(), &XmlRpcServer::traffic, this,
            [this](int client, TrafficDirection, const QString &text) {
                m_lines.append(QStringLiteral("%1: %2").arg(client).arg(text));
            });
    QVERIFY(m_server->listen(QHostAddress(QHostAddress::LocalHost), 0));
}

std::unique_ptr<Client> TestXmlRpcServer::connectClient()
{
    auto client = std::make_unique<Client>();
    return client->connectTo(m_server->port()) ? std::move(client) : nullptr;
}

void TestXmlRpcServer::methods_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<bool>("full");
    QTest::addColumn<QByteArrayList>("calls");
    QTest::addColumn<QByteArrayList>("answers"); // "~text": the answer holds text
    QTest::addColumn<QByteArrayList>("settings");
    QTest::addColumn<QByteArray>("id"); // the rig's reply to ID;, which tells its radio
    auto row = [](const char *name, RigType type, QByteArrayList calls, QByteArrayList answers,
                  QByteArrayList settings = {}, bool full = true, const char *id = "") {
        QTest::newRow(name) << type << full << calls << answers << settings << QByteArray(id);
    };
    const QByteArray none = "<value></value>", one = "<value><i4>1</i4></value>",
                     zero = "<value><i4>0</i4></value>";
    auto d = [](const char *hz) { return "<double>" + QByteArray(hz) + "</double>"; };
    auto i = [](const char *n) { return "<i4>" + QByteArray(n) + "</i4>"; };
    const QByteArrayList reads{call("rig.get_xcvr"),   call("rig.get_vfoA"), call("rig.get_vfoB"),
                               call("rig.get_mode"),   call("rig.get_ptt"),  call("rig.get_split"),
                               call("rig.get_smeter"), call("rig.get_bw")};
    auto bw = [](const char *w) {
        return "<value><array><data><value>" + QByteArray(w) +
               "</value><value></value></data></array></value>";
    };
    const QByteArrayList same{
        "<value>14074000</value>", "<value>7040000</value>", "<value>USB</value>", zero, zero,
        "<value>50</value>"};
    row("K3 reads", RigType::K3, reads,
        QByteArrayList{"<value>K3</value>"} + same + QByteArrayList{bw("2700")});
    row("FT-991 reads", RigType::Yaesu, reads,
        QByteArrayList{"<value>FT-991A</value>"} + same + QByteArrayList{bw("2400")});
    row("TS-2000 reads", RigType::Kenwood, reads,
        QByteArrayList{"<value>TS-2000</value>"} + same + QByteArrayList{bw("2400")});
    row("K2 reads", RigType::K2, reads,
        QByteArrayList{"<value>K2</value>"} + same + QByteArrayList{bw("500")});
    // Settings, each answered once the rig took it, with flrig's names of each radio's modes.
    auto sets = [&](const char *mode) {
        return QByteArrayList{call("rig.set_vfo", {d("7040000")}), call("rig.set_mode", {mode}),
                              call("rig.set_ptt", {i("1")}), call("rig.set_ptt", {i("0")}),
                              call("rig.set_split", {i("1")})};
    };
    const QByteArrayList setAnswers{none, one, none, none, none};
    row("K3 sets", RigType::K3, sets("DATA"), setAnswers,
        {"FA00007040000;", "MD6;", "TX;", "RX;", "FT1;"});
    row("FT-991 sets", RigType::Yaesu, sets("DATA-U"), setAnswers,
        {"FA007040000;", "MD0C;", "TX1;", "TX0;", "FT3;"});
    row("TS-2000 sets", RigType::Kenwood, sets("FSK"), setAnswers,
        {"FA00007040000;", "MD6;", "TX;", "RX;", "FT1;"});
    row("K2 sets", RigType::K2, sets("RTTY-R"), setAnswers,
        {"FA00007040000;", "MD9;", "TX;", "RX;", "FT1;"});
    row("client's VFO", RigType::K3,
        {call("rig.get_AB"), call("rig.set_AB", {"B"}), call("rig.get_AB"), call("rig.get_vfo"),
         call("rig.set_vfo", {i("3573000")}), call("rig.set_frequency", {d("3574000")}),
         call("rig.get_vfoA")},
        {"<value>A</value>", none, "<value>B</value>", "<value>7040000</value>", none, one,
         "<value>14074000</value>"},
        {"FB00003573000;", "FB00003574000;"});
    row("K3 modes", RigType::K3, {call("rig.get_modes")},
        {"<value><array><data><value>LSB</value><value>USB</value><value>CW</value><value>FM"
         "</value><value>AM</value><value>DATA</value><value>CW-R</value><value>DATA-R</value>"
         "</data></array></value>"});
    row("FT-991 modes", RigType::Yaesu, {call("rig.get_modes"), call("rig.set_mode", {"CW-L"})},
        {"~<value>CW-U</value>", one}, {"MD07;"});
    row("K3 passbands", RigType::K3,
        {call("rig.get_bws"), call("rig.set_bw", {i("1")}), call("rig.set_bw", {i("3")}),
         call("rig.set_bwA", {i("2400")})},
        {"<value><array><data><value><array><data><value>Bandwidth</value><value>2700</value>"
         "<value>1800</value><value>2800</value></data></array></value></data></array></value>",
         none, "fault: rig.set_bw: 3 is no place in rig.get_bws's table (0 to 2)", none},
        {"BW0180;", "BW0240;"});
    // The TS-2000 sets SSB's passband by its high cut, and none in FM.
    row("TS-2000 passbands", RigType::Kenwood,
        {call("rig.get_bws"), call("rig.set_bw", {i("0")}), call("rig.set_mode", {"FM"}),
         call("rig.get_bws"), call("rig.set_bandwidth", {i("2000")})},
        {"~<value>Bandwidth</value><value>1400</value><value>1600</value>", none, one,
         "~<value>Bandwidth</value><value>NONE</value>",
         "fault: rig.set_bandwidth: the TS-2000 does not set its passband in this mode over CAT"},
        {"SH00;", "MD4;"});
    row("power", RigType::K3,
        {call("rig.get_power"), call("rig.set_power", {i("25")}), call("rig.get_pwrmeter")},
        {"<value><i4>50</i4></value>", none, "<value>0</value>"}, {"PC025;"});
    row("info", RigType::K3, {call("rig.get_info")},
        {"<value>R:K3\nT:R\nFA:14074000\nM:USB\nL:2700\nU:\n</value>"});
    row("CAT text", RigType::K3,
        {call("rig.cat_string", {"FA;"}), call("rig.cat_string", {"FA00007040000;FA;"}),
         call("rig.cat_string", {"AI2;"}), call("rig.cat_string", {"FA;x"})},
        {"<value>FA00014074000;</value>", "<value>FA00007040000;</value>",
         "fault: rig.cat_string: AI2; would change what every program sees: not passed",
         "~takes CAT commands"},
        {"FA00007040000;"});
    row("introspection", RigType::K3,
        {call("system.listMethods"), call("system.methodHelp", {"rig.get_vfoB"}),
         call("main.get_version")},
        {"~<value>rig.set_vfoB</value><value>system.listMethods</value>",
         "<value>returns VFO B, in Hz</value>", "<value>1.4.7</value>"});
    row("faults", RigType::K3,
        {call("rig.get_pwrmeter_scale"), call("rig.set_vfo", {"7040000"}), call("rig.set_vfo"),
         call("rig.set_AB", {"C"}), call("rig.set_mode", {"PKTUSB"}), call("rig.set_ptt", {i("5")}),
         call("rig.set_vfo", {d("-5")})},
        {"fault: rig.get_pwrmeter_scale: unknown method name",
         "fault: rig.set_vfo: takes a double, not a string",
         "fault: rig.set_vfo: takes one parameter, a double",
         "fault: rig.set_AB: takes \"A\" or \"B\", not \"C\"",
         "fault: rig.set_mode: the K3 has no mode \"PKTUSB\"; rig.get_modes lists its modes",
         "fault: rig.set_ptt: takes 1 (transmit) or 0 (receive), not 5",
         "fault: rig.set_vfo: -5 Hz is no frequency for the K3"});
    // Radios of a family told apart by their ID: their own split switch, their own passbands.
    row("FTDX101D", RigType::Yaesu,
        {call("rig.get_xcvr"), call("rig.get_split"), call("rig.set_split", {i("1")})},
        {"<value>FTDX101D</value>", zero, none}, {"ST1;"}, true, "ID0681;");
    row("TS-590SG", RigType::Kenwood, {call("rig.get_xcvr"), call("rig.set_bwA", {i("2400")})},
        {"<value>TS-590SG</value>", none}, {"SH07;"}, true, "ID023;");
    // Under "Freq/Mode" only frequency, mode and the client's own VFO choice pass.
    const QByteArray refused = "~refused: the XML-RPC door has \"Freq/Mode\" permission";
    row("Freq/Mode", RigType::K3,
        {call("rig.set_ptt", {i("1")}), call("rig.cat_string", {"TX;"}),
         call("rig.set_split", {i("1")}), call("rig.set_power", {i("5")}),
         call("rig.set_vfo", {d("7040000")}), call("rig.set_mode", {"LSB"})},
        {refused, refused, refused, refused, none, one}, {"FA00007040000;", "MD1;"}, false);
}

void TestXmlRpcServer::methods()
{
    QFETCH(RigType, type);
    QFETCH(bool, full);
    QFETCH(QByteArrayList, calls);
    QFETCH(QByteArrayList, answers);
    QFETCH(QByteArrayList, settings);
    QFETCH(QByteArray, id);
    start(type);
    if (!id.isEmpty()) {
        m_rig->rig.insert({{"ID;", id}, {"ST;", "ST0;"}});
        m_rig->cached.insert("ID;");
    }
    m_server->setPermission(full ? Permission::Full : Permission::FreqMode);
    auto client = connectClient();
    QVERIFY(client);
    for (qsizetype n = 0; n < calls.size(); ++n) {
        const Reply reply = client->ask(post(calls.at(n)));
        QCOMPARE(reply.status, 200);
        QVERIFY2(reply.head.contains("Content-Type: text/xml"), reply.head);
        QVERIFY2(reply.body.startsWith("<?xml") && reply.body.endsWith("</methodResponse>\n"),
                 reply.body);
        const QByteArray value = valueOf(reply.body);
        if (answers.at(n).startsWith('~'))
            QVERIFY2(value.contains(answers.at(n).mid(1)), value);
        else
            QCOMPARE(value, answers.at(n));
    }
    QCOMPARE(m_rig->settings, settings);
    QCOMPARE(client->socket.state(), QAbstractSocket::ConnectedState);
    // "connected from", then one line a call.
    QCOMPARE(m_lines.filter(QRegularExpression(QStringLiteral("^1: "))).size(), calls.size() + 1);
}

void TestXmlRpcServer::everyModeRoundTrips_data()
{
    QTest::addColumn<RigType>("type");
    QTest::newRow("K3") << RigType::K3;
    QTest::newRow("FT-991") << RigType::Yaesu;
    QTest::newRow("TS-2000") << RigType::Kenwood;
    QTest::newRow("K2") << RigType::K2;
}

void TestXmlRpcServer::everyModeRoundTrips()
{
    // Each mode flrig shows for the radio is set by its name and read back by it.
    QFETCH(RigType, type);
    start(type);
    auto client = connectClient();
    QVERIFY(client);
    const QByteArray modes = valueOf(client->ask(post(call("rig.get_modes"))).body);
    static const QRegularExpression item(QStringLiteral("<value>([^<]+)</value>"));
    int count = 0;
    for (const auto &m : item.globalMatch(QString::fromLatin1(modes))) {
        const QByteArray name = m.captured(1).toLatin1();
        QCOMPARE(valueOf(client->ask(post(call("rig.set_mode", {name}))).body),
                 "<value><i4>1</i4></value>");
        QCOMPARE(valueOf(client->ask(post(call("rig.get_mode"))).body),
                 "<value>" + name + "</value>");
        ++count;
    }
    QCOMPARE(count, type == RigType::Yaesu ? 14 : type == RigType::K2 ? 6 : 8);
}

void TestXmlRpcServer::refusedRequests_data()
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
    row("rebound name", "POST / HTTP/1.1\r\nHost: evil.example:12345\r\nContent-Type: text/xml\r\n",
        403, "its Host evil.example:12345 names another computer");
    row("no type", "POST / HTTP/1.1\r\nHost: 127.0.0.1:12345\r\n", 403,
        "its Content-Type is none, not text/xml");
    row("no host", "POST / HTTP/1.1\r\nContent-Type: text/xml\r\n", 403, "it names no Host");
    row("two hosts",
        "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nHost: evil.example\r\nContent-Type: text/xml\r\n",
        403, "it names more than one Host");
    row("navigation", "GET / HTTP/1.1\r\nHost: 127.0.0.1:12345\r\nAccept: text/html\r\n", 405,
        "only POST is answered");
    row("preflight",
        "OPTIONS / HTTP/1.1\r\nHost: 127.0.0.1:12345\r\nOrigin: http://evil.example\r\n"
        "Access-Control-Request-Method: POST\r\n",
        405, "only POST is answered");
}

void TestXmlRpcServer::refusedRequests()
{
    QFETCH(QByteArray, head);
    QFETCH(int, status);
    QFETCH(QString, why);
    start(RigType::K3);
    auto client = connectClient();
    QVERIFY(client);
    const QByteArray body = call("rig.set_ptt", {"<i4>1</i4>"});
    const Reply reply = client->ask(head + "Content-Length: " + QByteArray::number(body.size()) +
                                    "\r\n\r\n" + body);
    QCOMPARE(reply.status, status);
    QTRY_COMPARE(client->socket.state(), QAbstractSocket::UnconnectedState);
    const QStringList refusal = m_lines.filter(QStringLiteral("1: refused "));
    QVERIFY2(refusal.size() == 1 && refusal.first().contains(why),
             qPrintable(m_lines.join(QLatin1Char('\n'))));
    QVERIFY(m_rig->settings.isEmpty());
    // What a station program sends is answered, Host with or without a port, as a name or an
    // address, and a Content-Type with its charset.
    for (const char *host : {"localhost", "[::1]:80", "127.0.0.2:1"}) {
        auto good = connectClient();
        QVERIFY(good);
        const Reply ok = good->ask(QByteArray("POST / HTTP/1.1\r\nHost: ") + host +
                                   "\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
                                   QByteArray::number(body.size()) + "\r\n\r\n" + body);
        QCOMPARE(ok.status, 200);
    }
    QCOMPARE(m_rig->settings, QByteArrayList({"TX;", "TX;", "TX;"}));
}

void TestXmlRpcServer::otherUsersAreRefused()
{
    // A loopback connection from a program of another user, or of a user that cannot be told,
    // is closed as it is made.
    start(RigType::K3);
    for (std::optional<uint> uid : {std::optional<uint>(::getuid() + 1), std::optional<uint>()}) {
        m_server->setPeerUid([uid](const QTcpSocket &) { return uid; });
        auto client = connectClient();
        QVERIFY(client);
        QTRY_COMPARE(client->socket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(m_server->clientCount(), 0);
    }
    QVERIFY2(m_lines.filter(QStringLiteral("a program of another user")).size() == 1 &&
                 m_lines.filter(QStringLiteral("its user cannot be told")).size() == 1,
             qPrintable(m_lines.join(QLatin1Char('\n'))));
    m_server->setPeerUid([](const QTcpSocket &) { return std::optional<uint>(::getuid()); });
    auto own = connectClient();
    QVERIFY(own);
    QCOMPARE(own->ask(post(call("rig.get_vfoA"))).status, 200);
}

void TestXmlRpcServer::rigTrouble_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>(
        "how"); // FakeRigAccess::Answer to FB;, or -1: none connected, -2: refused
    auto row = [](const char *name, const QByteArray &request, int how, const char *answer) {
        QTest::newRow(name) << request << QByteArray(answer) << how;
    };
    const QByteArray read = call("rig.get_vfoB"), set = call("rig.set_ptt", {"<i4>1</i4>"});
    row("rig refuses a read", read, int(FakeRigAccess::Answer::Refuse),
        "fault: rig.get_vfoB: the rig refused FB;");
    row("no reply", read, int(FakeRigAccess::Answer::Unanswered),
        "fault: rig.get_vfoB: the rig did not answer FB;");
    row("silence", read, int(FakeRigAccess::Answer::Silence),
        "fault: rig.get_vfoB: the rig did not answer FB; in time");
    row("rig refuses a setting", set, -2, "fault: rig.set_ptt: the rig refused TX;");
    row("no rig to read", read, -1, "fault: rig.get_vfoB: no rig is connected to the bridge");
    row("no rig to set", set, -1, "fault: rig.set_ptt: no rig is connected to the bridge");
}

void TestXmlRpcServer::rigTrouble()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(int, how);
    start(RigType::K3);
    m_server->setStepTimeout(300);
    m_rig->connected = how != -1;
    if (how == -2)
        m_rig->refused.insert("TX;");
    else if (how >= 0)
        m_rig->answers.insert("FB;", FakeRigAccess::Answer(how));
    auto client = connectClient();
    QVERIFY(client);
    QCOMPARE(valueOf(client->ask(post(request)).body), answer);
    if (how == int(FakeRigAccess::Answer::Silence))
        QCOMPARE(m_rig->forgotten.value(Source{Source::Kind::XmlRpc, 1}), 1);
    QVERIFY2(m_lines.last().startsWith(QStringLiteral("1: ") +
                                       QString::fromLatin1(request.contains("set_ptt")
                                                               ? "rig.set_ptt 1 -> fault: "
                                                               : "rig.get_vfoB -> fault: ")),
             qPrintable(m_lines.last()));
    // The client is served again once the rig is back.
    m_rig->answers.clear();
    m_rig->refused.clear();
    m_rig->connected = true;
    QCOMPARE(valueOf(client->ask(post(call("rig.get_vfoB"))).body), "<value>7040000</value>");
}

void TestXmlRpcServer::settingNeverSettled()
{
    // A rig access that never says what became of a setting: the call gets a fault in time.
    struct Deaf : FakeRigAccess {
        using FakeRigAccess::FakeRigAccess;
        void set(const Source &, const QByteArray &setting) override { settings.append(setting); }
    } rig(RigType::K3);
    XmlRpcServer door(rig);
    door.setStepTimeout(300);
    QVERIFY(door.listen(QHostAddress(QHostAddress::LocalHost), 0));
    Client client;
    QVERIFY(client.connectTo(door.port()));
    QCOMPARE(valueOf(client.ask(post(call("rig.set_ptt", {"<i4>1</i4>"}))).body),
             "fault: rig.set_ptt: the rig did not take TX; in time");
    QCOMPARE(rig.settings, QByteArrayList{"TX;"});
}

void TestXmlRpcServer::answersInOrderAndClose()
{
    // Calls sent back to back on one connection are answered in turn, each after its reads;
    // Connection: close closes once the answer is out.
    start(RigType::K3);
    m_rig->delayMs = 20;
    auto client = connectClient();
    QVERIFY(client);
    client->send(post(call("rig.get_vfoB")) + post(call("rig.set_vfo", {"<i4>7000000</i4>"})) +
                 post(call("rig.get_vfoA")) + post(call("rig.get_AB"), "Connection: close\r\n"));
    QByteArrayList values;
    QTRY_COMPARE(client->socket.state(), QAbstractSocket::UnconnectedState);
    while (const std::optional<Reply> r = client->next())
        values << valueOf(r->body);
    QCOMPARE(values, QByteArrayList({"<value>7040000</value>", "<value></value>",
                                     "<value>7000000</value>", "<value>A</value>"}));
    QTRY_COMPARE(m_server->clientCount(), 0);
}

void TestXmlRpcServer::badInput_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer"); // "closed: " and the line saying why
    auto row = [](const char *name, const QByteArray &request, const char *answer) {
        QTest::newRow(name) << request << QByteArray(answer);
    };
    row("not XML", post("rig.get_vfo"), "~fault: the request holds no XML-RPC call");
    row("no methodCall", post("<?xml version=\"1.0\"?><html><body/></html>"),
        "~fault: the request holds no XML-RPC call: <methodCall> expected, not <html>");
    row("nested too deep",
        post(call("rig.get_vfo", {QByteArray("<array><data><value>").repeated(20) + "x" +
                                  QByteArray("</value></data></array>").repeated(20)})),
        "~values nested more than 16 deep");
    row("entities",
        post("<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\">]>"
             "<methodCall><methodName>&a;</methodName></methodCall>"),
        "~a document type declaration is not taken");
    row("body over 64 KiB", post(call("rig.cat_string", {QByteArray(70000, 'F')})),
        "closed: its body is larger than 65536 bytes");
    row("a megabyte", post(QByteArray(1024 * 1024, '<')), "closed: sent more than 73728 bytes");
    row("never finished", post(call("rig.get_vfo")).chopped(10),
        "closed: began a request and did not finish it in 0.5 s");
}

void TestXmlRpcServer::badInput()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    start(RigType::K3);
    m_server->setRequestTimeout(500);
    auto bad = connectClient();
    auto good = connectClient();
    QVERIFY(bad && good);
    bad->send(request);
    QCOMPARE(valueOf(good->ask(post(call("rig.get_vfoA"))).body), "<value>14074000</value>");
    if (answer.startsWith("closed: ")) {
        QTRY_COMPARE(bad->socket.state(), QAbstractSocket::UnconnectedState);
        QVERIFY2(m_lines.filter(QString::fromLatin1(answer.mid(8))).size() == 1,
                 qPrintable(m_lines.join(QLatin1Char('\n'))));
        return;
    }
    const Reply reply = bad->await();
    QVERIFY2(valueOf(reply.body).contains(answer.mid(1)), reply.body);
    // The connection stays, and its next call is answered.
    QCOMPARE(valueOf(bad->ask(post(call("rig.get_AB"))).body), "<value>A</value>");
}

void TestXmlRpcServer::clientsThatDoNotWaitOrRead()
{
    // One client piles up calls for a slow rig without waiting for answers; another sends calls
    // without end and reads nothing. Both are cut off; a third is served all along.
    start(RigType::K3);
    m_rig->delayMs = 200;
    auto piling = connectClient();
    auto silent = connectClient();
    auto good = connectClient();
    QVERIFY(piling && silent && good);
    piling->send(post(call("rig.get_vfoB")).repeated(XmlRpcConnection::kMaxQueued + 2));
    silent->socket.setReadBufferSize(1);
    const QByteArray some = post(call("system.listMethods")).repeated(5);
    for (int n = 0; n < 5000 && silent->socket.state() == QAbstractSocket::ConnectedState; ++n) {
        silent->socket.write(some);
        QTest::qWait(1);
    }
    QTRY_COMPARE(piling->socket.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(silent->socket.state(), QAbstractSocket::UnconnectedState);
    QVERIFY2(!m_lines.filter(QStringLiteral("without reading the answers")).isEmpty() &&
                 !m_lines.filter(QStringLiteral("does not read its answers")).isEmpty(),
             qPrintable(m_lines.filter(QRegularExpression(QStringLiteral("^[02]: [^s]|bytes")))
                            .join(QLatin1Char('\n'))));
    QCOMPARE(valueOf(good->ask(post(call("rig.get_vfoA"))).body), "<value>14074000</value>");
}

void TestXmlRpcServer::hundredClients()
{
    // A hundred connections at once: each newcomer past the limit takes the place of the client
    // idle longest. Once every client waits for the rig, a newcomer is refused.
    start(RigType::K3);
    m_rig->answers.insert("FB;", FakeRigAccess::Answer::Silence);
    std::vector<std::unique_ptr<Client>> clients;
    for (int n = 0; n < 100; ++n) {
        clients.push_back(std::make_unique<Client>());
        clients.back()->socket.connectToHost(QHostAddress::LocalHost, m_server->port());
    }
    QTRY_COMPARE(m_lines.filter(QStringLiteral("to make room")).size(),
                 100 - XmlRpcServer::kMaxClients);
    QCOMPARE(m_server->clientCount(), XmlRpcServer::kMaxClients);
    int served = 0;
    for (auto &c : clients) {
        if (c->socket.state() != QAbstractSocket::ConnectedState)
            continue;
        QCOMPARE(valueOf(c->ask(post(call("rig.get_vfoA"))).body), "<value>14074000</value>");
        c->send(post(call("rig.get_vfoB")));
        ++served;
    }
    QCOMPARE(served, XmlRpcServer::kMaxClients);
    QTRY_COMPARE(m_rig->asks.count("FB;"), XmlRpcServer::kMaxClients);
    Client late;
    QVERIFY(late.connectTo(m_server->port()));
    QTRY_COMPARE(late.socket.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!m_lines.filter(QStringLiteral("none is idle")).isEmpty());
    clients.clear();
    QTRY_COMPARE(m_server->clientCount(), 0);
}

QTEST_GUILESS_MAIN(TestXmlRpcServer)
#include "tst_xmlrpc_server.moc"
