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

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <sys/stat.h>

namespace {

constexpr int kWait = 20000; // generous: a loaded two-core machine, sanitizers
const QString kService = QString::fromLatin1(kOvxCatService);
const QString kPath = QString::fromLatin1(kOvxCatPath);
const QString kInterface = QString::fromLatin1(kOvxCatInterface);
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QByteArray kNoBus = "Published items are not available: no D-Bus session bus";
const QByteArray kNameTaken =
    "Another OVX2 holds org.orvex.OVX2 on this desktop; the items are not published here";
// Written to the rig port after what a test looks at, so that "nothing else arrived" can be
// checked without waiting for a time.
const QByteArray kMarker = "#;";

// The child mode of this executable: a bridge built in a process of its own (without a bus, or
// second on the bus), printing what its rig terminal shows.
constexpr char kChildVariable[] = "OVX2_TST_CHILD_BRIDGE";

int runChildBridge()
{
    ScriptedMessenger messenger;
    QTemporaryDir scratch;
    Bridge bridge(StationSettings(), messenger, systemClock());
    QCoreApplication::processEvents();
    for (const QByteArray &line : bridge.terminal(0).lines())
        std::printf("%s\n", line.constData());
    return 0;
}

} // namespace

// What a client that follows the bridge hears: each item change ("OVX_TX=On") and any other
// signal of the items' interface ("signal <name>"), of which there must be none.
class ChangeRecorder : public QObject {
    Q_OBJECT
public:
    QStringList heard;
    QStringList interfaces;
    int invalidated = 0;

public slots:
    void changed(const QString &interface, const QVariantMap &values, const QStringList &gone)
    {
        interfaces << interface;
        invalidated += int(gone.size());
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            heard << it.key() + QLatin1Char('=') + it.value().toString();
    }
    void other(const QDBusMessage &message)
    {
        heard << QStringLiteral("signal ") + message.member();
    }
};

// The published items on a private session bus: what clients read, follow and poke, and what
// reaches the rig. The rig is the far end of a pseudo-terminal; the window is the real one.
class TestDbusItems : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void interfaceIsIntrospected();
    void outsideClientReadsEachItem_data();
    void outsideClientReadsEachItem();
    void outsideClientPokesTheRig();
    void subscriberSeesEachChange();
    void pokeReachesTheRigUnchanged_data();
    void pokeReachesTheRigUnchanged();
    void readOnlyItemsRefuseSet_data();
    void readOnlyItemsRefuseSet();
    void bridgeSaysOnceWhyItemsAreNotPublished_data();
    void bridgeSaysOnceWhyItemsAreNotPublished();

private:
    QByteArray rigReceivesNext();
    QStringList clientHeardSoFar();
    QDBusMessage clientCall(const QDBusMessage &call);
    QDBusMessage clientSet(const QString &item, const QVariant &value);
    QString clientGet(const QString &item);
    struct Run {
        int exitCode = -1;
        QString out; // standard output
        QString all; // both outputs, for failure messages
    };
    Run runTool(const QStringList &command,
                const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
    // dbus-send to the items' object, as a shell script would call it.
    Run dbusSend(const QString &print, const QString &method, const QStringList &arguments = {});

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
    QVERIFY(m_runtime.isValid());
    usePrivateRuntimeDir(m_runtime);
    QVERIFY2(QDBusConnection::sessionBus().isConnected(),
             "no session bus: run this test under dbus-run-session");

    // A config.ini of its own, so that no other test's settings reach this window.
    m_bridge = std::make_unique<Bridge>(StationSettings(), m_messenger, systemClock());
    QCOMPARE(m_bridge->dbus().outcome(), DbusPublisher::Outcome::Published);
    QCOMPARE(m_bridge->terminal(0).lineCount(), 0); // nothing to say when all is well
    QVERIFY(!m_bridge->pollTimer().isActive());

    QVERIFY2(m_rig.open(), qPrintable(m_rig.errorString()));
    connect(&m_rig, &PtyDevice::readyRead, this, [this] { m_received += m_rig.readAll(); });
    QVERIFY(m_bridge->rigPort().Open(m_rig.slavePath()));
    QCOMPARE(rigReceivesNext(), QByteArray());

    m_client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
    QVERIFY(m_client.isConnected());
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
        return "(the rig got no marker; it got: " + m_received + ")";
    QByteArray text = m_received.chopped(kMarker.size());
    m_received.clear();
    return text;
}

