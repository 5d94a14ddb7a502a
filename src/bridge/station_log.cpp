#include "bridge/station_log.h"

#include "bridge/bridge.h"
#include "monitor/terminal_model.h"

StationLog::StationLog(Bridge &bridge, std::FILE *out, QObject *parent)
    : QObject(parent), m_out(out)
{
    follow(bridge.terminal(0), "RIG");
    for (int n = 1; n <= 5; ++n)
        follow(bridge.terminal(n), "PORT " + QByteArray::number(n));
    follow(bridge.terminal(7), "SDR");
    for (int i = 1; i <= 2; ++i)
        follow(bridge.outputTerminal(i), "OUT " + QByteArray::number(i));
    follow(bridge.doorTerminal(Door::Rigctl), "NET");
    follow(bridge.doorTerminal(Door::XmlRpc), "XMLRPC");
}

void StationLog::follow(TerminalModel &terminal, const QByteArray &name)
{
    connect(&terminal, &TerminalModel::appended, this, [this, &terminal, name] {
        const QByteArray text = format(name, terminal.lines().constLast()) + '\n';
        std::fwrite(text.constData(), 1, std::size_t(text.size()), m_out);
        std::fflush(m_out);
    });
}

QByteArray StationLog::format(const QByteArray &name, const QByteArray &line)
{
    QByteArray out = name + ": ";
    for (const char c : line) {
        const auto byte = uchar(c);
        if (byte < 0x20 || byte >= 0x7F || byte == '\\')
            out += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}
