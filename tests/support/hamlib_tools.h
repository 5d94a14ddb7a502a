#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTcpServer>
#include <QTest>

// Hamlib's rigctl and rigctld are the suite's clients: a developer without them is told how to
// get them and the test is skipped; in CI (CI set) their absence fails the test.
#define OVX2_REQUIRE_HAMLIB_TOOL(path, name)                                                       \
    do {                                                                                           \
        path = QStandardPaths::findExecutable(QStringLiteral(name));                               \
        if (path.isEmpty() && qEnvironmentVariableIsSet("CI"))                                     \
            QFAIL(name " is missing; CI installs Debian's libhamlib-utils for this test");         \
        if (path.isEmpty())                                                                        \
            QSKIP(name " is not installed: sudo apt-get install libhamlib-utils (Hamlib 4.5.4)");  \
    } while (false)

// rigctl's answers in order: the value lines, and for a failed command "cmd: message" (rigctl
// prints "cmd: error = " and a trace that ends with the message on a line of its own).
inline QStringList rigctlAnswers(const QByteArray &output)
{
    static const QRegularExpression message(QStringLiteral("^[A-Z][A-Za-z ,]+$"));
    QStringList out;
    QString failed;
    for (const QByteArray &raw : output.split('\n')) {
        const QString line = QString::fromLocal8Bit(raw).trimmed();
        if (!failed.isEmpty()) {
            if (message.match(line).hasMatch()) {
                out << failed + QStringLiteral(": ") + line;
                failed.clear();
            }
            continue;
        }
        const qsizetype error = line.indexOf(QLatin1String(": error = "));
        if (error > 0)
            failed = line.first(error);
        else if (!line.isEmpty())
            out << line;
    }
    return out;
}

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