// Everything the client has heard since the last call. Two changes of OVX_TX mark the end: the
// bus keeps the bridge's signals in order, so all before them have arrived once they have.
QStringList TestDbusItems::clientHeardSoFar()
{
    const QString before = m_bridge->items().transmitIndicator();
    m_bridge->items().setTransmitIndicator(QStringLiteral("end mark"));
    m_bridge->items().setTransmitIndicator(before);
    const QStringList mark{QStringLiteral("OVX_TX=end mark"), QStringLiteral("OVX_TX=") + before};
    if (!QTest::qWaitFor(
            [&] {
                return m_heard.heard.size() >= 2 &&
                       m_heard.heard.sliced(m_heard.heard.size() - 2) == mark;
            },
            kWait))
        return m_heard.heard << QStringLiteral("(no end mark)");
    QStringList heard = m_heard.heard;
    m_heard.heard.clear();
    heard.resize(heard.size() - 2);
    return heard;
}

// Asynchronous: the bridge answers on this very thread.
QDBusMessage TestDbusItems::clientCall(const QDBusMessage &call)
{
    QDBusPendingCall pending = m_client.asyncCall(call, kWait);
    if (!QTest::qWaitFor([&pending] { return pending.isFinished(); }, kWait + 5000))
        return QDBusMessage::createError(QStringLiteral("test.NoAnswer"), QString());
    return pending.reply();
}

QDBusMessage TestDbusItems::clientSet(const QString &item, const QVariant &value)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Set"));
    call << kInterface << item << QVariant::fromValue(QDBusVariant(value));
    return clientCall(call);
}

QString TestDbusItems::clientGet(const QString &item)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Get"));
    call << kInterface << item;
    const QDBusMessage reply = clientCall(call);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return QStringLiteral("(error: ") + reply.errorName() + QLatin1Char(')');
    return qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toString();
}

// A program run as another client of the bus; the event loop runs meanwhile, since the bridge
// it talks to lives on this thread.
TestDbusItems::Run TestDbusItems::runTool(const QStringList &command,
                                          const QProcessEnvironment &env)
{
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(command.first(), command.mid(1));
    Run run;
    if (!QTest::qWaitFor([&tool] { return tool.state() == QProcess::NotRunning; }, 60000)) {
        tool.kill();
        tool.waitForFinished();
        run.all = command.first() + QStringLiteral(": timed out");
        return run;
    }
    if (tool.error() == QProcess::FailedToStart) {
        run.all = command.first() + QStringLiteral(": ") + tool.errorString();
        return run;
    }
    run.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    run.out = QString::fromUtf8(tool.readAllStandardOutput());
    run.all = run.out + QString::fromUtf8(tool.readAllStandardError());
    return run;
}

TestDbusItems::Run TestDbusItems::dbusSend(const QString &print, const QString &method,
                                           const QStringList &arguments)
{
    return runTool(QStringList{QStringLiteral("dbus-send"), QStringLiteral("--session"), print,
                               QStringLiteral("--dest=") + kService, kPath, method} +
                   arguments);
}

