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
    QTemporaryDir m_home; // ~, with "my programs/mark": writes its arguments, one a line, to $1
};

void TestLaunch::initTestCase()
{
    qputenv("HOME", QFile::encodeName(m_home.path()));
    QVERIFY(QDir(m_home.path()).mkpath(QStringLiteral("my programs")));
    QFile mark(m_home.path() + QStringLiteral("/my programs/mark"));
    QVERIFY(mark.open(QIODevice::WriteOnly));
    mark.write("#!/bin/sh\nout=$1\nshift\nprintf '%s\\n' \"$@\" > \"$out.tmp\"\nmv \"$out.tmp\" "
               "\"$out\"\n");
    QVERIFY(mark.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QFile(m_home.path() + QStringLiteral("/notes.txt")).open(QIODevice::WriteOnly));
}

void TestLaunch::splitAsTheShellDoes_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<LaunchCommand::Kind>("kind");
    QTest::addColumn<QStringList>("words");
    using K = LaunchCommand::Kind;
    const QString home = QDir::homePath();
    auto row = [](const char *line, K kind, const QStringList &words) {
        QTest::newRow(line) << QString::fromLatin1(line) << kind << words;
    };
    row("/usr/bin/wsjtx --rig-name=IC7300", K::Direct, {"/usr/bin/wsjtx", "--rig-name=IC7300"});
    row(R"("/opt/my logger/log" "say \"hi\"" "a\\b" "keep \x")", K::Direct,
        {"/opt/my logger/log", "say \"hi\"", "a\\b", "keep \\x"});
    row(R"(/opt/my\ logger/log it\'s a\\b)", K::Direct, {"/opt/my logger/log", "it's", "a\\b"});
    row(R"(ab'c d'"e f"g)", K::Direct, {"abc de fg"});
    row("prog a\\", K::Direct, {"prog", "a\\"});
    row("~/bin/log ~/file ~", K::Direct, {home + "/bin/log", home + "/file", home});
    row("~root/bin/x", K::Direct, {"/root/bin/x"});
    row("'~/x' \"~\"/y", K::Direct, {"~/x", "~/y"});
    row(R"(prog 'a|b' "c;d" '$HOME' \*)", K::Direct, {"prog", "a|b", "c;d", "$HOME", "*"});
    for (const char *line : {"prog 'abc", R"(C:\Program Files\PowerSDR-IF Stage v0.92\a.exe)"})
        row(line, K::Invalid, {});
    for (const char *line : {"", "Enter Name"})
        row(line, K::None, {});
    for (const char *line : {"wsjtx | tee log", "prog; other", "$HOME/bin/log", "prog `date`",
                             "prog *.txt", "LANG=C prog"})
        row(line, K::Shell, {"/bin/sh", "-c", QString::fromLatin1(line)});
}

void TestLaunch::splitAsTheShellDoes()
{
    QFETCH(QString, line);
    QFETCH(LaunchCommand::Kind, kind);
    QFETCH(QStringList, words);
    const LaunchCommand command = parseLaunchLine(line);
    QCOMPARE(command.kind, kind);
    if (!words.isEmpty())
        QCOMPARE(QStringList{command.program} + command.arguments, words);
    QCOMPARE(command.problem.isEmpty(), kind != LaunchCommand::Kind::Invalid);
}

void TestLaunch::launches_data()
{
    QTest::addColumn<QString>("line");   // @ is the programs' folder, % the output file
    QTest::addColumn<QString>("result"); // what the program wrote, or what the terminal says
    const char *const rows[][2] = {
        {"'@/mark' '%' 'a b'", "a b"},
        {R"(~/"my programs"/mark ~/out x)", "x"},
        {R"("@/mark" "%" $((40 + 2)))", "42"},
        {"/no/such/program --x",
         "Cannot start /no/such/program --x: /no/such/program does not exist"},
        {"~/my programs/mark", "Cannot start ~/my programs/mark: ~/my does not exist"},
        {"~/notes.txt",
         "Cannot start ~/notes.txt: ~/notes.txt may not be run (it is not executable)"},
        {R"(C:\Program Files\PowerSDR\PowerSDR.exe)",
         R"(Cannot start C:\Program Files\PowerSDR\PowerSDR.exe: a Windows path; type the )"
         "program's Linux command line"},
        {"Enter Name", "Auto Launch: no program in the path box"},
    };
    for (const auto &[line, result] : rows)
        QTest::newRow(line) << QString::fromLatin1(line) << QString::fromLatin1(result);
}

void TestLaunch::launches()
{
    QFETCH(QString, line);
    QFETCH(QString, result);
    const QString out = m_home.path() + QStringLiteral("/out");
    QFile::remove(out);
    line.replace(u'@', m_home.path() + QStringLiteral("/my programs")).replace(u'%', out);
    TerminalModel terminal;
    const bool started = !result.startsWith("Cannot start") && !result.startsWith("Auto Launch");
    QCOMPARE(launchProgram(line, terminal), started);
    QCOMPARE(terminal.lineCount(), 1);
    if (!started) {
        // The terminal shows the line as typed, and a path as it was looked for.
        const qsizetype colon = result.indexOf(QStringLiteral(": "));
        if (colon > 0)
            result = result.left(colon) + result.mid(colon).replace(u'~', QDir::homePath());
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
