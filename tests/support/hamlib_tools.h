#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
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

// rigctl's answers: the value lines, then "cmd: message" for the first failed command, which
// ends the list. Hamlib 4.5.4 checks an Icom's power state before every command with a read
// some of them refuse, and rigctl prints that trace with the error: the command's own message is
// the last.
inline QStringList rigctlAnswersToFirstFailure(const QByteArray &output)
{
    static const QRegularExpression message(QStringLiteral("^[A-Z][A-Za-z ,]+$"));
    QStringList out;
    QString failed, last;
    for (const QByteArray &raw : output.split('\n')) {
        const QString line = QString::fromLocal8Bit(raw).trimmed();
        const qsizetype error = line.indexOf(QLatin1String(": error = "));
        if (failed.isEmpty() && error > 0)
            failed = line.first(error);
        else if (!failed.isEmpty() && message.match(line).hasMatch())
            last = line;
        else if (failed.isEmpty() && !line.isEmpty())
            out << line;
    }
    if (!failed.isEmpty())
        out << failed + QStringLiteral(": ") + last;
    return out;
}
