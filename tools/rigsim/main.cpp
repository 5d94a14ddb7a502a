// ovx2-rigsim: a transceiver's CAT port on a pseudo-terminal, for trying the bridge and station
// programs without a radio.

#include "platform/termination_signals.h"
#include "rig_sim_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

// One line per chunk: printable ASCII as it is, anything else as \xNN.
QByteArray escaped(const QByteArray &text)
{
    QByteArray out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f && c != '\\')
            out.append(c);
        else
            out.append("\\x" + QByteArray::number(u, 16).rightJustified(2, '0'));
    }
    return out;
}

void printLine(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "ovx2-rigsim: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ovx2-rigsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulates a transceiver's CAT port on a pseudo-terminal. Prints the "
                       "device to open as its first line, then runs until stopped."));
    parser.addHelpOption();
    const QCommandLineOption rigOption(
        QStringLiteral("rig"), QStringLiteral("Radio to simulate: k3, k2, kenwood or yaesu."),
        QStringLiteral("type"), QStringLiteral("k3"));
    const QCommandLineOption baudOption(QStringLiteral("baud"),
                                        QStringLiteral("Serial speed the replies are paced at."),
                                        QStringLiteral("rate"), QStringLiteral("38400"));
    const QCommandLineOption linkOption(
        QStringLiteral("link"),
        QStringLiteral("Publish the device under this path (a symlink; an old one is replaced)."),
        QStringLiteral("path"));
    const QCommandLineOption silentOption(
        QStringLiteral("silent"), QStringLiteral("Never answer, like a radio that is off."));
    const QCommandLineOption verboseOption(
        QStringLiteral("verbose"), QStringLiteral("Print every command received and reply sent."));
    parser.addOptions({rigOption, baudOption, linkOption, silentOption, verboseOption});
    parser.process(app);

    const std::optional<RigType> type = rigTypeFromName(parser.value(rigOption));
    if (!type)
        return fail(QStringLiteral("unknown rig type '%1'; choose k3, k2, kenwood or yaesu.")
                        .arg(parser.value(rigOption)));
    bool baudOk = false;
    const int baud = parser.value(baudOption).toInt(&baudOk);
    if (!baudOk || baud < 50 || baud > 4'000'000)
        return fail(QStringLiteral("baud rate '%1' is not a number from 50 to 4000000.")
                        .arg(parser.value(baudOption)));
    // SIGTERM and SIGINT end the event loop, so the link is removed on the normal way out.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &app, &QCoreApplication::quit);

    RigSimServer server(*type, baud);
    if (!server.start())
        return fail(
            QStringLiteral("cannot create a pseudo-terminal: %1").arg(server.errorString()));
    if (parser.isSet(linkOption) && !server.publishLink(parser.value(linkOption)))
        return fail(server.errorString());
    server.setSilent(parser.isSet(silentOption));
    if (parser.isSet(verboseOption)) {
        QObject::connect(&server, &RigSimServer::received, &app,
                         [](const QByteArray &chunk) { printLine("<< " + escaped(chunk)); });
        QObject::connect(&server, &RigSimServer::sent, &app,
                         [](const QByteArray &reply) { printLine(">> " + escaped(reply)); });
    }

    printLine(server.devicePath().toLocal8Bit());
    std::fprintf(stderr, "ovx2-rigsim: %s at %d baud on %s%s; stop with Ctrl+C.\n",
                 qPrintable(simRadioName(*type)), baud, qPrintable(server.devicePath()),
                 parser.isSet(silentOption) ? " (silent)" : "");

    const int status = QCoreApplication::exec();
    server.stop();
    return status;
}
