#include "settings/station_settings.h"

#include "rig/civ_framing.h"
#include "rig/family_caps.h"
#include "settings/config_table.h"

#include <QRegularExpression>
#include <QSettings>

#include <cctype>
#include <cmath>
#include <string_view>

StationSettings::StationSettings()
{
    for (int n = 1; n <= 5; ++n)
        port(n).name = QStringLiteral("COM%1").arg(10 + n);
    // Port 1 passes every setting to the rig.
    port(1).permission = Permission::Full;
    door(Door::Rigctl).port = QStringLiteral("4532");
    door(Door::XmlRpc).port = QStringLiteral("12345");
}

// ---------------------------------------------------------------------------------------------
// The coupled boxes of an application port.

namespace {

struct CouplingRule {
    PortBox when;     // this box...
    BoxValue becomes; // ...takes this value,
    PortBox target;   // so this box of the same port...
    BoxValue set;     // ...is set to this.
};

constexpr std::array<CouplingRule, 4> kCoupling{{
    {PortBox::AI1, 1, PortBox::AI2, 0},
    {PortBox::AI2, 1, PortBox::AI1, 0},
    {PortBox::AutoConnect, 0, PortBox::AutoLaunch, 0},
    {PortBox::AutoLaunch, 1, PortBox::AutoConnect, 1},
}};

BoxValue &boxOf(AppPortSettings &port, PortBox box)
{
    switch (box) {
    case PortBox::AutoConnect:
        return port.autoConnect;
    case PortBox::AutoLaunch:
        return port.autoLaunch;
    case PortBox::AI1:
        return port.autoInfo1;
    case PortBox::AI2:
        break;
    }
    return port.autoInfo2;
}

} // namespace

void setPortBox(StationSettings &settings, int n, PortBox box, BoxValue value)
{
    BoxValue &held = boxOf(settings.port(n), box);
    if (held == value)
        return;
    held = value;
    for (const CouplingRule &rule : kCoupling) {
        if (rule.when == box && rule.becomes == value)
            setPortBox(settings, n, rule.target, rule.set);
    }
}

// ---------------------------------------------------------------------------------------------
// config.ini

