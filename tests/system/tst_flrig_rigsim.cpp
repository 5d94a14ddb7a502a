// flrig, the rig control program many hams run beside their logger, as the client of the
// ovx2-rigsim program: for every model flrig knows it opens the radio under a display of the
// test's own, and what it shows through its XML-RPC interface is what the radio has; the
// front panel's changes reach it, and its own settings reach the radio.

#include <QFileInfo>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

constexpr int kWaitMs = 20000; // far above need: flrig opens a radio in about a second

// Looks up a program the test drives: without it a developer is told how to get it and the
// test is skipped; in CI (CI set) its absence fails the test.
#define OVX2_REQUIRE_TOOL(path, name, package)                                                     \
    do {                                                                                           \
        path = QStandardPaths::findExecutable(QStringLiteral(name));                               \
        if (path.isEmpty() && qEnvironmentVariableIsSet("CI"))                                     \
            QFAIL(name " is missing; CI installs Debian's " package " for this test");             \
        if (path.isEmpty())                                                                        \
            QSKIP(name " is not installed: sudo apt-get install " package);                        \
    } while (false)

// A port nothing listens on now, for flrig's XML-RPC server.
quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// flrig's preference files (FLTK's format): which radio, on which device, at 38400 baud (the
// seventh of its rates), and the XML-RPC port.
bool writePrefs(const QString &dir, const QString &rig, const QString &device, quint16 port)
{
    const auto write = [&dir](const QString &app, const QByteArray &body) {
        QFile file(dir + QLatin1Char('/') + app + QStringLiteral(".prefs"));
        const QByteArray head = "; FLTK preferences file format 1.0\n; vendor: w1hkj.com\n"
                                "; application: " +
                                app.toUtf8() + "\n\n[.]\n\n";
        return file.open(QIODevice::WriteOnly) &&
               file.write(head + body) == head.size() + body.size();
    };
    return write(QStringLiteral("flrig"), "xcvr_name:" + rig.toUtf8() + '\n') &&
           write(rig, "version:1.4.7\nxcvr_serial_port:" + device.toUtf8() +
                          "\ncomm_baudrate:7\nxmlport:" + QByteArray::number(port) + '\n');
}

// flrig's XML-RPC methods, asked again and again while the test waits for an answer: each
// method keeps its last answer.
class FlrigClient {
public:
    explicit FlrigClient(quint16 port) : m_url(QStringLiteral("http://127.0.0.1:%1/RPC2").arg(port))
    {
    }

    // Sends the call unless one of the same method is on its way; the last answer so far.
    QString ask(const QString &method, const QString &params = {})
    {
        if (!m_pending.contains(method)) {
            QNetworkRequest request(m_url);
            request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/xml"));
            const QString body = QStringLiteral("<?xml version=\"1.0\"?><methodCall><methodName>"
                                                "%1</methodName><params>%2</params></methodCall>")
                                     .arg(method, params);
            QNetworkReply *reply = m_network.post(request, body.toUtf8());
            m_pending.insert(method);
            QObject::connect(reply, &QNetworkReply::finished, reply, [this, method, reply] {
                m_answers[method] = valueOf(reply->readAll());
                m_pending.remove(method);
                reply->deleteLater();
            });
        }
        return m_answers.value(method);
    }

private:
    // The text of the first <value>, or what went wrong.
    static QString valueOf(const QByteArray &response)
    {
        QXmlStreamReader xml(response);
        while (xml.readNextStartElement() || !xml.atEnd()) {
            if (xml.isStartElement() && xml.name() == QLatin1String("value"))
                return xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            if (xml.isStartElement() && xml.name() == QLatin1String("fault"))
                return QStringLiteral("fault");
        }
        return QStringLiteral("no answer");
    }

    QUrl m_url;
    QNetworkAccessManager m_network;
    QSet<QString> m_pending;
    QHash<QString, QString> m_answers;
};

} // namespace

class TestFlrigRigsim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void flrigShowsTheRadio_data();
    void flrigShowsTheRadio();

