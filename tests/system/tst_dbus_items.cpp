#include "bridge/bridge.h"
#include "monitor/dbus_items.h"
#include "monitor/dbus_publisher.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/pty_device.h"
#include "ports/serial_port.h"
#include "private_runtime.h"
#include "rig/rig_link.h"
#include "scripted_messenger.h"
#include "tool_run.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDBusVariant>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kWait = 20000; // generous: a loaded two-core machine, sanitizers
const QString kService = QString::fromLatin1(kOvxCatService);
const QString kPath = QString::fromLatin1(kOvxCatPath);
const QString kInterface = QString::fromLatin1(kOvxCatInterface);
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QByteArray kNoBus = "Published items are not available: no D-Bus session bus";
// Written to the rig port after what a test looks at: "nothing else arrived" without a wait.
const QByteArray kMarker = "#;";
// The child mode of this executable: a second bridge, printing what its rig terminal shows.
constexpr char kChildVariable[] = "OVX2_TST_CHILD_BRIDGE";

int runChildBridge()
{
    ScriptedMessenger messenger;
    Bridge bridge(StationSettings(), messenger, systemClock());
    QCoreApplication::processEvents();
    for (const QByteArray &line : bridge.terminal(0).lines())
        std::printf("%s\n", line.constData());
    return 0;
}

// dbus-send, as a shell script would call it, the event loop running meanwhile.
test_tools::ToolRun dbusSend(const QString &method, const QStringList &arguments = {})
{
    return test_tools::runTool(
        QStringLiteral("dbus-send"),
        QStringList{"--session", "--print-reply", "--dest=" + kService, kPath, method} + arguments);
}

} // namespace

// What a client following the bridge hears: each item change ("OVX_TX=On") and any other signal
// of the items' interface ("signal <name>"), of which there must be none.
class ChangeRecorder : public QObject {
    Q_OBJECT
public:
    QStringList heard, interfaces;
    int invalidated = 0;

public slots:
    void changed(const QString &interface, const QVariantMap &values, const QStringList &gone)
    {
        interfaces << interface;
        invalidated += int(gone.size());
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            heard << it.key() + QLatin1Char('=') + it.value().toString();
    }
    void other(const QDBusMessage &message) { heard << "signal " + message.member(); }
};

// The published items on a private session bus: what clients read, follow and poke, and what
// reaches the rig at the far end of a pseudo-terminal.
class TestDbusItems : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void dbusSendClient();
    void subscriberSeesEachChange();
    void pokeReachesTheRigUnchanged_data();
    void pokeReachesTheRigUnchanged();
    void saysOnceWhyNotPublished_data();
    void saysOnceWhyNotPublished();

private:
    QByteArray rigReceivesNext();
    QStringList clientHeardSoFar();
    QDBusMessage clientCall(const QString &method, const QVariantList &arguments);
    QString clientGet(const QString &item);

    QTemporaryDir m_runtime;
    ScriptedMessenger m_messenger;
    std::unique_ptr<Bridge> m_bridge;
    PtyDevice m_rig;
    QByteArray m_received;
    QDBusConnection m_client{QString()};
    ChangeRecorder m_heard;
};

void TestDbusItems::initTestCase()
{
    usePrivateRuntimeDir(m_runtime);
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run this under dbus-run-session");
    m_bridge = std::make_unique<Bridge>(StationSettings(), m_messenger, systemClock());
    QCOMPARE(m_bridge->dbus().outcome(), DbusPublisher::Outcome::Published);
    QCOMPARE(m_bridge->terminal(0).lineCount(), 0); // nothing to say when all is well
    QVERIFY(m_rig.open());
    connect(&m_rig, &PtyDevice::readyRead, this, [this] { m_received += m_rig.readAll(); });
    QVERIFY(m_bridge->rigPort().Open(m_rig.slavePath()));
    QCOMPARE(rigReceivesNext(), QByteArray());
    m_client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
    QVERIFY(m_client.connect(kService, kPath, kProperties, QStringLiteral("PropertiesChanged"),
                             &m_heard, SLOT(changed(QString, QVariantMap, QStringList))));
    QVERIFY(m_client.connect(kService, kPath, kInterface, QString(), &m_heard,
                             SLOT(other(QDBusMessage))));
    // A round trip after subscribing: the bus has the match rules once this answers.
    QCOMPARE(clientGet(QStringLiteral("Text8")), QStringLiteral("Text8"));
}

void TestDbusItems::cleanupTestCase()
{
    m_bridge.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
}

