#include "shell/extra_settings.h"

#include "controls/controls.h"
#include "controls/frames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>

namespace {
// What a port may change, as the file says it: its list index in the port's frame.
constexpr const char *kPermissions[] = {"FreqMode", "Full"};
} // namespace

ExtraSettings::ExtraSettings(const Controls &controls, const QString &configPath, QObject *parent)
    : QObject(parent), m_controls(controls),
      m_path(QFileInfo(configPath).absolutePath() + QStringLiteral("/ovx2.ini"))
{
    load();
    for (int n = 2; n <= 5; ++n)
        connect(m_controls.appFrame(n)->cbPermission, &QComboBox::currentIndexChanged, this,
                &ExtraSettings::save);
    NetworkFrame &net = *m_controls.network;
    connect(net.txtAddress, &QLineEdit::editingFinished, this, &ExtraSettings::save);
    connect(net.txtPort, &QLineEdit::editingFinished, this, &ExtraSettings::save);
    connect(net.chkListen, &QCheckBox::stateChanged, this, &ExtraSettings::save);
}

void ExtraSettings::load()
{
    m_loading = true;
    QSettings file(m_path, QSettings::IniFormat);
    for (int n = 2; n <= 5; ++n) {
        const QString value = file.value(QStringLiteral("AppPort%1/Permission").arg(n)).toString();
        if (value == QLatin1String(kPermissions[1]))
            m_controls.appFrame(n)->cbPermission->setCurrentIndex(1);
    }
    NetworkFrame &net = *m_controls.network;
    file.beginGroup(QStringLiteral("Network"));
    net.txtAddress->setText(
        file.value(QStringLiteral("Address"), net.txtAddress->text()).toString());
    net.txtPort->setText(file.value(QStringLiteral("Port"), net.txtPort->text()).toString());
    net.chkListen->setChecked(file.value(QStringLiteral("Listen"), true).toBool());
    m_confirmed = file.value(QStringLiteral("ConfirmedAddress")).toString();
    file.endGroup();
    m_loading = false;
}

void ExtraSettings::save()
{
    if (m_loading)
        return;
    QSettings file(m_path, QSettings::IniFormat);
    for (int n = 2; n <= 5; ++n)
        file.setValue(
            QStringLiteral("AppPort%1/Permission").arg(n),
            QLatin1String(
                kPermissions[m_controls.appFrame(n)->cbPermission->currentIndex() == 1 ? 1 : 0]));
    const NetworkFrame &net = *m_controls.network;
    file.beginGroup(QStringLiteral("Network"));
    file.setValue(QStringLiteral("Address"), net.txtAddress->text());
    file.setValue(QStringLiteral("Port"), net.txtPort->text());
    file.setValue(QStringLiteral("Listen"), net.chkListen->isChecked());
    if (!m_confirmed.isEmpty())
        file.setValue(QStringLiteral("ConfirmedAddress"), m_confirmed);
    file.endGroup();
    file.sync();
}

void ExtraSettings::setConfirmedAddress(const QString &address)
{
    m_confirmed = address;
    save();
}
