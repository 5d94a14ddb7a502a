#pragma once

#include <QObject>

#include <cstdio>

class Bridge;
class TerminalModel;

// The bridge's terminals as lines of text, for a bridge without a window: every line a terminal
// shows, one line each, after the terminal's name ("RIG: Virtual K3 Loaded", "PORT 2: FA;",
// "NET: #1> f"). A byte that is not printable ASCII is written as \xNN (a backslash too), so a
// line never breaks and a journal takes it as text.
class StationLog : public QObject {
    Q_OBJECT
public:
    StationLog(Bridge &bridge, std::FILE *out, QObject *parent = nullptr);

    // A line as it is written, without its line end.
    static QByteArray format(const QByteArray &name, const QByteArray &line);

private:
    void follow(TerminalModel &terminal, const QByteArray &name);

    std::FILE *m_out;
};
