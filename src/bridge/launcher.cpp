#include "bridge/launcher.h"

#include "monitor/terminal_model.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <pwd.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Characters that mean shell syntax outside quotes: pipes, lists, redirections, sub-shells,
// expansions and patterns. A line with any of them runs through the shell.
constexpr std::string_view kShellSyntax = "|&;<>()$`*?[";
// Inside double quotes only these keep a meaning for the shell (expansions).
constexpr std::string_view kShellSyntaxInDoubleQuotes = "$`";
// Inside double quotes a backslash escapes only these.
constexpr std::string_view kEscapedInDoubleQuotes = "$`\"\\\n";
constexpr std::string_view kBlanks = " \t\n";
// What the path boxes hold before the user types a program: nothing to start.
constexpr std::array<std::string_view, 2> kPlaceholders{"Enter Name",
                                                        "Enter Full Path Per Above Example"};

bool isIn(std::string_view set, QChar c)
{
    return c.unicode() < 128 && set.find(char(c.unicode())) != std::string_view::npos;
}

// The home folder a tilde prefix names ("" for the user's own), empty when it names none.
QString homeOf(const QString &user)
{
    if (user.isEmpty())
        return QDir::homePath();
    const passwd *entry = ::getpwnam(user.toLocal8Bit().constData());
    return entry ? QFile::decodeName(entry->pw_dir) : QString();
}

// Why a program cannot be started; empty when it can be tried.
QString whyNotStartable(const QString &program)
{
    if (!program.contains(QLatin1Char('/'))) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            return QStringLiteral("no program \"%1\" in the folders of PATH").arg(program);
        return {};
    }
    const QFileInfo file(program);
    if (!file.exists())
        return QStringLiteral("%1 does not exist").arg(program);
    if (file.isDir())
        return QStringLiteral("%1 is a folder, not a program").arg(program);
    if (!file.isExecutable())
        return QStringLiteral("%1 may not be run (it is not executable)").arg(program);
    return {};
}

} // namespace

LaunchCommand parseLaunchLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    LaunchCommand command;
    for (std::string_view placeholder : kPlaceholders) {
        if (trimmed == QLatin1String(placeholder.data(), qsizetype(placeholder.size())))
            return command;
    }
    if (trimmed.isEmpty())
        return command;
    // A Windows path, as a config.ini brought from a Windows machine holds: it names nothing here.
    static const QRegularExpression windowsPath(QStringLiteral(R"(^["']?[A-Za-z]:[\\/])"));
    if (windowsPath.match(trimmed).hasMatch()) {
        command.kind = LaunchCommand::Kind::Invalid;
        command.problem = QStringLiteral("a Windows path; type the program's Linux command line");
        return command;
    }
    static const QRegularExpression assignment(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*="));
    bool needsShell = assignment.match(trimmed).hasMatch();

    enum class Quote { None, Single, Double };
    Quote quote = Quote::None;
    QStringList words;
    QString word;
    bool inWord = false;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        const QChar next = i + 1 < n ? line[i + 1] : QChar();
        if (quote == Quote::Single) {
            if (c == QLatin1Char('\''))
                quote = Quote::None;
            else
                word += c;
            continue;
        }
        if (quote == Quote::Double) {
            if (c == QLatin1Char('"')) {
                quote = Quote::None;
            } else if (c == QLatin1Char('\\') && isIn(kEscapedInDoubleQuotes, next)) {
                if (next != QLatin1Char('\n'))
                    word += next;
                ++i;
            } else {
                needsShell = needsShell || isIn(kShellSyntaxInDoubleQuotes, c);
                word += c;
            }
            continue;
        }
        if (isIn(kBlanks, c)) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('\\')) {
            if (next.isNull()) {
                word += c; // a backslash that ends the line stands for itself
            } else {
                if (next != QLatin1Char('\n'))
                    word += next;
                ++i;
            }
            inWord = true;
        } else if (c == QLatin1Char('\'')) {
            quote = Quote::Single;
            inWord = true;
        } else if (c == QLatin1Char('"')) {
            quote = Quote::Double;
            inWord = true;
        } else if (c == QLatin1Char('~') && !inWord) {
            // The prefix up to the first '/' or blank names the home; quoted, it is not one.
            qsizetype end = i + 1;
            while (end < n && line[end] != QLatin1Char('/') && !isIn(kBlanks, line[end]))
                ++end;
            const QString user = line.mid(i + 1, end - i - 1);
            const bool plain = std::none_of(user.cbegin(), user.cend(), [](QChar u) {
                return u == QLatin1Char('\'') || u == QLatin1Char('"') || u == QLatin1Char('\\') ||
                       isIn(kShellSyntax, u);
            });
            const QString home = plain ? homeOf(user) : QString();
            if (home.isEmpty()) {
                word += c;
            } else {
                word += home;
                i = end - 1;
            }
            inWord = true;
        } else if (c == QLatin1Char('#') && !inWord) {
            needsShell = true; // a comment: the shell drops the rest of the line
            inWord = true;
            word += c;
        } else {
            needsShell = needsShell || isIn(kShellSyntax, c);
            word += c;
            inWord = true;
        }
    }
    if (quote != Quote::None) {
        command.kind = LaunchCommand::Kind::Invalid;
        command.problem = quote == Quote::Single ? QStringLiteral("a ' is not closed")
                                                 : QStringLiteral("a \" is not closed");
        return command;
    }
    if (inWord)
        words << word;
    if (needsShell) {
        command.kind = LaunchCommand::Kind::Shell;
        command.program = QStringLiteral("/bin/sh");
        command.arguments = {QStringLiteral("-c"), line};
        return command;
    }
    command.kind = LaunchCommand::Kind::Direct;
    command.program = words.value(0);
    command.arguments = words.mid(1);
    return command;
}

bool launchProgram(const QString &line, TerminalModel &terminal)
{
    auto say = [&terminal](const QString &text) { AppendToTerminal(terminal, text.toLocal8Bit()); };
    const LaunchCommand command = parseLaunchLine(line);
    const QString shown = line.trimmed();
    QString problem;
    switch (command.kind) {
    case LaunchCommand::Kind::None:
        say(QStringLiteral("Auto Launch: no program in the path box"));
        return false;
    case LaunchCommand::Kind::Invalid:
        problem = command.problem;
        break;
    case LaunchCommand::Kind::Direct:
    case LaunchCommand::Kind::Shell:
        problem = whyNotStartable(command.program);
        break;
    }
    if (problem.isEmpty()) {
        QProcess process;
        process.setProgram(command.program);
        process.setArguments(command.arguments);
        qint64 pid = 0;
        if (process.startDetached(&pid)) {
            say(QStringLiteral("Started %1 (process %2)").arg(shown).arg(pid));
            return true;
        }
        problem = process.errorString();
    }
    say(QStringLiteral("Cannot start %1: %2").arg(shown, problem));
    return false;
}
