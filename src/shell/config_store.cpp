#include "shell/config_store.h"

#include "shell/form1.h"
#include "shell/frames.h"

#include <QAction>
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

#include <cmath>

namespace {
constexpr double kTwipsPerPixel = 15.0;

QString text(std::string_view s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}
} // namespace

ConfigStore::ConfigStore(Form1 &form, QString filePath, QObject *parent)
    : QObject(parent), m_form(form), m_path(std::move(filePath))
{
}

QString ConfigStore::defaultPath()
{
    const QString exeDir = QCoreApplication::applicationDirPath(); // symlinks resolved
    const QString beside = exeDir + QStringLiteral("/config.ini");
    const QFileInfo file(beside);
    const bool writable = file.exists() ? file.isWritable() : QFileInfo(exeDir).isWritable();
    // Compared as the real folder, so /bin on a merged-/usr system is /usr/bin.
    const QString installBinDir = QStringLiteral(OVX2_INSTALL_BINDIR);
    const QString realBinDir = QFileInfo(installBinDir).canonicalFilePath();
    if (keepsConfigBeside(exeDir, realBinDir.isEmpty() ? installBinDir : realBinDir, writable))
        return beside;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ovx2/config.ini");
}

bool ConfigStore::keepsConfigBeside(const QString &exeDir, const QString &installBinDir,
                                    bool exeDirWritable)
{
    return exeDirWritable && QDir::cleanPath(exeDir) != QDir::cleanPath(installBinDir);
}

QString ConfigStore::valueOf(const ConfigLine &line) const
{
    const QString name = text(line.control);
    switch (line.kind) {
    case ConfigKind::LeftEdge:
        return edgeText(m_form.frameGeometry().x() * kTwipsPerPixel);
    case ConfigKind::TopEdge:
        return edgeText(m_form.frameGeometry().y() * kTwipsPerPixel);
    case ConfigKind::Setup:
        return m_form.setupShown() ? QStringLiteral("True") : QStringLiteral("False");
    case ConfigKind::NameBox:
        return m_form.findChild<QComboBox *>(name)->currentText();
    case ConfigKind::Text:
        return m_form.findChild<QLineEdit *>(name)->text();
    case ConfigKind::Box:
    case ConfigKind::OnTopBox:
    case ConfigKind::MinimizedBox:
        return QString::number(boxValue(m_form.findChild<QCheckBox *>(name)));
    case ConfigKind::Poll:
        return m_form.polling().txtPOLL->text();
    case ConfigKind::Selection:
        return QString::number(m_form.findChild<QComboBox *>(name)->currentIndex());
    case ConfigKind::Path:
        return m_form.launchPaths()[std::size_t(name.back().digitValue())];
    }
    return {};
}

bool ConfigStore::SaveConfig()
{
    std::array<QString, kConfigLines.size()> values;
    for (std::size_t i = 0; i < kConfigLines.size(); ++i)
        values[i] = valueOf(kConfigLines[i]);
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(formatConfig(values)) < 0 ||
        !file.commit()) {
        m_error = file.errorString();
        return false;
    }
    m_error.clear();
    emit saved();
    return true;
}

bool ConfigStore::LoadConfig()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_loading = true;
        SaveConfig(); // a first start leaves a complete file describing the window
        m_loading = false;
        return false;
    }
    const ConfigReadTable read = parseConfig(file.read(kMaxConfigBytes));
    file.close();

    m_loading = true;
    for (std::size_t i = 0; i < kConfigLines.size(); ++i) {
        const ConfigLine &line = kConfigLines[i];
        if (!read[i].isEmpty()) {
            apply(line, read[i], false);
            continue;
        }
        if (line.emptyDefault.empty())
            continue;
        apply(line, text(line.emptyDefault), true);
        if (line.rewrite)
            SaveConfig();
    }
    m_loading = false;
    return true;
}

void ConfigStore::apply(const ConfigLine &line, const QString &value, bool isDefault)
{
    const QString name = text(line.control);
    const std::optional<int> number = wholeNumber(value);
    auto setBox = [&](QCheckBox *box, int state) {
        box->setCheckState(state == 0   ? Qt::Unchecked
                           : state == 1 ? Qt::Checked
                                        : Qt::PartiallyChecked);
    };
    switch (line.kind) {
    case ConfigKind::LeftEdge:
        m_form.move(int(std::lround(leadingNumber(value) / kTwipsPerPixel)), m_form.y());
        break;
    case ConfigKind::TopEdge:
        m_form.move(m_form.x(), int(std::lround(leadingNumber(value) / kTwipsPerPixel)));
        break;
    case ConfigKind::Setup:
        m_form.showSetup(value == QLatin1String("True"));
        break;
    case ConfigKind::NameBox:
        m_form.findChild<QComboBox *>(name)->setEditText(value);
        break;
    case ConfigKind::Text:
        m_form.findChild<QLineEdit *>(name)->setText(value);
        break;
    case ConfigKind::Box:
    case ConfigKind::OnTopBox:
    case ConfigKind::MinimizedBox:
        if (!number || *number < 0 || *number > 2)
            break; // a value that cannot be converted leaves the box as it was
        setBox(m_form.findChild<QCheckBox *>(name),
               line.kind == ConfigKind::OnTopBox && *number != 0 ? 1 : *number);
        if (line.kind == ConfigKind::MinimizedBox)
            m_form.setStartState(*number);
        break;
    case ConfigKind::Poll: {
        QScrollBar *bar = m_form.polling().VScrollPoll;
        if (!number || *number < bar->minimum() || *number > bar->maximum())
            break;
        m_form.polling().txtPOLL->setText(value);
        bar->setValue(*number);
        break;
    }
    case ConfigKind::Selection: {
        auto *list = m_form.findChild<QComboBox *>(name);
        if (!number || *number < -1 || *number >= list->count())
            break;
        // Selecting a rig type saves the settings even when the list already showed it, so a
        // start leaves the file written from everything it loaded.
        if (list->currentIndex() == *number && list == m_form.rigFrame().cbRigType)
            m_form.SaveConfig();
        list->setCurrentIndex(*number);
        break;
    }
    case ConfigKind::Path: {
        // The box's change handler keeps the launch slot; a value read from the file is the
        // launch path even when the box already showed that text.
        const int n = name.back().digitValue();
        m_form.pathBox(n)->setText(value);
        if (!isDefault)
            m_form.launchPaths()[std::size_t(n)] = value;
        break;
    }
    }
}
