// ovx2-rigsim: a transceiver's CAT port on a pseudo-terminal, for trying the bridge and station
// programs without a radio, with the radio's front panel on standard input.

#include "front_panel.h"
#include "panel_input.h"
#include "platform/termination_signals.h"
#include "rig_sim_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

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

// A CI-V frame in hex: "FE FE 94 E0 03 FD".
QByteArray hex(const QByteArray &frame)
{
    return frame.toHex(' ').toUpper();
}

void printLine(const QByteArray &line, FILE *stream = stdout)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

int fail(const QString &message)
{
    printLine("ovx2-rigsim: " + message.toLocal8Bit(), stderr);
    return 1;
}

QString toString(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QString modelList()
{
    QStringList lines;
    for (const RadioModel *radio : allRadios()) {
        const QByteArray family = familyName(*radio);
        const bool isDefault = familyDefault(family) == radio;
        lines << QStringLiteral("  %1%2%3")
                     .arg(toString(radio->key), -10)
                     .arg(toString(radio->name))
                     .arg(isDefault ? QStringLiteral(" (--rig %1)").arg(QLatin1String(family))
                                    : QString());
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

int main(int argc, char *argv[])
{
    // Started with standard input closed, the pseudo-terminal would become descriptor 0 and the
    // front panel would read the CAT port: give it an empty input instead.
    if (::fcntl(STDIN_FILENO, F_GETFD) == -1)
        ::open("/dev/null", O_RDONLY);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ovx2-rigsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulates a transceiver's CAT port on a pseudo-terminal. Prints the "
                       "device to open as its first line, then runs until stopped; lines typed "
                       "on standard input work the radio's front panel."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help."));
    const QCommandLineOption rigOption(
        QStringLiteral("rig"),
        QStringLiteral("Radio family: k3, k2, kenwood, yaesu or icom (its default model)."),
        QStringLiteral("family"));
    const QCommandLineOption modelOption(QStringLiteral("model"),
                                         QStringLiteral("Radio model (see Models below)."),
                                         QStringLiteral("name"));
    const QCommandLineOption baudOption(QStringLiteral("baud"),
                                        QStringLiteral("Serial speed the replies are paced at."),
                                        QStringLiteral("rate"), QStringLiteral("38400"));
    const QCommandLineOption latencyOption(
        QStringLiteral("latency"),
        QStringLiteral("The radio's own time to process each command before replying."),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption linkOption(
        QStringLiteral("link"),
        QStringLiteral("Publish the device under this path (a symlink; an old one is replaced)."),
        QStringLiteral("path"));
    const QCommandLineOption scriptOption(
        QStringLiteral("script"),
        QStringLiteral("Run the front-panel lines of this file first (with waits)."),
        QStringLiteral("file"));
    const QCommandLineOption silentOption(
        QStringLiteral("silent"), QStringLiteral("Never answer, like a radio that is off."));
    const QCommandLineOption verboseOption(
        QStringLiteral("verbose"), QStringLiteral("Print every command received and reply sent."));
    const QCommandLineOption transceiveOption(
        QStringLiteral("transceive"),
        QStringLiteral("Icom radios: the \"CI-V Transceive\" setting, on (their default) or off."),
        QStringLiteral("on|off"));
    const QCommandLineOption echoOption(
        QStringLiteral("echo"),
        QStringLiteral("Icom radios: the \"CI-V USB Echo Back\" setting, on or off (their "
                       "default)."),
        QStringLiteral("on|off"));
    parser.addOptions({helpOption, rigOption, modelOption, baudOption, latencyOption, linkOption,
                       scriptOption, silentOption, verboseOption, transceiveOption, echoOption});
    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText());
    if (parser.isSet(helpOption)) {
        printLine(parser.helpText().toLocal8Bit() + "\nModels:\n" + modelList().toLocal8Bit() +
                  "\n\nFront panel (standard input or --script, one command a line):\n" +
                  FrontPanel::help().toLocal8Bit() +
                  "\n\nExample:\n  ovx2-rigsim --model ft991a --link /tmp/rig\n  then type: "
                  "vfo 7074000, mode usb, tx, rx");
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument '%1'; see --help")
                        .arg(parser.positionalArguments().first()));

    const RadioModel *radio = &defaultRadio(RigType::K3);
    if (parser.isSet(rigOption)) {
        radio = familyDefault(parser.value(rigOption).toLatin1());
        if (!radio)
            return fail(
                QStringLiteral("unknown rig type '%1'; choose k3, k2, kenwood, yaesu or icom.")
                    .arg(parser.value(rigOption)));
    }
    if (parser.isSet(modelOption)) {
        const RadioModel *model = findRadio(parser.value(modelOption).toLatin1());
        if (!model)
            return fail(QStringLiteral("unknown model '%1'; choose one of:\n%2")
                            .arg(parser.value(modelOption), modelList()));
        if (parser.isSet(rigOption) && familyName(*model) != familyName(*radio))
            return fail(QStringLiteral("the %1 is not of the rig type '%2'.")
                            .arg(toString(model->name), parser.value(rigOption)));
        radio = model;
    }
    bool ok = false;
    const int baud = parser.value(baudOption).toInt(&ok);
    if (!ok || baud < 50 || baud > 4'000'000)
        return fail(QStringLiteral("baud rate '%1' is not a number from 50 to 4000000.")
                        .arg(parser.value(baudOption)));
    const int latency = parser.value(latencyOption).toInt(&ok);
    if (!ok || latency < 0 || latency > 10'000)
        return fail(QStringLiteral("latency '%1' is not a number of milliseconds from 0 to 10000.")
                        .arg(parser.value(latencyOption)));

    RigSimServer server(*radio, baud);
    // --transceive and --echo: an Icom radio's CI-V menu settings, on or off.
    using MenuSetting = std::pair<const QCommandLineOption *, void (RigModel::*)(bool)>;
    for (const auto &[option, set] : {MenuSetting{&transceiveOption, &RigModel::setTransceive},
                                      MenuSetting{&echoOption, &RigModel::setEcho}}) {
        if (!parser.isSet(*option))
            continue;
        const QString name = option->names().constFirst();
        const QString value = parser.value(*option).toLower();
        if (value != QLatin1String("on") && value != QLatin1String("off"))
            return fail(
                QStringLiteral("--%1 needs on or off, not '%2'.").arg(name, parser.value(*option)));
        if (!radio->civ)
            return fail(QStringLiteral("--%1 is a CI-V setting; the %2 has none.")
                            .arg(name, toString(radio->name)));
        (server.model().*set)(value == QLatin1String("on"));
    }
    FrontPanel panel(server);
    PanelInput input(panel);
    if (parser.isSet(scriptOption) && !input.addScript(parser.value(scriptOption)))
        return fail(input.errorString());
    // SIGTERM and SIGINT end the event loop, so the link is removed on the normal way out.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &app, &QCoreApplication::quit);
    QObject::connect(&input, &PanelInput::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&input, &PanelInput::message, &app, [](const QString &text, bool error) {
        printLine((error ? "ovx2-rigsim: " : "") + text.toLocal8Bit(), error ? stderr : stdout);
    });

    if (!server.start())
        return fail(
            QStringLiteral("cannot create a pseudo-terminal: %1").arg(server.errorString()));
    if (parser.isSet(linkOption) && !server.publishLink(parser.value(linkOption)))
        return fail(server.errorString());
    server.setSilent(parser.isSet(silentOption));
    server.setLatency(latency);
    if (parser.isSet(verboseOption)) {
        const auto show = radio->civ ? hex : escaped;
        QObject::connect(&server, &RigSimServer::received, &app,
                         [show](const QByteArray &chunk) { printLine("<< " + show(chunk)); });
        QObject::connect(&server, &RigSimServer::sent, &app,
                         [show](const QByteArray &reply) { printLine(">> " + show(reply)); });
    }

    printLine(server.devicePath().toLocal8Bit());
    printLine(QStringLiteral("ovx2-rigsim: %1 at %2 baud on %3%4; front panel: type help. "
                             "Stop with Ctrl+C or quit.")
                  .arg(toString(radio->name))
                  .arg(baud)
                  .arg(server.devicePath(),
                       parser.isSet(silentOption) ? QStringLiteral(" (silent)") : QString())
                  .toLocal8Bit(),
              stderr);
    input.start();

    const int status = QCoreApplication::exec();
    server.stop();
    return status;
}
