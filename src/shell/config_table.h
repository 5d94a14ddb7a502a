#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <string_view>

// How a line of config.ini maps to the window.
enum class ConfigKind {
    LeftEdge,     // window left edge, twips
    TopEdge,      // window top edge, twips
    Setup,        // "True" shows the setup area; empty changes nothing
    NameBox,      // the text of an editable list (port names)
    Text,         // the text of a text box
    Box,          // a check box: 0, 1 or 2
    OnTopBox,     // a check box whose set states all become 1
    Poll,         // the polling text, and the scroll bar's value
    Selection,    // the selected index of a list, -1 for none
    Path,         // a path box and its launch slot
    MinimizedBox, // a check box, then the window state from it
};

struct ConfigLine {
    std::string_view key;     // written as it stands, "=" included
    std::string_view control; // the control's object name
    ConfigKind kind;
    std::string_view emptyDefault; // applied when the value is empty
    bool rewrite; // after applying the default, the whole file is written again at once
};

// The 51 lines of config.ini, in file order. The reader goes by position: positions 17 and 20
// (and 18/22, 19/23) share a key text and still mean different boxes.
inline constexpr std::array<ConfigLine, 51> kConfigLines{{
    {"Position-Left=", "Form1", ConfigKind::LeftEdge, "0", false},
    {"Position-Top=", "Form1", ConfigKind::TopEdge, "0", false},
    {"Setup=", "mnuShow", ConfigKind::Setup, "", false},
    {"RigPort=", "ComboPort", ConfigKind::NameBox, "COM1", false},
    {"VirPort1=", "ComboVPort1", ConfigKind::NameBox, "COM1", false},
    {"VirPort2=", "ComboVPort2", ConfigKind::NameBox, "COM1", false},
    {"VirPort3=", "ComboVPort3", ConfigKind::NameBox, "COM1", false},
    {"RigPortAutoConnect=", "chkConnectK3", ConfigKind::Box, "0", false},
    {"VirPort1AutoConnect=", "chkConnect1", ConfigKind::Box, "0", false},
    {"VirPort2AutoConnect=", "chkConnect2", ConfigKind::Box, "0", false},
    {"VirPort3AutoConnect=", "chkConnect3", ConfigKind::Box, "0", false},
    {"Pgm_1_Name=", "txtAppName1", ConfigKind::Text, "Enter Name", false},
    {"Pgm_2_Name=", "txtAppName2", ConfigKind::Text, "Enter Name", false},
    {"Pgm_3_Name=", "txtAppName3", ConfigKind::Text, "Enter Name", false},
    {"On_Top=", "chkOnTop", ConfigKind::OnTopBox, "0", false},
    {"Poll=", "txtPOLL", ConfigKind::Poll, "200", false},
    {"VirPort1AutoInfo2=", "chkAI1", ConfigKind::Box, "0", false},
    {"VirPort2AutoInfo2=", "chkAI3", ConfigKind::Box, "0", false},
    {"VirPort3AutoInfo2=", "chkAI5", ConfigKind::Box, "0", false},
    {"VirPort1AutoInfo2=", "chkAI2", ConfigKind::Box, "1", false},
    {"RigBaudRate(0,1,2,3,4..4800 to 57600)=", "cbBaudRate", ConfigKind::Selection, "3", true},
    {"VirPort2AutoInfo2=", "chkAI4", ConfigKind::Box, "0", true},
    {"VirPort3AutoInfo2=", "chkAI6", ConfigKind::Box, "0", true},
    {"OutputPort1=", "ComboPort2", ConfigKind::NameBox, "COM1", false},
    {"OutputPort2=", "ComboPort3", ConfigKind::NameBox, "COM1", false},
    {"VirPort4AutoConnect=", "chkConnect4", ConfigKind::Box, "0", true},
    {"VirPort5AutoConnect=", "chkConnect5", ConfigKind::Box, "0", true},
    {"VirPort1AutoLaunch=", "chkLaunch1", ConfigKind::Box, "0", true},
    {"VirPort2AutoLaunch=", "chkLaunch2", ConfigKind::Box, "0", true},
    {"VirPort3AutoLaunch=", "chkLaunch3", ConfigKind::Box, "0", true},
    {"VirPort4AutoLaunch=", "chkLaunch4", ConfigKind::Box, "0", true},
    {"VirPort5AutoLaunch=", "chkLaunch5", ConfigKind::Box, "0", true},
    {"VirPort4AutoInfo2=", "chkAI8", ConfigKind::Box, "0", true},
    {"VirPort5AutoInfo2=", "chkAI10", ConfigKind::Box, "0", true},
    {"Pgm_4_Name=", "txtAppName4", ConfigKind::Text, "Enter Name", false},
    {"Pgm_5_Name=", "txtAppName5", ConfigKind::Text, "Enter Name", false},
    {"VPort1 App Path=", "txtVportAppPath0", ConfigKind::Path, "Enter Name", false},
    {"VPort2 App Path=", "txtVportAppPath1", ConfigKind::Path, "Enter Name", false},
    {"VPort3 App Path=", "txtVportAppPath2", ConfigKind::Path, "Enter Name", false},
    {"VPort4 App Path=", "txtVportAppPath3", ConfigKind::Path, "Enter Name", false},
    {"VPort5 App Path=", "txtVportAppPath4", ConfigKind::Path, "Enter Name", false},
    {"OutputPort1AutoConnect=", "chkConnectOut1", ConfigKind::Box, "0", true},
    {"OutputPort2AutoConnect=", "chkConnectOut2", ConfigKind::Box, "0", true},
    {"PowerSDRAutoLaunch=", "chkLaunchPSDR", ConfigKind::Box, "0", true},
    {"StartOVXminimized=", "chkOVXmin", ConfigKind::MinimizedBox, "0", true},
    // A Windows default would name no program here; a path read from a file is kept as it is.
    {"PowerSDR App Path=", "txtVportAppPath5", ConfigKind::Path, "Enter Name", false},
    {"VirPort4=", "ComboVPort4", ConfigKind::NameBox, "COM1", false},
    {"VirPort5=", "ComboVPort5", ConfigKind::NameBox, "COM1", false},
    {"VirPort7=", "ComboVPort7", ConfigKind::NameBox, "COM1", false},
    {"VirPort7AutoConnect=", "chkConnect7", ConfigKind::Box, "0", true},
    {"Rig Type(0,1,2..K3, Yaesu, Ken)=", "cbRigType", ConfigKind::Selection, "0", true},
}};

// The values read, by position: slot k holds line k + 1. Lines past the 61st are dropped.
constexpr int kReadSlots = 61;
using ConfigReadTable = std::array<QString, kReadSlots>;

// A config.ini larger than this is not a config.ini; only its start is read.
constexpr qsizetype kMaxConfigBytes = 256 * 1024;

// Splits the file into lines (CR LF or LF) and keeps what follows the first "=" of each.
ConfigReadTable parseConfig(const QByteArray &contents);

// The file text of 51 values, each line ended with CR LF.
QByteArray formatConfig(const std::array<QString, kConfigLines.size()> &values);

// The leading number of a text (sign, digits, a decimal point); 0 when it has none.
double leadingNumber(const QString &text);
// The text as a whole number, a fraction going to the nearest (halves to even); nothing when the
// text is not a number.
std::optional<int> wholeNumber(const QString &text);
// A window edge as written: twips, without a fraction when whole, never negative.
QString edgeText(double twips);
