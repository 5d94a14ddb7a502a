#include "bridge/bridge.h"
#include "bridge/station_log.h"
#include "controls/messenger.h"
#include "controls/version.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "platform/termination_signals.h"
#include "settings/settings_files.h"
#include "settings/settings_lock.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QIcon>
#include <QPointer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// The icon theme's (an installed bridge's), else the sizes built into the program.
QIcon windowIcon()
{
    QIcon builtIn;
    QDirIterator sizes(QStringLiteral(":/icons"), {QStringLiteral("org.orvex.OVX2.png")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (sizes.hasNext())
        builtIn.addFile(sizes.next());
    return QIcon::fromTheme(QStringLiteral("org.orvex.OVX2"), builtIn);
}

struct Options {
    bool headless = false;
    QString configDir; // empty: the settings' usual place
    bool help = false;
    QString error;
};

// Read before Qt starts: whether there is to be a window decides which application object is made.
Options readOptions(int argc, char *argv[])
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--headless") == 0) {
            o.headless = true;
        } else if (std::strcmp(arg, "--config") == 0 && i + 1 < argc) {
            o.configDir = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strncmp(arg, "--config=", 9) == 0) {
            o.configDir = QString::fromLocal8Bit(arg + 9);
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            o.help = true;
        } else {
            o.error = QStringLiteral("unknown argument \"%1\"").arg(QString::fromLocal8Bit(arg));
        }
    }
    return o;
}

bool hasDisplay()
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char *value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

void say(const QString &line)
{
    std::fprintf(stderr, "OVX2: %s\n", qPrintable(line));
    std::fflush(stderr);
}

constexpr char kUsage[] = "Usage: ovx2 [--headless] [--config DIR]\n"
                          "  --headless     run the bridge without a window; the terminals' lines "
                          "go to standard output\n"
                          "  --config DIR   keep config.ini and ovx2.ini in DIR\n";

// What both kinds of start share: the settings read and kept, and the bridge over them.
class Station {
public:
    Station(const QString &configPath, Messenger &messenger)
        : m_files(configPath, messenger, [this](const QString &line) {
              say(line);
              if (m_bridge)
                  AppendToTerminal(m_bridge->terminal(0), line.toLocal8Bit());
              else
                  m_early << line;
          })
    {
        const StationSettings settings = m_files.load();
        m_bridge = std::make_unique<Bridge>(settings, messenger, systemClock());
        for (const QString &line : std::as_const(m_early))
            AppendToTerminal(m_bridge->terminal(0), line.toLocal8Bit());
        // Every change is kept at once, the files whole or not at all.
        QObject::connect(m_bridge.get(), &Bridge::settingsChanged, m_bridge.get(),
                         [this] { m_files.save(m_bridge->settings()); });
    }

    Bridge &bridge() { return *m_bridge; }
    bool saveAll() { return m_files.save(m_bridge->settings(), true); }

private:
    QStringList m_early; // lines said before the bridge's terminals exist
    SettingsFiles m_files;
    std::unique_ptr<Bridge> m_bridge;
};

QString configPathOf(const Options &options)
{
    if (options.configDir.isEmpty())
        return SettingsFiles::defaultPath();
    return QDir(options.configDir).absoluteFilePath(QStringLiteral("config.ini"));
}

// One bridge a settings folder: false when another holds it (said on standard error).
bool lockSettings(SettingsLock &lock)
{
    const SettingsLock::Outcome locked = lock.lock();
    if (!lock.message().isEmpty())
        say(lock.message());
    return locked != SettingsLock::Outcome::HeldElsewhere;
}

int runHeadless(int argc, char *argv[], const Options &options)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("OVX2"));
    const QString configPath = configPathOf(options);
    SettingsLock lock(configPath);
    if (!lockSettings(lock))
        return 1;
    // Nobody to ask: messages go to standard error; a question (a program still holds a port at
    // shutdown) is answered Yes.
    StderrMessenger messenger(true);
    Station station(configPath, messenger);
    StationLog log(station.bridge(), stdout);
    if (!lock.message().isEmpty())
        AppendToTerminal(station.bridge().terminal(0), lock.message().toLocal8Bit());
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &app, [&](int) {
        station.bridge().shutDown();
        // A failure to save is said on standard error by the settings files.
        QCoreApplication::exit(station.saveAll() ? 0 : 1);
    });
    station.bridge().start();
    return QCoreApplication::exec();
}

int runWindow(int argc, char *argv[], const Options &options)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OVX2"));
    // The desktop entry's name: the desktop finds the window's entry and icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orvex.OVX2"));
    QApplication::setWindowIcon(windowIcon());
    MessageBoxMessenger messenger;
    // Logout or Ctrl+C: the same shutdown as closing the window, every question answered Yes and
    // a box open now closed, so no port is left published and no setting is lost. The window is
    // closed once the box the signal closed has returned.
    TerminationSignals termination;
    QPointer<MainWindow> shown;
    QObject::connect(&termination, &TerminationSignals::received, &app, [&](int) {
        messenger.answerEverythingYes();
        if (shown)
            QMetaObject::invokeMethod(shown, &QWidget::close, Qt::QueuedConnection);
    });
    const QString configPath = configPathOf(options);
    SettingsLock lock(configPath);
    if (!lockSettings(lock)) {
        messenger.warning(lock.message());
        return 1;
    }
    Station station(configPath, messenger);
    MainWindow window(station.bridge(), messenger);
    shown = &window;
    messenger.setParent(&window);
    if (!lock.message().isEmpty())
        AppendToTerminal(station.bridge().terminal(0), lock.message().toLocal8Bit());
    QObject::connect(&window, &MainWindow::closed, &app, [&] { station.saveAll(); });
    window.showAsSaved();
    station.bridge().start();
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    const Options options = readOptions(argc, argv);
    if (options.help || !options.error.isEmpty()) {
        if (!options.error.isEmpty())
            say(options.error);
        std::fputs(kUsage, options.help ? stdout : stderr);
        return options.help ? 0 : 2;
    }
    if (!options.headless && !hasDisplay()) {
        say(QStringLiteral("no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not "
                           "set); run \"ovx2 --headless\" to run the bridge without a window"));
        return 2;
    }
    return options.headless ? runHeadless(argc, argv, options) : runWindow(argc, argv, options);
}
