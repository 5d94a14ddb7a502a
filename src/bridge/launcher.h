#pragma once

#include <QString>
#include <QStringList>

class TerminalModel;

// A launch path (the command line of a station program or the SDR program) as the process it
// starts.
struct LaunchCommand {
    enum class Kind {
        None,    // nothing to start: no text, or a path box's placeholder
        Direct,  // a program and its arguments, split as the shell splits them
        Shell,   // shell syntax (a pipe, a redirection, a variable, ...): the line goes to sh -c
        Invalid, // cannot be started as written; `problem` says why
    };
    Kind kind = Kind::None;
    QString program;
    QStringList arguments;
    QString problem;
};

// Splits a command line as /bin/sh would: blanks part words; '...' keeps every character;
// "..." keeps every character but \", \\, \$, \` and a \ before a line end; a backslash outside
// quotes keeps the next character; a ~ or ~name that starts an unquoted word, up to its first
// '/', is that home folder. Unquoted shell syntax, $ or ` in double quotes, or a first word
// NAME=value hands the whole line to /bin/sh -c instead.
LaunchCommand parseLaunchLine(const QString &line);

// Starts the program of a launch path without waiting for it (no shell unless the line needs
// one), and says in the port's terminal what was started, or why nothing could be. False when
// nothing was started.
bool launchProgram(const QString &line, TerminalModel &terminal);
