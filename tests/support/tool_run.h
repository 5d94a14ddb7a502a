#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
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

} // namespace test_tools
