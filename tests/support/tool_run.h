#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace test_tools {

inline quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// A program run to its end while this thread's event loop (the bridge, a door) turns.
struct ToolRun {
    bool ok = false; // ended by itself with exit code 0
    QByteArray out, err;
    qint64 firstLineMs = -1; // when its first line of output came
};

inline ToolRun runTool(const QString &program, const QStringList &args, int timeoutMs = 60000)
{
    ToolRun r;
    QProcess p;
    QElapsedTimer clock;
    QObject::connect(&p, &QProcess::readyReadStandardOutput, &p, [&] {
        r.out += p.readAllStandardOutput();
        if (r.firstLineMs < 0 && r.out.contains('\n'))
            r.firstLineMs = clock.elapsed();
    });
    clock.start();
    p.start(program, args);
    const bool ended =
        p.waitForStarted(timeoutMs) &&
        QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, timeoutMs);
    if (!ended) {
        p.kill();
        p.waitForFinished(timeoutMs);
    }
    r.out += p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.ok = ended && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return r;
}

// Starts a server program (rigctld) on a free local port, "%port" in its arguments standing for
// it; the port once the server takes connections, or 0. A test running beside this one may take
// the same free port first: the server then cannot listen and ends, and another port is tried,
// rather than this test talking to the other test's server.
inline quint16 startServer(QProcess &server, const QString &program, const QStringList &arguments)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        const quint16 port = freePort();
        server.start(program, QStringList(arguments).replaceInStrings(QStringLiteral("%port"),
                                                                      QString::number(port)));
        if (!server.waitForStarted())
            return 0;
        const auto listening = [port] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(1000);
        };
        const bool up = QTest::qWaitFor(
            [&] { return server.state() != QProcess::Running || listening(); }, 60000);
        if (up && server.state() == QProcess::Running)
            return port;
        if (!up) { // running, and still not listening: give up
            server.kill();
            server.waitForFinished();
            return 0;
        }
    }
    return 0;
}

} // namespace test_tools