QByteArray TestDbusItems::rigReceivesNext()
{
    m_bridge->link().poke({Source::Kind::Bridge, 0}, kMarker); // behind what waits
    if (!QTest::qWaitFor([this] { return m_received.endsWith(kMarker); }, kWait))
        return "(no marker; the rig got: " + m_received + ")";
    return std::exchange(m_received, {}).chopped(kMarker.size());
}

// All the client heard since the last call. Two changes of OVX_TX mark the end: the bus keeps
// the bridge's signals in order.
QStringList TestDbusItems::clientHeardSoFar()
{
    const QString before = m_bridge->items().transmitIndicator();
    m_bridge->items().setTransmitIndicator(QStringLiteral("end mark"));
    m_bridge->items().setTransmitIndicator(before);
    const QStringList mark{QStringLiteral("OVX_TX=end mark"), "OVX_TX=" + before};
    const auto &heard = m_heard.heard;
    if (!QTest::qWaitFor(
            [&] { return heard.size() >= 2 && heard.sliced(heard.size() - 2) == mark; }, kWait))
        return m_heard.heard << QStringLiteral("(no end mark)");
    QStringList result = std::exchange(m_heard.heard, {});
    result.resize(result.size() - 2);
    return result;
}

// Asynchronous: the bridge answers on this very thread.
QDBusMessage TestDbusItems::clientCall(const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kProperties, method);
    call.setArguments(QVariantList{kInterface} + arguments);
    QDBusPendingCall pending = m_client.asyncCall(call, kWait);
    if (!QTest::qWaitFor([&pending] { return pending.isFinished(); }, kWait + 5000))
        return QDBusMessage::createError(QStringLiteral("test.NoAnswer"), QString());
    return pending.reply();
}

QString TestDbusItems::clientGet(const QString &item)
{
    const QDBusMessage reply = clientCall(QStringLiteral("Get"), {item});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return "(error: " + reply.errorName() + ')';
    return qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toString();
}

// dbus-send, as a shell script would call it: the interface of the XML file, every item a
// string, and a poke refused with the reason.
void TestDbusItems::dbusSendClient()
{
    const auto xml = dbusSend(QStringLiteral("org.freedesktop.DBus.Introspectable.Introspect"));
    QVERIFY2(xml.out.contains("<interface name=\"" + kInterface.toUtf8() + "\">") &&
                 xml.out.count("<property ") == 3,
             xml.out + xml.err);
    const auto all = dbusSend(kProperties + ".GetAll", {"string:" + kInterface});
    for (const char *item : {"OVX_TX", "Text8", "TRX_LINK"})
        QVERIFY2(all.out.contains("string \"" + QByteArray(item) +
                                  "\"\n         variant             string"),
                 all.out + all.err);
    const QStringList set{"string:" + kInterface, QStringLiteral("string:TRX_LINK")};
    auto run = dbusSend(kProperties + ".Set", set + QStringList{"variant:string:TX;"});
    QVERIFY2(run.ok, run.err);
    QCOMPARE(rigReceivesNext(), QByteArray("TX;TQ;")); // the poke, then the read of what it set
    run = dbusSend(kProperties + ".Set", set + QStringList{"variant:string:TX0;FA"});
    QVERIFY2(!run.ok && run.err.contains("org.freedesktop.DBus.Error.InvalidArgs") &&
                 run.err.contains("does not end with ';'"),
             run.err);
    QCOMPARE(rigReceivesNext(), QByteArray());
    clientHeardSoFar();
}

// A client following the items hears each change once, and reads what it heard.
void TestDbusItems::subscriberSeesEachChange()
{
    m_bridge->setTransmitting(false);
    clientHeardSoFar();
    m_heard.interfaces.clear();
    for (bool tx : {true, true, false, false}) // the same text again is no change
        m_bridge->setTransmitting(tx);
    // Polling brings the same FA reply over and over; clients hear of it once.
    const int lines = m_bridge->terminal(0).lineCount();
    m_rig.write("FA00014070000;FA00014070000;");
    QTRY_COMPARE_WITH_TIMEOUT(m_bridge->terminal(0).lineCount(), lines + 2, kWait);
    QCOMPARE(clientHeardSoFar(), QStringList({"OVX_TX=On", "OVX_TX=Off", "Text8=FA00014070000;"}));
    QCOMPARE(m_heard.interfaces, QStringList(5, kInterface)); // with the end mark
    QCOMPARE(m_heard.invalidated, 0);
    QCOMPARE(clientGet(QStringLiteral("OVX_TX")), QStringLiteral("Off"));
    // Text8 is read-only.
    const QDBusMessage reply =
        clientCall(QStringLiteral("Set"), {"Text8", QVariant::fromValue(QDBusVariant("On"))});
    QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"));
    QCOMPARE(clientGet(QStringLiteral("Text8")), QStringLiteral("FA00014070000;"));
}

