#include "shell/config_store.h"

#include "controls/controls.h"
#include "controls/frames.h"
#include "controls/messenger.h"
#include "monitor/terminal_model.h"
#include "shell/window_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSaveFile>
#include <QScrollBar>
#include <QStandardPaths>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {
constexpr double kTwipsPerPixel = 15.0;

QString text(std::string_view s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}
} // namespace

ConfigStore::ConfigStore(const Controls &controls, WindowState &window, Messenger &messenger,
                         TerminalModel &rigTerminal, QString filePath, QObject *parent)
    : QObject(parent), m_window(window), m_messenger(messenger), m_rigTerminal(rigTerminal),
      m_polling(controls.polling), m_path(std::move(filePath))
{
    for (std::size_t i = 0; i < kConfigLines.size(); ++i)
        m_bound[i] = bind(kConfigLines[i], controls);
}

ConfigStore::Bound ConfigStore::bind(const ConfigLine &line, const Controls &controls) const
{
    const QString name = text(line.control);
    Bound bound;
    auto find = [&](auto *&target) {
        target = controls.window->findChild<std::remove_reference_t<decltype(*target)> *>(name);
        if (!target)
            qFatal("config.ini line \"%s\": the window has no %s named %s", line.key.data(),
                   std::remove_reference_t<decltype(*target)>::staticMetaObject.className(),
                   qPrintable(name));
    };
    switch (line.kind) {
    case ConfigKind::LeftEdge:
    case ConfigKind::TopEdge:
    case ConfigKind::Setup:
    case ConfigKind::Poll:
        break; // the window's own state, or the polling controls
    case ConfigKind::NameBox:
    case ConfigKind::Selection:
        find(bound.list);
        break;
    case ConfigKind::Text:
        find(bound.text);
        break;
    case ConfigKind::Box:
    case ConfigKind::OnTopBox:
    case ConfigKind::MinimizedBox:
        find(bound.box);
        break;
    case ConfigKind::Path:
        find(bound.text);
        bound.slot = name.back().digitValue();
        break;
    }
    return bound;
}

QString ConfigStore::defaultPath()
{
    const QString exeDir = QCoreApplication::applicationDirPath(); // symlinks resolved
    const QString beside = exeDir + QStringLiteral("/config.ini");
    // Compared as the real folder, so /bin on a merged-/usr system is /usr/bin.
    const QString installBinDir = QStringLiteral(OVX2_INSTALL_BINDIR);
    const QString realBinDir = QFileInfo(installBinDir).canonicalFilePath();
    if (keepsConfigBeside(exeDir, realBinDir.isEmpty() ? installBinDir : realBinDir,
                          QFileInfo::exists(beside), QFileInfo(exeDir).isWritable()))
        return beside;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ovx2/config.ini");
}

bool ConfigStore::keepsConfigBeside(const QString &exeDir, const QString &installBinDir,
                                    bool besideExists, bool exeDirWritable)
{
    return (besideExists || exeDirWritable) &&
           QDir::cleanPath(exeDir) != QDir::cleanPath(installBinDir);
}

QString ConfigStore::whyNotWritable(const QString &path)
{
    // The file is written anew beside itself and renamed over the old one: both the file and its
    // folder must take writes.
    const QFileInfo file(path);
    if (file.exists() && !file.isWritable())
        return QStringLiteral("the file is read-only");
    if (!QFileInfo(file.absolutePath()).isWritable())
        return QStringLiteral("its folder is read-only");
    return {};
}

void ConfigStore::tell(const QString &line)
{
    AppendToTerminal(m_rigTerminal, line.toLocal8Bit());
    std::fprintf(stderr, "OVX2: %s\n", qPrintable(line));
    std::fflush(stderr);
}

QString ConfigStore::valueOf(std::size_t i) const
{
    const Bound &bound = m_bound[i];
    switch (kConfigLines[i].kind) {
    case ConfigKind::LeftEdge:
        return edgeText(m_window.outerPosition().x() * kTwipsPerPixel);
    case ConfigKind::TopEdge:
        return edgeText(m_window.outerPosition().y() * kTwipsPerPixel);
    case ConfigKind::Setup:
        return m_window.setupShown() ? QStringLiteral("True") : QStringLiteral("False");
    case ConfigKind::NameBox:
        return bound.list->currentText();
    case ConfigKind::Text:
        return bound.text->text();
    case ConfigKind::Box:
    case ConfigKind::OnTopBox:
    case ConfigKind::MinimizedBox:
        return QString::number(boxValue(bound.box));
    case ConfigKind::Poll:
        return m_polling->txtPOLL->text();
    case ConfigKind::Selection:
        return QString::number(bound.list->currentIndex());
    case ConfigKind::Path:
        return m_window.launchPaths()[std::size_t(bound.slot)];
    }
    return {};
}

bool ConfigStore::write()
{
    std::array<QString, kConfigLines.size()> values;
    for (std::size_t i = 0; i < kConfigLines.size(); ++i)
        values[i] = valueOf(i);
    m_error = saveWhole(m_path, formatConfig(values));
    if (!m_error.isEmpty())
        return false;
    emit saved();
    return true;
}