namespace {

using S = StationSettings;

enum class Kind {
    LeftEdge,  // window left edge, twips
    TopEdge,   // window top edge, twips
    Setup,     // "True" shows the setup area; anything else hides it
    Text,      // a text: a port's name, a program's name or command line
    Box,       // a box: 0, 1 or 2
    PortBox,   // an application port's coupled box
    OnTop,     // a box whose set states all become 1
    Minimized, // a box, and the state the window starts in
    Poll,      // the polling interval, within its range
    RigType,   // the rig type's list index, -1 for none
    Baud,      // the baud rate's list index, -1 for none
};

struct Line {
    std::string_view key; // written as it stands, "=" included
    Kind kind;
    std::string_view emptyDefault; // applied when the value is empty
    bool rewrite; // after applying the default, the whole file is written again at once
    QString &(*text)(S &) = nullptr;
    BoxValue &(*box)(S &) = nullptr;
    int port = 0; // PortBox: the port, 1 to 5
    PortBox which = PortBox::AutoConnect;
};

template <int N> QString &portName(S &s)
{
    return s.port(N).name;
}
template <int N> QString &portLabel(S &s)
{
    return s.port(N).label;
}
template <int N> QString &portProgram(S &s)
{
    return s.port(N).program;
}
template <int N> QString &outputName(S &s)
{
    return s.output(N).name;
}
template <int N> BoxValue &outputConnect(S &s)
{
    return s.output(N).autoConnect;
}
QString &rigPort(S &s)
{
    return s.rigPort;
}
QString &sdrName(S &s)
{
    return s.sdr.name;
}
QString &sdrProgram(S &s)
{
    return s.sdr.program;
}
BoxValue &rigConnect(S &s)
{
    return s.rigAutoConnect;
}
BoxValue &sdrConnect(S &s)
{
    return s.sdr.autoConnect;
}
BoxValue &sdrLaunch(S &s)
{
    return s.sdr.autoLaunch;
}

Line text(std::string_view key, QString &(*field)(S &), std::string_view def = "Enter Name")
{
    return {key, Kind::Text, def, false, field};
}
Line box(std::string_view key, BoxValue &(*field)(S &))
{
    return {key, Kind::Box, "0", true, nullptr, field};
}
Line portBox(std::string_view key, int n, PortBox which, std::string_view def, bool rewrite)
{
    return {key, Kind::PortBox, def, rewrite, nullptr, nullptr, n, which};
}
Line fixed(std::string_view key, Kind kind, std::string_view def, bool rewrite)
{
    return {key, kind, def, rewrite};
}

// The 51 lines, in file order. The reader goes by position: lines 17 and 20 (and 18/22, 19/23)
// share a key text and still mean different boxes.
const std::array<Line, 51> &lines()
{
    static const std::array<Line, 51> table{{
        fixed("Position-Left=", Kind::LeftEdge, "0", false),
        fixed("Position-Top=", Kind::TopEdge, "0", false),
        fixed("Setup=", Kind::Setup, "", false),
        text("RigPort=", rigPort, "COM1"),
        text("VirPort1=", portName<1>, "COM1"),
        text("VirPort2=", portName<2>, "COM1"),
        text("VirPort3=", portName<3>, "COM1"),
        {"RigPortAutoConnect=", Kind::Box, "0", false, nullptr, rigConnect},
        portBox("VirPort1AutoConnect=", 1, PortBox::AutoConnect, "0", false),
        portBox("VirPort2AutoConnect=", 2, PortBox::AutoConnect, "0", false),
        portBox("VirPort3AutoConnect=", 3, PortBox::AutoConnect, "0", false),
        text("Pgm_1_Name=", portLabel<1>),
        text("Pgm_2_Name=", portLabel<2>),
        text("Pgm_3_Name=", portLabel<3>),
        fixed("On_Top=", Kind::OnTop, "0", false),
        fixed("Poll=", Kind::Poll, "200", false),
        portBox("VirPort1AutoInfo2=", 1, PortBox::AI1, "0", false),
        portBox("VirPort2AutoInfo2=", 2, PortBox::AI1, "0", false),
        portBox("VirPort3AutoInfo2=", 3, PortBox::AI1, "0", false),
        portBox("VirPort1AutoInfo2=", 1, PortBox::AI2, "1", false),
        fixed("RigBaudRate(0,1,2,3,4..4800 to 57600)=", Kind::Baud, "3", true),
        portBox("VirPort2AutoInfo2=", 2, PortBox::AI2, "0", true),
        portBox("VirPort3AutoInfo2=", 3, PortBox::AI2, "0", true),
        text("OutputPort1=", outputName<1>, "COM1"),
        text("OutputPort2=", outputName<2>, "COM1"),
        portBox("VirPort4AutoConnect=", 4, PortBox::AutoConnect, "0", true),
        portBox("VirPort5AutoConnect=", 5, PortBox::AutoConnect, "0", true),
        portBox("VirPort1AutoLaunch=", 1, PortBox::AutoLaunch, "0", true),
        portBox("VirPort2AutoLaunch=", 2, PortBox::AutoLaunch, "0", true),
        portBox("VirPort3AutoLaunch=", 3, PortBox::AutoLaunch, "0", true),
        portBox("VirPort4AutoLaunch=", 4, PortBox::AutoLaunch, "0", true),
        portBox("VirPort5AutoLaunch=", 5, PortBox::AutoLaunch, "0", true),
        portBox("VirPort4AutoInfo2=", 4, PortBox::AI2, "0", true),
        portBox("VirPort5AutoInfo2=", 5, PortBox::AI2, "0", true),
        text("Pgm_4_Name=", portLabel<4>),
        text("Pgm_5_Name=", portLabel<5>),
        text("VPort1 App Path=", portProgram<1>),
        text("VPort2 App Path=", portProgram<2>),
        text("VPort3 App Path=", portProgram<3>),
        text("VPort4 App Path=", portProgram<4>),
        text("VPort5 App Path=", portProgram<5>),
        box("OutputPort1AutoConnect=", outputConnect<1>),
        box("OutputPort2AutoConnect=", outputConnect<2>),
        box("PowerSDRAutoLaunch=", sdrLaunch),
        fixed("StartOVXminimized=", Kind::Minimized, "0", true),
        // A Windows default would name no program here; a path read from a file is kept as is.
        text("PowerSDR App Path=", sdrProgram),
        text("VirPort4=", portName<4>, "COM1"),
        text("VirPort5=", portName<5>, "COM1"),
        text("VirPort7=", sdrName, "COM1"),
        box("VirPort7AutoConnect=", sdrConnect),
        fixed("Rig Type(0,1,2..K3, Yaesu, Ken)=", Kind::RigType, "0", true),
    }};
    return table;
}

constexpr double kTwipsPerPixel = 15.0;

QString valueOf(const Line &line, const S &settings)
{
    S &s = const_cast<S &>(settings); // the accessors serve both ways; nothing is changed here
    switch (line.kind) {
    case Kind::LeftEdge:
        return edgeText(s.windowPosition.x() * kTwipsPerPixel);
    case Kind::TopEdge:
        return edgeText(s.windowPosition.y() * kTwipsPerPixel);
    case Kind::Setup:
        return s.setupShown ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Text:
        return line.text(s);
    case Kind::Box:
        return QString::number(line.box(s));
    case Kind::PortBox:
        return QString::number(boxOf(s.port(line.port), line.which));
    case Kind::OnTop:
        return QString::number(s.onTop);
    case Kind::Minimized:
        return QString::number(s.startMinimized);
    case Kind::Poll:
        return QString::number(s.pollInterval);
    case Kind::RigType:
        return QString::number(rigTypeIndex(s.rigType));
    case Kind::Baud:
        return QString::number(s.baudIndex);
    }
    return {};
}

// A box's value from the file; nothing for a value that cannot be converted, which leaves the box
// as it was.
std::optional<BoxValue> boxValue(const std::optional<int> &number)
{
    if (!number || *number < 0 || *number > 2)
        return std::nullopt;
    return *number;
}

void apply(const Line &line, S &s, const QString &value)
{
    const std::optional<int> number = wholeNumber(value);
    switch (line.kind) {
    case Kind::LeftEdge:
        s.windowPosition.setX(int(std::lround(leadingNumber(value) / kTwipsPerPixel)));
        break;
    case Kind::TopEdge:
        s.windowPosition.setY(int(std::lround(leadingNumber(value) / kTwipsPerPixel)));
        break;
    case Kind::Setup:
        s.setupShown = value == QLatin1String("True");
        break;
    case Kind::Text:
        line.text(s) = value;
        break;
    case Kind::Box:
        if (const auto box = boxValue(number))
            line.box(s) = *box;
        break;
    case Kind::PortBox:
        if (const auto box = boxValue(number))
            setPortBox(s, line.port, line.which, *box);
        break;
    case Kind::OnTop:
        if (const auto box = boxValue(number))
            s.onTop = *box != 0 ? 1 : 0;
        break;
    case Kind::Minimized:
        if (const auto box = boxValue(number))
            s.startMinimized = *box;
        break;
    case Kind::Poll:
        if (number && *number >= kMinPollInterval && *number <= kMaxPollInterval)
            s.pollInterval = *number;
        break;
    case Kind::RigType:
        if (number && *number >= -1 && *number < kRigTypeCount)
            s.rigType = rigTypeFromIndex(*number);
        break;
    case Kind::Baud:
        if (number && *number >= -1 && *number < kBaudCount)
            s.baudIndex = *number;
        break;
    }
}

QString text(std::string_view s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

} // namespace

ConfigRead readConfigIni(const QByteArray &contents, const StationSettings &base)
{
    const ConfigReadTable read = parseConfig(contents);
    ConfigRead result{base, false};
    for (std::size_t i = 0; i < lines().size(); ++i) {
        const Line &line = lines()[i];
        if (!read[i].isEmpty()) {
            apply(line, result.settings, read[i]);
        } else if (!line.emptyDefault.empty()) {
            apply(line, result.settings, text(line.emptyDefault));
            result.rewrite = result.rewrite || line.rewrite;
        }
    }
    return result;
}

QByteArray writeConfigIni(const StationSettings &settings)
{
    QByteArray file;
    for (const Line &line : lines()) {
        file += QByteArray(line.key.data(), qsizetype(line.key.size()));
        file += valueOf(line, settings).toUtf8();
        file += "\r\n";
    }
    return file;
}

// ---------------------------------------------------------------------------------------------
// ovx2.ini

namespace {

// What a port or door may change, as the file says it.
constexpr const char *kPermissions[] = {"FreqMode", "Full"};
// The doors' groups, in the order of Door.
constexpr const char *kDoorGroups[] = {"Network", "XmlRpc"};

QString permissionKey(int port)
{
    return QStringLiteral("AppPort%1/Permission").arg(port);
}

// A key this version reads and writes itself.
bool isKnownKey(const QString &key)
{
    static const QRegularExpression known(
        QStringLiteral("^(AppPort[2-5]/Permission|Icom/CivAddress|(Network|XmlRpc)/"
                       "(Address|Port|Listen|Permission|ConfirmedAddress))$"));
    return known.match(key).hasMatch();
}

const char *permissionText(Permission p)
{
    return kPermissions[p == Permission::Full ? 1 : 0];
}

} // namespace

std::optional<quint8> StationSettings::civRadio() const
{
    return familyCaps(rigType).civ ? std::optional(civAddress) : std::nullopt;
}

StationSettings readExtraIni(const QString &path, const StationSettings &base)
{
    StationSettings s = base;
    QSettings file(path, QSettings::IniFormat);
    for (int n = 2; n <= 5; ++n) {
        const bool full = file.value(permissionKey(n)).toString() == QLatin1String(kPermissions[1]);
        s.port(n).permission = full ? Permission::Full : Permission::FreqMode;
    }
    for (int d = 0; d < kDoorCount; ++d) {
        DoorSettings &door = s.doors[std::size_t(d)];
        file.beginGroup(QString::fromLatin1(kDoorGroups[d]));
        door.address = file.value(QStringLiteral("Address"), door.address).toString();
        door.port = file.value(QStringLiteral("Port"), door.port).toString();
        door.listen = file.value(QStringLiteral("Listen"), true).toBool();
        door.confirmedAddress = file.value(QStringLiteral("ConfirmedAddress")).toString();
        // Anything but "FreqMode" leaves the XML-RPC door at "Full", as port 1 on this computer.
        if (Door(d) == Door::XmlRpc &&
            file.value(QStringLiteral("Permission")).toString() == QLatin1String(kPermissions[0]))
            door.permission = Permission::FreqMode;
        file.endGroup();
    }
    // Two hex digits; not the controllers' E0, the broadcast 00 or the codes FC to FF.
    bool hex = false;
    const uint civ = file.value(QStringLiteral("Icom/CivAddress")).toString().toUInt(&hex, 16);
    if (hex && civ > 0 && civ < 0xE0)
        s.civAddress = quint8(civ);
    // Text settings of a later version under plain names stay in the file.
    static const QRegularExpression plain(QStringLiteral("^\\w+/\\w+$"));
    s.otherExtras.clear();
    for (const QString &key : file.allKeys()) {
        if (!plain.match(key).hasMatch() || isKnownKey(key))
            continue;
        const QVariant value = file.value(key);
        if (value.metaType() == QMetaType::fromType<QString>())
            s.otherExtras.insert(key, iniValue(value.toString()));
    }
    return s;
}

QByteArray writeExtraIni(const StationSettings &s)
{
    QMap<QString, QByteArray> values = s.otherExtras;
    for (int n = 2; n <= 5; ++n)
        values.insert(permissionKey(n), permissionText(s.port(n).permission));
    if (s.rigType == RigType::Icom || s.civAddress != StationSettings().civAddress)
        values.insert(QStringLiteral("Icom/CivAddress"), civ::hexByte(s.civAddress));
    for (int d = 0; d < kDoorCount; ++d) {
        const DoorSettings &door = s.doors[std::size_t(d)];
        const QString group = QString::fromLatin1(kDoorGroups[d]) + QLatin1Char('/');
        values.insert(group + QStringLiteral("Address"), iniValue(door.address));
        values.insert(group + QStringLiteral("Port"), iniValue(door.port));
        values.insert(group + QStringLiteral("Listen"), door.listen ? "true" : "false");
        if (Door(d) == Door::XmlRpc)
            values.insert(group + QStringLiteral("Permission"), permissionText(door.permission));
        if (!door.confirmedAddress.isEmpty())
            values.insert(group + QStringLiteral("ConfirmedAddress"),
                          iniValue(door.confirmedAddress));
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
    return text;
}

QByteArray iniValue(const QString &text)
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
