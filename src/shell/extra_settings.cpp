#include "shell/extra_settings.h"

#include "controls/controls.h"
#include "controls/frames.h"
#include "shell/config_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>

#include <cctype>

namespace {
// What a port may change, as the file says it: its list index in the port's frame.
constexpr const char *kPermissions[] = {"FreqMode", "Full"};

QString permissionKey(int port)
{
    return QStringLiteral("AppPort%1/Permission").arg(port);
}

// The network doors' groups, in the order of ExtraSettings::Door.
const char *const kDoorGroups[] = {"Network", "XmlRpc"};
} // namespace

ExtraSettings::ExtraSettings(const Controls &controls, const QString &configPath, NotSaved notSaved,
                             QObject *parent)
    : QObject(parent), m_controls(controls),
      m_path(QFileInfo(configPath).absolutePath() + QStringLiteral("/ovx2.ini")),
      m_notSaved(std::move(notSaved))
{
    load();
    for (int n = 2; n <= 5; ++n)
        connect(m_controls.appFrame(n)->cbPermission, &QComboBox::currentIndexChanged, this,
                &ExtraSettings::save);
    for (const NetworkFrame *net : {m_controls.network, m_controls.xmlrpc}) {
        connect(net->txtAddress, &QLineEdit::editingFinished, this, &ExtraSettings::save);
        connect(net->txtPort, &QLineEdit::editingFinished, this, &ExtraSettings::save);
        connect(net->chkListen, &QCheckBox::stateChanged, this, &ExtraSettings::save);
        if (net->cbPermission)
            connect(net->cbPermission, &QComboBox::currentIndexChanged, this, &ExtraSettings::save);
    }
}

NetworkFrame &ExtraSettings::doorFrame(std::size_t door) const
{
    return door == 0 ? *m_controls.network : *m_controls.xmlrpc;
}

int ExtraSettings::permission(int port) const
{
    return m_controls.appFrame(port)->cbPermission->currentIndex() == 1 ? 1 : 0;
}

void ExtraSettings::load()
{
    m_loading = true;
    QSettings file(m_path, QSettings::IniFormat);
    for (int n = 2; n <= 5; ++n) {
        const bool full = file.value(permissionKey(n)).toString() == QLatin1String(kPermissions[1]);
        if (full)
            m_controls.appFrame(n)->cbPermission->setCurrentIndex(1);
        m_savedPermissions[std::size_t(n - 2)] = full ? 1 : 0;
    }
    for (std::size_t door = 0; door < m_confirmed.size(); ++door) {
        NetworkFrame &net = doorFrame(door);
        file.beginGroup(QString::fromLatin1(kDoorGroups[door]));
        net.txtAddress->setText(
            file.value(QStringLiteral("Address"), net.txtAddress->text()).toString());
        net.txtPort->setText(file.value(QStringLiteral("Port"), net.txtPort->text()).toString());
        net.chkListen->setChecked(file.value(QStringLiteral("Listen"), true).toBool());
        m_confirmed[door] = file.value(QStringLiteral("ConfirmedAddress")).toString();
        // Anything but "FreqMode" leaves the door at "Full", as on this computer for port 1.
        if (net.cbPermission &&
            file.value(QStringLiteral("Permission")).toString() == QLatin1String(kPermissions[0]))
            net.cbPermission->setCurrentIndex(0);
        file.endGroup();
    }
    // Text settings of a later version under plain names stay in the file.
    static const QRegularExpression plain(QStringLiteral("^\\w+/\\w+$"));
    for (const QString &key : file.allKeys()) {
        if (!plain.match(key).hasMatch())
            continue;
        const QVariant value = file.value(key);
        if (value.metaType() == QMetaType::fromType<QString>())
            m_others.insert(key, iniValue(value.toString()));
    }
    m_loading = false;
}

bool ExtraSettings::save()
{
    if (m_loading)
        return true;
    QMap<QString, QByteArray> values = m_others;
    for (int n = 2; n <= 5; ++n)
        values.insert(permissionKey(n), kPermissions[permission(n)]);
    for (std::size_t door = 0; door < m_confirmed.size(); ++door) {
        const NetworkFrame &net = doorFrame(door);
        const QString group = QString::fromLatin1(kDoorGroups[door]) + QLatin1Char('/');
        values.insert(group + QStringLiteral("Address"), iniValue(net.txtAddress->text()));
        values.insert(group + QStringLiteral("Port"), iniValue(net.txtPort->text()));
        values.insert(group + QStringLiteral("Listen"),
                      net.chkListen->isChecked() ? "true" : "false");
        if (net.cbPermission)
            values.insert(group + QStringLiteral("Permission"),
                          kPermissions[net.cbPermission->currentIndex() == 1 ? 1 : 0]);
        if (!m_confirmed[door].isEmpty())
            values.insert(group + QStringLiteral("ConfirmedAddress"), iniValue(m_confirmed[door]));
    }
    QByteArray text;
    QString group;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString itsGroup = it.key().section(QLatin1Char('/'), 0, 0);
        if (itsGroup != group)
            text += (text.isEmpty() ? "[" : "\n[") + itsGroup.toUtf8() + "]\n";
        group = itsGroup;
        text += it.key().section(QLatin1Char('/'), 1).toUtf8() + '=' + it.value() + '\n';
    }

    const QString why = ConfigStore::saveWhole(m_path, text);
    if (why.isEmpty()) {
        for (int n = 2; n <= 5; ++n)
            m_savedPermissions[std::size_t(n - 2)] = permission(n);
        return true;
    }
    // What a port may change matters most: a port narrowed to frequency and mode would get
    // the whole rig back at the next start.
    QStringList lost;
    for (int n = 2; n <= 5; ++n) {
        const int saved = m_savedPermissions[std::size_t(n - 2)];
        if (permission(n) != saved)
            lost << QStringLiteral("Port %1 is \"%2\" until OVX2 closes; at the next start it is "
                                   "\"%3\" again.")
                        .arg(n)
                        .arg(m_controls.appFrame(n)->cbPermission->currentText(),
                             m_controls.appFrame(n)->cbPermission->itemText(saved));
    }
    m_notSaved(why, lost.join(QLatin1Char(' ')));
    return false;
}

void ExtraSettings::setConfirmedAddress(Door door, const QString &address)
{
    m_confirmed[std::size_t(door)] = address;
    save();
}

QByteArray ExtraSettings::iniValue(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^[\\w.:/-]*$"));
    if (plain.match(text).hasMatch())
        return text.toUtf8();
    // Quoted, so that ',' ';' '=' and blanks at either end are the text's own; '"' and '\'
    // escaped; control characters as \x and their code, and a hex digit right after one as well,
    // or the reader would take it as part of the code; a leading '@' doubled, or the reader
    // would take the text for a typed value.
    QByteArray out = text.startsWith(QLatin1Char('@')) ? "\"@" : "\"";
    bool afterCode = false;
    for (const char c : text.toUtf8()) {
        const auto byte = uchar(c);
        if (byte < 0x20 || byte == 0x7F || (afterCode && std::isxdigit(byte))) {
            out += "\\x" + QByteArray::number(byte, 16);
            afterCode = true;
            continue;
        }
        afterCode = false;
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}