QString ConfigStore::saveWhole(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    // commit() of Qt 6.4 reports success when its own last flush fails (a full disk), and
    // renames an empty file over the old one. So nothing is committed that is not on the disk
    // whole: written, flushed and synced, each checked; otherwise the old file stays as it was.
    const bool whole =
        file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() && file.flush();
    if (whole && ::fsync(file.handle()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno)); // the copy goes with `file`
    if (!whole || !file.commit())
        return file.errorString();
    return {};
}

void ConfigStore::sayNotSaved(const QString &path, const QString &why, const QString &more)
{
    const QString after = more.isEmpty() ? QString() : QLatin1Char(' ') + more;
    tell(QStringLiteral("Settings not saved to %1: %2; the file keeps what was saved before.%3")
             .arg(path, why, after));
    const QString text = QStringLiteral("Settings could not be saved to %1: %2. The file keeps "
                                        "the settings saved before.%3")
                             .arg(path, why, after);
    QString &last = m_lastReported[path];
    if (text == last)
        return;
    last = text;
    m_messenger.warning(text);
}

bool ConfigStore::SaveConfig()
{
    // Loading a value runs its control's handlers as a user's change would, and some of them
    // save (the baud rate, the rig type): the file would be written half-loaded, from controls
    // not yet set. Loading writes the file itself once it is done, where it must.
    if (m_loading)
        return false;
    if (!m_cannotWrite.isEmpty()) {
        // Said at start-up; said once more in a box when a change of the user's is not kept.
        if (!m_cannotWriteShown) {
            m_cannotWriteShown = true;
            m_messenger.warning(QStringLiteral("Settings cannot be saved to %1: %2. Changes made "
                                               "now are not kept after OVX2 closes.")
                                    .arg(m_path, m_cannotWrite));
        }
        return false;
    }
    if (write())
        return true;
    sayNotSaved(m_path, m_error);
    return false;
}

bool ConfigStore::LoadConfig()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        // A first start leaves a complete file describing the window; at start-up a file that
        // cannot be written does not stop anything.
        write();
        return false;
    }
    const ConfigReadTable read = parseConfig(file.read(kMaxConfigBytes));
    file.close();
    // A file that can be read but not written is still the settings: they are used, and not
    // saved anywhere else, where the next start would not look.
    m_cannotWrite = whyNotWritable(m_path);
    if (!m_cannotWrite.isEmpty())
        tell(QStringLiteral("Settings read from %1, which cannot be written (%2): changes are "
                            "not saved.")
                 .arg(m_path, m_cannotWrite));

    m_loading = true;
    bool complete = true;
    for (std::size_t i = 0; i < kConfigLines.size(); ++i) {
        const ConfigLine &line = kConfigLines[i];
        if (!read[i].isEmpty()) {
            apply(i, read[i], false);
            continue;
        }
        if (line.emptyDefault.empty())
            continue;
        apply(i, text(line.emptyDefault), true);
        complete = complete && !line.rewrite;
    }
    m_loading = false;
    // An older, shorter file gets the lines it lacks, written once from everything loaded. Any
    // other file stays as it is until something is changed.
    if (!complete && m_cannotWrite.isEmpty())
        write();
    return true;
}

void ConfigStore::apply(std::size_t i, const QString &value, bool isDefault)
{
    const ConfigLine &line = kConfigLines[i];
    const Bound &bound = m_bound[i];
    const std::optional<int> number = wholeNumber(value);
    switch (line.kind) {
    case ConfigKind::LeftEdge:
        m_window.moveOuterTo({int(std::lround(leadingNumber(value) / kTwipsPerPixel)),
                              m_window.outerPosition().y()});
        break;
    case ConfigKind::TopEdge:
        m_window.moveOuterTo({m_window.outerPosition().x(),
                              int(std::lround(leadingNumber(value) / kTwipsPerPixel))});
        break;
    case ConfigKind::Setup:
        m_window.showSetup(value == QLatin1String("True"));
        break;
    case ConfigKind::NameBox:
        bound.list->setEditText(value);
        break;
    case ConfigKind::Text:
        bound.text->setText(value);
        break;
    case ConfigKind::Box:
    case ConfigKind::OnTopBox:
    case ConfigKind::MinimizedBox: {
        if (!number || *number < 0 || *number > 2)
            break; // a value that cannot be converted leaves the box as it was
        const int state = line.kind == ConfigKind::OnTopBox && *number != 0 ? 1 : *number;
        bound.box->setCheckState(state == 0   ? Qt::Unchecked
                                 : state == 1 ? Qt::Checked
                                              : Qt::PartiallyChecked);
        if (line.kind == ConfigKind::MinimizedBox)
            m_window.setStartState(*number);
        break;
    }
    case ConfigKind::Poll: {
        QScrollBar *bar = m_polling->VScrollPoll;
        if (!number || *number < bar->minimum() || *number > bar->maximum())
            break;
        m_polling->txtPOLL->setText(value);
        bar->setValue(*number);
        break;
    }
    case ConfigKind::Selection:
        if (!number || *number < -1 || *number >= bound.list->count())
            break;
        bound.list->setCurrentIndex(*number);
        break;
    case ConfigKind::Path:
        // The box's change handler keeps the launch slot; a value read from the file is the
        // launch path even when the box already showed that text.
        bound.text->setText(value);
        if (!isDefault)
            m_window.launchPaths()[std::size_t(bound.slot)] = value;
        break;
    }
}
