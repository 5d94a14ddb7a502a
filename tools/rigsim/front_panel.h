#pragma once

#include <QByteArrayView>
#include <QString>

class RigSimServer;

// The operator at the simulated radio: one-line commands ("vfo 14074000", "tx", "band 20")
// carried out on the server's radio, whose auto-information then goes out on the CAT port.
class FrontPanel {
public:
    // What a line did: the text to show the operator, and what the caller must do next.
    struct Result {
        bool ok = true;
        QString message; // empty: nothing to show
        int waitMs = 0;  // "wait": hold the following lines this long
        bool quit = false;
    };

    // Longest line the panel reads; longer ones are refused whole.
    static constexpr qsizetype kMaxLineLength = 200;
    static constexpr int kMaxWaitMs = 3'600'000;

    explicit FrontPanel(RigSimServer &server) : m_server(server) {}

    // Carries out one line. Blank lines and lines starting with '#' do nothing.
    Result run(QByteArrayView line);

    // The commands, one per line, for --help and the "help" command.
    static QString help();

private:
    RigSimServer &m_server;
};
