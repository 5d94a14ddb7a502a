#pragma once

// flrig driven by a test: its display, its preference files, a port for its XML-RPC server, and
// a client of that server.

#include <QFile>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTest>
#include <QXmlStreamReader>

#include <functional>

namespace flrig_tools {

constexpr int kWaitMs = 20000; // far above need: flrig opens a radio in about a second

// A program the test drives: skipped without it, failed in CI (CI set).
#define OVX2_REQUIRE_TOOL(path, name, package)                                                     \
    do {                                                                                           \
        path = QStandardPaths::findExecutable(QStringLiteral(name));                               \
        if (path.isEmpty() && qEnvironmentVariableIsSet("CI"))                                     \
            QFAIL(name " is missing; CI installs Debian's " package " for this test");             \
        if (path.isEmpty())                                                                        \
            QSKIP(name " is not installed: sudo apt-get install " package);                        \
    } while (false)

// A display of the test's own: Xvfb picks a free number and writes it to standard output.
class FlrigDisplay {
public:
    ~FlrigDisplay()
    {
        m_xvfb.terminate();
        m_xvfb.waitForFinished(kWaitMs);
    }
    bool start(const QString &xvfb)
    {
        m_xvfb.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!QTest::qWaitFor([this] { return m_xvfb.canReadLine(); }, kWaitMs))
            return false;
        m_name = QLatin1Char(':') + QString::fromLatin1(m_xvfb.readLine().trimmed());
        return true;
    }
    QString name() const { return m_name; } // ":N"

private:
    QProcess m_xvfb;
    QString m_name;
};

// flrig started on the preference folder `dir`, on `display`.
inline void startFlrig(QProcess &flrig, const QString &program, const QString &dir,
                       const QString &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    flrig.setProcessEnvironment(env);
    flrig.setStandardOutputFile(QProcess::nullDevice());
    flrig.setStandardErrorFile(QProcess::nullDevice());
    flrig.start(program, {QStringLiteral("--config-dir"), dir + QLatin1Char('/')});
}

// flrig's preference files (FLTK's format): which radio, on which device, at 38400 baud (the
// seventh of its rates), and the XML-RPC port.
inline bool writePrefs(const QString &dir, const QString &rig, const QString &device, quint16 port)
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

// flrig's XML-RPC methods, asked again and again while the test waits: each keeps its last answer.
class FlrigClient {
public:
    explicit FlrigClient(quint16 port) : m_url(QStringLiteral("http://127.0.0.1:%1/RPC2").arg(port))
    {
    }

    // Sends the call unless one of the same method is on its way.
    QString ask(const char *name, const QString &params = {})
    {
        const QString method = QString::fromLatin1(name);
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

// flrig, started on the preference folder `dir` and serving XML-RPC on `port`, reads the radio at
// power-on (VFO A 14.074 MHz, USB), follows the operator (`panel` takes a front-panel line) and
// tunes the radio (`tuned` tells when the radio has 7.040 MHz).
inline void flrigFollowsAndTunes(const QString &program, const QString &dir, const QString &display,
                                 quint16 port, const std::function<void(const QByteArray &)> &panel,
                                 const std::function<bool()> &tuned)
{
    QProcess flrig;
    startFlrig(flrig, program, dir, display);
    FlrigClient client(port);
    QTRY_COMPARE_WITH_TIMEOUT(client.ask("rig.get_vfo"), QStringLiteral("14074000"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(client.ask("rig.get_mode"), QStringLiteral("USB"), kWaitMs);
    panel("vfo 7010000"), panel("mode lsb");
    QTRY_COMPARE_WITH_TIMEOUT(client.ask("rig.get_vfo"), QStringLiteral("7010000"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(client.ask("rig.get_mode"), QStringLiteral("LSB"), kWaitMs);
    client.ask("rig.set_vfo",
               QStringLiteral("<param><value><double>7040000</double></value></param>"));
    QTRY_VERIFY_WITH_TIMEOUT(tuned(), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(client.ask("rig.get_vfo"), QStringLiteral("7040000"), kWaitMs);
    flrig.terminate();
    QTRY_COMPARE_WITH_TIMEOUT(flrig.state(), QProcess::NotRunning, kWaitMs);
}

} // namespace flrig_tools

using flrig_tools::FlrigClient;
using flrig_tools::FlrigDisplay;
using flrig_tools::flrigFollowsAndTunes;
using flrig_tools::kWaitMs;
using flrig_tools::startFlrig;
using flrig_tools::writePrefs;
