#include "bridge/launcher.h"
#include "monitor/terminal_model.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Launch paths: split as the shell splits them, run through the shell when they need it, and a
// word in the port's terminal either way.
class TestLaunch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void splitAsTheShellDoes_data();
    void splitAsTheShellDoes();
    void launches_data();
    void launches();

private:
    QTemporaryDir m_home;
    QString m_programs; // a folder with a blank in its name
};

void TestLaunch::initTestCase()
{
    // ~ is this folder; in it, a program that writes its arguments (one a line) to its first.
    qputenv("HOME", QFile::encodeName(m_home.path()));
    m_programs = m_home.path() + QStringLiteral("/my programs");
    QVERIFY(QDir().mkpath(m_programs));
    QFile mark(m_programs + QStringLiteral("/mark"));
    QVERIFY(mark.open(QIODevice::WriteOnly));
    mark.write("#!/bin/sh\nout=$1\nshift\nprintf '%s\\n' \"$@\" > \"$out.tmp\"\nmv \"$out.tmp\" "
               "\"$out\"\n");
    mark.close();
    QVERIFY(mark.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QFile plain(m_home.path() + QStringLiteral("/notes.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
}

void TestLaunch::splitAsTheShellDoes_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("kind"); // none, direct, shell, invalid
    QTest::addColumn<QStringList>("words");
    const QString home = QDir::homePath();
    const QString shell = QStringLiteral("shell");
    auto row = [](const char *tag, const QString &line, const char *kind, QStringList words) {
        QTest::newRow(tag) << line << QString::fromLatin1(kind) << words;
    };
    row("plain", "/usr/bin/wsjtx --rig-name=IC7300", "direct",
        {"/usr/bin/wsjtx", "--rig-name=IC7300"});
    row("double quotes", R"("/opt/my logger/log" "say \"hi\"" "a\\b" "keep \x")", "direct",
        {"/opt/my logger/log", "say \"hi\"", "a\\b", "keep \\x"});
    row("backslashes outside quotes", R"(/opt/my\ logger/log it\'s a\\b)", "direct",
        {"/opt/my logger/log", "it's", "a\\b"});
    row("quotes inside a word", R"(ab'c d'"e f"g)", "direct", {"abc de fg"});
    row("a backslash that ends the line", "prog a\\", "direct", {"prog", "a\\"});
    row("tilde", "~/bin/log ~/file ~", "direct", {home + "/bin/log", home + "/file", home});
    row("tilde of a user", "~root/bin/x", "direct", {"/root/bin/x"});
    row("quoted tilde", "'~/x' \"~\"/y", "direct", {"~/x", "~/y"});
    row("quoted shell syntax", R"(prog 'a|b' "c;d" '$HOME' \*)", "direct",
        {"prog", "a|b", "c;d", "$HOME", "*"});
    for (const char *line : {"wsjtx | tee log", "prog; other", "$HOME/bin/log", "prog `date`",
                             "prog *.txt", "LANG=C prog"}) {
        QTest::newRow(line) << QString::fromLatin1(line) << shell
                            << QStringList{"/bin/sh", "-c", QString::fromLatin1(line)};
    }
    row("unclosed single quote", "prog 'abc", "invalid", {});
    row("Windows path", R"(C:\Program Files\Ostrel\PowerSDR-IF Stage v0.92\PowerSDR.exe)",
        "invalid", {});
    row("empty", "", "none", {});
    row("Enter Name", "Enter Name", "none", {});
}

void TestLaunch::splitAsTheShellDoes()
{
    QFETCH(QString, line);
    QFETCH(QString, kind);
    QFETCH(QStringList, words);
    const LaunchCommand command = parseLaunchLine(line);
    const char *kinds[] = {"none", "direct", "shell", "invalid"};
    QCOMPARE(QString::fromLatin1(kinds[int(command.kind)]), kind);
    if (!words.isEmpty())
        QCOMPARE(QStringList{command.program} + command.arguments, words);
    QCOMPARE(command.problem.isEmpty(), kind != QLatin1String("invalid"));
}

void TestLaunch::launches_data()
{
    QTest::addColumn<QString>("line");   // @ is the folder of the program, % the output file
    QTest::addColumn<QString>("result"); // what the program wrote, or what the terminal says
    auto row = [](const char *name, const char *line, const char *result) {
        QTest::newRow(name) << QString::fromLatin1(line) << QString::fromLatin1(result);
    };
    row("single quotes", "'@/mark' '%' 'a b'", "a b");
    row("tilde", R"(~/"my programs"/mark ~/out x)", "x");
    row("through the shell", R"("@/mark" "%" $((40 + 2)))", "42");
    row("no such file", "/no/such/program --x",
        "Cannot start /no/such/program --x: /no/such/program does not exist");
    row("unquoted blank in the path", "~/my programs/mark",
        "Cannot start ~/my programs/mark: ~/my does not exist");
    row("not executable", "~/notes.txt",
        "Cannot start ~/notes.txt: ~/notes.txt may not be run (it is not executable)");
    row("Windows path", R"(C:\Program Files\PowerSDR\PowerSDR.exe)",
        R"(Cannot start C:\Program Files\PowerSDR\PowerSDR.exe: a Windows path; type the )"
        "program's Linux command line");
    row("placeholder", "Enter Name", "Auto Launch: no program in the path box");
}

void TestLaunch::launches()
{
    QFETCH(QString, line);
    QFETCH(QString, result);
    const QString out = m_home.path() + QStringLiteral("/out");
    QFile::remove(out);
    line.replace(QLatin1Char('@'), m_programs).replace(QLatin1Char('%'), out);
    TerminalModel terminal;
    const bool started = !result.startsWith("Cannot start") && !result.startsWith("Auto Launch");
    QCOMPARE(launchProgram(line, terminal), started);
    QCOMPARE(terminal.lineCount(), 1);
    if (!started) {
        // The terminal shows the line as typed, and a path as it was looked for.
        const qsizetype colon = result.indexOf(QStringLiteral(": "));
        if (colon > 0)
            result = result.left(colon) +
                     result.mid(colon).replace(QStringLiteral("~"), QDir::homePath());
        QCOMPARE(QString::fromLocal8Bit(terminal.line(0)), result);
        return;
    }
    QVERIFY2(terminal.line(0).startsWith("Started " + line.toLocal8Bit() + " (process "),
             terminal.line(0).constData());
    QTRY_VERIFY(QFile::exists(out));
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLocal8Bit(file.readAll()), result + QLatin1Char('\n'));
}

QTEST_GUILESS_MAIN(TestLaunch)
#include "tst_launch.moc"