void TestDbusItems::pokeReachesTheRigUnchanged_data()
{
    QTest::addColumn<QVariantList>("pokes");
    QTest::addColumn<QByteArray>("rig");
    QTest::addColumn<int>("forwarded");
    QTest::addColumn<bool>("refused"); // the last poke
    // Each poke reaches the rig as it is, then the bridge's read of what it changed.
    const QString rx = QStringLiteral("RX;");
    QTest::newRow("the same text again")
        << QVariantList{rx, rx} << QByteArray("RX;TQ;RX;TQ;") << 2 << false;
    QTest::newRow("several commands, nothing added among them")
        << QVariantList{"FA00014070000;MD3;"} << QByteArray("FA00014070000;MD3;FA;MD;") << 1
        << false;
    QTest::newRow("8-bit characters, one byte each")
        << QVariantList{QString::fromLatin1("\xe9\xff;")} << QByteArray("\xe9\xff;") << 1 << false;
    // A refused poke, after one that went through: the rig gets only the first.
    auto refused = [&rx](const char *name, const QVariant &poke) {
        QTest::newRow(name) << QVariantList{rx, poke} << QByteArray("RX;TQ;") << 1 << true;
    };
    refused("over the size bound", QString(OvxCatObject::kMaxPoke, QLatin1Char('F')) + u';');
    refused("beyond 8-bit text", QStringLiteral("FA\u20ac;"));
    refused("bytes that are not UTF-8", QByteArray("FA\xff\xfe;"));
}

void TestDbusItems::pokeReachesTheRigUnchanged()
{
    QFETCH(QVariantList, pokes);
    QFETCH(QByteArray, rig);
    QFETCH(int, forwarded);
    QFETCH(bool, refused);
    QSignalSpy forwards(&m_bridge->items(), &PublishedItems::trxLinkChanged);
    const int lines = m_bridge->terminal(0).lineCount();
    for (const QVariant &poke : pokes) {
        const QDBusMessage reply = clientCall(
            QStringLiteral("Set"), {"TRX_LINK", QVariant::fromValue(QDBusVariant(poke))});
        if (refused && &poke == &pokes.last()) {
            QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
            QVERIFY(reply.errorMessage().startsWith("TRX_LINK poke refused: "));
        } else {
            QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        }
    }
    QCOMPARE(rigReceivesNext(), rig);
    QCOMPARE(forwards.size(), forwarded);
    // Clients hear of each forwarded poke and of nothing else.
    QStringList expected;
    for (int i = 0; i < forwarded; ++i)
        expected << "TRX_LINK=" + pokes.at(i).toString();
    QCOMPARE(clientHeardSoFar(), expected);
    QCOMPARE(clientGet(QStringLiteral("TRX_LINK")), pokes.at(forwarded - 1).toString());
    // A refused poke is said once in the rig terminal; a forwarded one shows nowhere.
    QCOMPARE(m_bridge->terminal(0).lineCount(), lines + (refused ? 1 : 0));
    if (refused)
        QVERIFY(m_bridge->terminal(0).lines().last().startsWith("TRX_LINK poke refused: "));
}

void TestDbusItems::saysOnceWhyNotPublished_data()
{
    QTest::addColumn<QString>("busAddress"); // empty: none at all
    QTest::addColumn<QByteArray>("said");
    QTest::newRow("no session bus") << QString() << kNoBus;
    QTest::newRow("a bus address that leads nowhere")
        << "unix:path=" + m_runtime.path() + "/none" << kNoBus;
    QTest::newRow("another bridge holds the name")
        << qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS")
        << QByteArray("Another OVX2 holds org.orvex.OVX2 on this desktop; the items are not "
                      "published here");
}

void TestDbusItems::saysOnceWhyNotPublished()
{
    QFETCH(QString, busAddress);
    QFETCH(QByteArray, said);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    env.remove(QStringLiteral("DISPLAY")); // or the D-Bus library may start a bus of its own
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    if (busAddress.isEmpty())
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    QProcess child; // the bus answers its request for the name: this thread need not turn
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath());
    QVERIFY(child.waitForFinished(kWait));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(child.readAllStandardOutput(), said + '\n');
    // The first one runs on, and the second, gone, has not taken the name with it.
    QCOMPARE(m_client.interface()->serviceOwner(kService).value(),
             QDBusConnection::sessionBus().baseService());
    m_bridge->setTransmitting(true);
    QCOMPARE(clientGet(QStringLiteral("OVX_TX")), QStringLiteral("On"));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildVariable))
        return runChildBridge();
    TestDbusItems test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dbus_items.moc"