void TestDbusItems::interfaceIsIntrospected()
{
    // What clients are told is the XML file's interface element, put in by the build.
    const Run run = dbusSend(QStringLiteral("--print-reply=literal"),
                             QStringLiteral("org.freedesktop.DBus.Introspectable.Introspect"));
    QVERIFY2(run.exitCode == 0, qPrintable(run.all));
    QVERIFY2(run.out.contains(QStringLiteral("<interface name=\"%1\">").arg(kInterface)) &&
                 run.out.count(QLatin1String("<property ")) == 3,
             qPrintable(run.out));
    // All the items at once, each a string.
    const Run all =
        dbusSend(QStringLiteral("--print-reply"), kProperties + QStringLiteral(".GetAll"),
                 {QStringLiteral("string:") + kInterface});
    QVERIFY2(all.exitCode == 0, qPrintable(all.all));
    for (const char *item : {"OVX_TX", "Text8", "TRX_LINK"})
        QVERIFY2(
            all.out.contains(QStringLiteral("string \"%1\"\n         variant             string")
                                 .arg(QLatin1String(item))),
            qPrintable(all.out));
}

void TestDbusItems::outsideClientReadsEachItem_data()
{
    QTest::addColumn<QByteArray>("rigSends");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("expected");
    auto row = [](const char *name, const char *rigSends, const char *button, const char *item,
                  const char *expected) {
        QTest::newRow(name) << QByteArray(rigSends) << QString::fromLatin1(button)
                            << QString::fromLatin1(item) << QString::fromLatin1(expected);
    };
    // In order: the first rows see the items as the window starts.
    row("Text8 before any FA reply", "", "", "Text8", "Text8");
    row("TRX_LINK before any poke", "", "", "TRX_LINK", "");
    row("Text8 after an FA reply", "FA00014060000;", "", "Text8", "FA00014060000;");
    row("OVX_TX on TQ1;", "TQ1;", "", "OVX_TX", "On");
    row("OVX_TX on TQ0;", "TQ0;", "", "OVX_TX", "Off");
    row("OVX_TX by the TX button", "", "cmdTX", "OVX_TX", "On");
    row("OVX_TX by the RX button", "", "cmdRX", "OVX_TX", "Off");
}

void TestDbusItems::outsideClientReadsEachItem()
{
    QFETCH(QByteArray, rigSends);
    QFETCH(QString, button);
    QFETCH(QString, item);
    QFETCH(QString, expected);
    if (!rigSends.isEmpty()) {
        const int lines = m_bridge->terminal(0).lineCount();
        m_rig.write(rigSends);
        QTRY_COMPARE_WITH_TIMEOUT(m_bridge->terminal(0).lineCount(), lines + 1, kWait);
    }
    if (!button.isEmpty())
        m_bridge->setTransmitting(button == QLatin1String("cmdTX"));

    const Run run =
        dbusSend(QStringLiteral("--print-reply"), kProperties + QStringLiteral(".Get"),
                 {QStringLiteral("string:") + kInterface, QStringLiteral("string:") + item});
    QVERIFY2(run.exitCode == 0, qPrintable(run.all));
    // The line after the header: |   variant       string "On"|
    const QString variant = run.out.section(QLatin1Char('\n'), 1).trimmed();
    QCOMPARE(variant.section(QLatin1Char('"'), 0, 0).simplified(),
             QStringLiteral("variant string"));
    QCOMPARE(variant.section(QLatin1Char('"'), 1, -2), expected);
}

