// ovx2-rigsim: a transceiver's CAT port on a pseudo-terminal, for trying the bridge and station
// programs without a radio.

#include "rig_sim_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &byte, 1); // async-signal-safe
}

// SIGTERM and SIGINT end the event loop, so the link is removed on the normal way out.
bool installSignalHandlers(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte;
        [[maybe_unused]] auto n = ::read(g_signalPipe[0], &byte, 1);
        app.quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGINT, &action, nullptr) == 0;
}

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

    const std::optional<SimRig> type = simRigFromName(parser.value(rigOption));
    if (!type)
        return fail(QStringLiteral("unknown rig type '%1'; choose k3, k2, kenwood or yaesu.")
                        .arg(parser.value(rigOption)));
    bool baudOk = false;
    const int baud = parser.value(baudOption).toInt(&baudOk);
    if (!baudOk || baud < 50 || baud > 4'000'000)
        return fail(QStringLiteral("baud rate '%1' is not a number from 50 to 4000000.")
                        .arg(parser.value(baudOption)));
    if (!installSignalHandlers(app))
        return fail(QStringLiteral("cannot install the signal handlers."));

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
                 qPrintable(simRigName(*type)), baud, qPrintable(server.devicePath()),
                 parser.isSet(silentOption) ? " (silent)" : "");

    const int status = QCoreApplication::exec();
    server.stop();
    return status;
}
