#pragma once

#include "rig/rig_type.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <string_view>

// A command the bridge writes at connection, and the rig types it is written to.
struct ConnectCommand {
    std::string_view text;
    RigCond when;
};

// Set-up commands after the probe, each followed by a 50 ms wait: a K3 reports front-panel
// changes by itself (AI2) in its extended formats (K31, K22). A K2 gets its extended formats
// too, the ones the station libraries put it in when they open it: they cannot, through the
// bridge, which keeps AI, K2 and K3 settings from every program.
inline constexpr std::array<ConnectCommand, 4> kSetUp{{
    {"AI0;", RigCond::K3},
    {"K31;", RigCond::K3},
    {"AI2;", RigCond::K3},
    {"K22;", RigCond::K3orK2},
}};

QList<QByteArray> setUpFor(RigType rigType);

// The queries that fill the virtual rig at connection, in order, each followed by a 30 ms wait.
// A K3 gets 25, a K2 13, a Kenwood rig 8, a Yaesu 7.
inline constexpr std::array<ConnectCommand, 33> kLoadQueries{{
    {"FA;", RigCond::Any},
    {"FB;", RigCond::Any},
    {"ID;", RigCond::Any},
    {"IF;", RigCond::Any},
    {"FR;", RigCond::Any},
    {"FT;", RigCond::Any},
    {"KP;", RigCond::Yaesu},
    {"FW;", RigCond::NotYaesu},
    // A Kenwood rig does not report a mode change by itself: the virtual rig reads it.
    {"MD;", RigCond::Kenwood},
    // K2
    {"BG;", RigCond::K2},
    {"MD;", RigCond::K2},
    {"PA;", RigCond::K2},
    {"RA;", RigCond::K2},
    {"SM;", RigCond::K2},
    {"TQ;", RigCond::K2},
    // K3
    {"OM;", RigCond::K3},
    {"BG;", RigCond::K3},
    {"BW;", RigCond::K3},
    {"CW;", RigCond::K3},
    {"DT;", RigCond::K3},
    {"FI;", RigCond::K3},
    {"FW$;", RigCond::K3},
    {"IC;", RigCond::K3},
    {"IS;", RigCond::K3},
    {"MD;", RigCond::K3},
    {"MD$;", RigCond::K3},
    {"PA;", RigCond::K3},
    {"PA$;", RigCond::K3},
    {"RA;", RigCond::K3},
    {"RA$;", RigCond::K3},
    {"SM;", RigCond::K3},
    {"SM$;", RigCond::K3},
    {"TQ;", RigCond::K3},
}};

QList<QByteArray> loadQueriesFor(RigType rigType);

// Baud-rate list index to the rig port's mode; any other index applies no mode.
inline constexpr std::array<std::string_view, 5> kBaudModes{
    "4800,N,8,1", "9600,N,8,1", "19200,N,8,1", "38400,N,8,1", "57600,N,8,1"};

// The mode of a baud-rate list index, or empty.
constexpr std::string_view baudModeAt(int index)
{
    return index >= 0 && index < int(kBaudModes.size()) ? kBaudModes[std::size_t(index)]
                                                        : std::string_view();
}

// The speed a mode starts with ("4800,N,8,1": 4800); 0 for none.
constexpr int baudOf(std::string_view mode)
{
    int baud = 0;
    for (std::size_t i = 0; i < mode.size() && mode[i] >= '0' && mode[i] <= '9'; ++i)
        baud = baud * 10 + (mode[i] - '0');
    return baud;
}
static_assert(baudOf(baudModeAt(0)) == 4800 && baudOf(baudModeAt(5)) == 0);

// Poll strings by state and rig type (K3, Yaesu, Kenwood, K2). Each string is one write.
struct PollRow {
    std::array<std::string_view, 4> byRigType;
};
// In receive with no SDR program, this goes first, then the rig type's own string.
inline constexpr std::string_view kPollReceiveCommon = "IF;FA;FB;FR;FT;";
// A Kenwood rig is asked for its mode too: it reports no change by itself.
inline constexpr PollRow kPollReceive{
    {"BG;BW;CW;DT;IC;IS;FI;PA;RA;TQ;", "KP;TX;", "MD;PA;RA;", "BG;MD;SM;PA;RA;TQ;"}};
inline constexpr PollRow kPollReceiveWithSdr{
    {"BG;IC;FA;FR;FT;TQ;", "FR;KP;", "FA;FR;FT;MD;", "BG;FA;FR;FT;MD;SM;TQ;"}};
// Whatever the rig type, no selection included.
inline constexpr std::string_view kPollTransmit = "BG;SM;TQ;";

// The writes of one poll tick, from the transmit indicator's text, whether a program holds the
// SDR port, and the rig type.
QList<QByteArray> pollWrites(const QString &transmitIndicator, bool sdrHeld, RigType rigType);