private:
    QString m_flrig;
    QProcess m_display;
    QString m_displayName;
};

void TestFlrigRigsim::initTestCase()
{
    QString xvfb;
    OVX2_REQUIRE_TOOL(m_flrig, "flrig", "flrig");
    OVX2_REQUIRE_TOOL(xvfb, "Xvfb", "xvfb");
    // A display of the test's own: Xvfb picks a free number and writes it to standard output.
    m_display.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QTRY_VERIFY_WITH_TIMEOUT(m_display.canReadLine(), kWaitMs);
    m_displayName = QLatin1Char(':') + QString::fromLatin1(m_display.readLine().trimmed());
}

void TestFlrigRigsim::cleanupTestCase()
{
    m_display.terminate();
    QTRY_COMPARE_WITH_TIMEOUT(m_display.state(), QProcess::NotRunning, kWaitMs);
}

void TestFlrigRigsim::flrigShowsTheRadio_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("rig"); // flrig's name for it
    // flrig has no KX2 and no FT-710; the K3S is a K3 to it.
    const char *const rows[][2] = {
        {"k3", "K3"},           {"k3s", "K3"},         {"kx3", "KX3"},
        {"k2", "K2"},           {"ts2000", "TS-2000"}, {"ts590sg", "TS-590SG"},
        {"ts480", "TS-480SAT"}, {"ft991a", "FT-991A"}, {"ftdx101d", "FTdx101D"},
        {"ft891", "FT-891"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
}

void TestFlrigRigsim::flrigShowsTheRadio()
{
    QFETCH(QString, model);
    QFETCH(QString, rig);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString device = dir.filePath(QStringLiteral("rig"));
    QProcess sim;
    sim.start(QStringLiteral(OVX2_RIGSIM_EXE),
              {QStringLiteral("--model"), model, QStringLiteral("--link"), device});
    QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), kWaitMs); // its first line: the path it serves
    QVERIFY(QFileInfo(device).isSymLink());
    sim.readLine();

    const quint16 port = freePort();
    QVERIFY(port != 0);
    QVERIFY(writePrefs(dir.path(), rig, device, port));
    QProcess flrig;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_displayName);
    flrig.setProcessEnvironment(env);
    flrig.setStandardOutputFile(QProcess::nullDevice());
    flrig.setStandardErrorFile(QProcess::nullDevice());
    flrig.start(m_flrig, {QStringLiteral("--config-dir"), dir.path() + QLatin1Char('/')});

    // What flrig read from the radio at power-on: VFO A and USB (the FT-891's sideband is a
    // menu setting flrig reads).
    FlrigClient client(port);
    const auto ask = [&client](const char *method, const QString &params = {}) {
        return client.ask(QString::fromLatin1(method), params);
    };
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_vfo"), QStringLiteral("14074000"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_mode"), QStringLiteral("USB"), kWaitMs);

    // The operator turns the dial and picks LSB: flrig's polling sees both.
    sim.write("vfo 7010000\nmode lsb\n");
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_vfo"), QStringLiteral("7010000"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_mode"), QStringLiteral("LSB"), kWaitMs);

    // flrig tunes the radio.
    ask("rig.set_vfo", QStringLiteral("<param><value><double>7040000</double></value></param>"));
    QByteArray panel;
    QTRY_VERIFY_WITH_TIMEOUT((sim.write("status\n"), panel += sim.readAllStandardOutput(),
                              panel.contains("VFO A 7.040000 MHz")),
                             kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(ask("rig.get_vfo"), QStringLiteral("7040000"), kWaitMs);

    flrig.terminate();
    QTRY_COMPARE_WITH_TIMEOUT(flrig.state(), QProcess::NotRunning, kWaitMs);
    sim.write("quit\n");
    QTRY_COMPARE_WITH_TIMEOUT(sim.state(), QProcess::NotRunning, kWaitMs);
}

QTEST_GUILESS_MAIN(TestFlrigRigsim)
#include "tst_flrig_rigsim.moc"