void TestDbusItems::outsideClientPokesTheRig()
{
    QSignalSpy forwarded(&m_bridge->items(), &PublishedItems::trxLinkChanged);
    const Run run =
        dbusSend(QStringLiteral("--print-reply"), kProperties + QStringLiteral(".Set"),
                 {QStringLiteral("string:") + kInterface, QStringLiteral("string:TRX_LINK"),
                  QStringLiteral("variant:string:TX;")});
    QVERIFY2(run.exitCode == 0, qPrintable(run.all));
    QCOMPARE(forwarded.size(), 1);
    // The poke, then the bridge's read of what it changed.
    QCOMPARE(rigReceivesNext(), QByteArray("TX;TQ;"));
    QCOMPARE(m_bridge->items().trxLink(), QStringLiteral("TX;"));
    QCOMPARE(m_bridge->terminal(0).lines().count("TX;"), 0); // no terminal shows a poke

    // A command cut short is refused to the client, and nothing reaches the rig.
    const Run cut =
        dbusSend(QStringLiteral("--print-reply"), kProperties + QStringLiteral(".Set"),
                 {QStringLiteral("string:") + kInterface, QStringLiteral("string:TRX_LINK"),
                  QStringLiteral("variant:string:TX0;FA")});
    QVERIFY2(cut.exitCode != 0, qPrintable(cut.all));
    QVERIFY2(cut.all.contains(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs")) &&
                 cut.all.contains(QStringLiteral("does not end with ';'")),
             qPrintable(cut.all));
    QCOMPARE(forwarded.size(), 1);
    QCOMPARE(rigReceivesNext(), QByteArray());
}

void TestDbusItems::subscriberSeesEachChange()
{
    const auto tx = [this] { m_bridge->setTransmitting(true); };
    const auto rx = [this] { m_bridge->setTransmitting(false); };
    rx();
    clientHeardSoFar();
    m_heard.interfaces.clear();

    tx();
    tx(); // the same text again: no change
    rx();
    rx();
    // Polling brings the same FA reply over and over; clients hear of it once.
    const int lines = m_bridge->terminal(0).lineCount();
    m_rig.write("FA00014070000;FA00014070000;");
    QTRY_COMPARE_WITH_TIMEOUT(m_bridge->terminal(0).lineCount(), lines + 2, kWait);

    QCOMPARE(clientHeardSoFar(),
             (QStringList{QStringLiteral("OVX_TX=On"), QStringLiteral("OVX_TX=Off"),
                          QStringLiteral("Text8=FA00014070000;")}));
    QCOMPARE(m_heard.interfaces, QStringList(5, kInterface)); // with the end mark
    QCOMPARE(m_heard.invalidated, 0);
}

void TestDbusItems::pokeReachesTheRigUnchanged_data()
{
    QTest::addColumn<QVariantList>("pokes");
    QTest::addColumn<QByteArray>("rig");
    QTest::addColumn<int>("forwarded");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("refused");

    const QString rx = QStringLiteral("RX;");
    // Each poke reaches the rig as it is, followed by the bridge's read of what it changed.
    QTest::newRow("a command") << QVariantList{"TX;"} << QByteArray("TX;TQ;") << 1 << "TX;"
                               << false;
    QTest::newRow("the same text again")
        << QVariantList{rx, rx} << QByteArray("RX;TQ;RX;TQ;") << 2 << "RX;" << false;
    QTest::newRow("several commands, not split, nothing added among them")
        << QVariantList{"FA00014070000;MD3;"} << QByteArray("FA00014070000;MD3;FA;MD;") << 1
        << "FA00014070000;MD3;" << false;
    QTest::newRow("8-bit characters, one byte each")
        << QVariantList{QString::fromLatin1("\xe9\xff;")} << QByteArray("\xe9\xff;") << 1
        << QString::fromLatin1("\xe9\xff;") << false;
    const QString atBound = QString(OvxCatObject::kMaxPoke - 1, QLatin1Char('F')) + u';';
    // A refused poke, after one that went through: the rig gets only the first.
    auto refused = [&rx](const char *name, const QVariant &poke) {
        QTest::newRow(name) << QVariantList{rx, poke} << QByteArray("RX;TQ;") << 1 << rx << true;
    };
    refused("over the size bound", QString(OvxCatObject::kMaxPoke, QLatin1Char('F')) + u';');
    refused("no ';' at the end", QStringLiteral("TX0;FA"));
    refused("beyond 8-bit text", QStringLiteral("FA\u20ac;"));
    refused("bytes that are not UTF-8", QByteArray("FA\xff\xfe;"));
}

void TestDbusItems::pokeReachesTheRigUnchanged()
{
    QFETCH(QVariantList, pokes);
    QFETCH(QByteArray, rig);
    QFETCH(int, forwarded);
    QFETCH(QString, after);
    QFETCH(bool, refused);

    QSignalSpy forwards(&m_bridge->items(), &PublishedItems::trxLinkChanged);
    const int lines = m_bridge->terminal(0).lineCount();
    for (qsizetype i = 0; i < pokes.size(); ++i) {
        // A refused poke (the last of its row) is answered with an error saying why.
        const QDBusMessage reply = clientSet(QStringLiteral("TRX_LINK"), pokes.at(i));
        if (refused && i == pokes.size() - 1) {
            QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
            QVERIFY2(reply.errorMessage().startsWith(QStringLiteral("TRX_LINK poke refused: ")),
                     qPrintable(reply.errorMessage()));
        } else {
            QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        }
    }
    QCOMPARE(rigReceivesNext(), rig);
    QCOMPARE(forwards.size(), forwarded);
    // Clients hear of each forwarded poke (they come first in each row) and of nothing else.
    QStringList expected;
    for (int i = 0; i < forwarded; ++i)
        expected << QStringLiteral("TRX_LINK=") + pokes.at(i).toString();
    QCOMPARE(clientHeardSoFar(), expected);
    QCOMPARE(clientGet(QStringLiteral("TRX_LINK")), after);
    QCOMPARE(m_bridge->items().trxLink(), after);
    // A refused poke is said once in the rig terminal; a forwarded one shows nowhere.
    QCOMPARE(m_bridge->terminal(0).lineCount(), lines + (refused ? 1 : 0));
    if (refused)
        QVERIFY2(m_bridge->terminal(0).lines().last().startsWith("TRX_LINK poke refused: "),
                 m_bridge->terminal(0).lines().last().constData());
}

void TestDbusItems::readOnlyItemsRefuseSet_data()
{
    QTest::addColumn<QString>("item");
    QTest::newRow("Text8") << "Text8";
}

void TestDbusItems::readOnlyItemsRefuseSet()
{
    QFETCH(QString, item);
    const QString before = clientGet(item);
    const QDBusMessage reply = clientSet(item, QStringLiteral("On"));
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"));
    QCOMPARE(clientGet(item), before);
}

void TestDbusItems::bridgeSaysOnceWhyItemsAreNotPublished_data()
{
    QTest::addColumn<QString>("busAddress"); // empty: none at all
    QTest::addColumn<QByteArray>("said");
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    QTest::newRow("no session bus") << QString() << kNoBus;
    QTest::newRow("a bus address that leads nowhere")
        << QStringLiteral("unix:path=") + m_runtime.path() + QStringLiteral("/no-bus") << kNoBus;
    QTest::newRow("another bridge holds the name") << address << kNameTaken;
}

// A window of its own in a child process, as a second bridge on the desktop would be.
void TestDbusItems::bridgeSaysOnceWhyItemsAreNotPublished()
{
    QFETCH(QString, busAddress);
    QFETCH(QByteArray, said);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("DISPLAY")); // or the D-Bus library may start a bus of its own
    if (busAddress.isEmpty())
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    else
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    const Run run = runTool({QCoreApplication::applicationFilePath()}, env);
    QVERIFY2(run.exitCode == 0, qPrintable(run.all));
    QCOMPARE(run.out.toUtf8(), said + '\n');
    // The first one runs on, and the second, gone, has not taken the name with it.
    const QDBusReply<QString> owner = m_client.interface()->serviceOwner(kService);
    QCOMPARE(owner.value(), QDBusConnection::sessionBus().baseService());
    m_bridge->setTransmitting(true);
    QCOMPARE(clientGet(QStringLiteral("OVX_TX")), QStringLiteral("On"));
    m_bridge->setTransmitting(false);
    QCOMPARE(clientGet(QStringLiteral("OVX_TX")), QStringLiteral("Off"));
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
