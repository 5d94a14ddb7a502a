#pragma once

#include "rig/cat_dialect.h"
#include "rig/rig_access.h"
#include "rig/virtual_rig.h"

#include <QByteArray>

#include <array>
#include <span>
#include <string_view>

// The queries each port answers from the virtual rig. A query is answered only under the rig
// types whose replies the virtual rig keeps for it; otherwise it is handled like any other text.
// Every port answers every Icom read the virtual rig keeps.
inline constexpr std::array<Entry, 38> kPort1Answers{
    Entry::BG,           Entry::BW,         Entry::CW,           Entry::DT,      Entry::FA,
    Entry::FB,           Entry::FI,         Entry::FR,           Entry::FT,      Entry::FW,
    Entry::FWs,          Entry::IC,         Entry::ID,           Entry::IF,      Entry::IS,
    Entry::KP,           Entry::MDs,        Entry::MD,           Entry::OM,      Entry::PA,
    Entry::PAs,          Entry::RA,         Entry::RAs,          Entry::SM,      Entry::SMs,
    Entry::TQ,           Entry::TX,         Entry::CivFreq,      Entry::CivMode, Entry::CivSplit,
    Entry::CivPtt,       Entry::CivMeter,   Entry::CivPower,     Entry::CivId,   Entry::CivFreqSel,
    Entry::CivFreqUnsel, Entry::CivModeSel, Entry::CivModeUnsel,
};
inline constexpr std::array<Entry, 23> kPorts2to5Answers{
    Entry::FA,           Entry::FB,         Entry::FR,           Entry::FT,      Entry::ID,
    Entry::IF,           Entry::KP,         Entry::MD,           Entry::PA,      Entry::RA,
    Entry::SM,           Entry::TX,         Entry::CivFreq,      Entry::CivMode, Entry::CivSplit,
    Entry::CivPtt,       Entry::CivMeter,   Entry::CivPower,     Entry::CivId,   Entry::CivFreqSel,
    Entry::CivFreqUnsel, Entry::CivModeSel, Entry::CivModeUnsel,
};

// What one command from a station program is, decided once by the rig type's table.
enum class CommandClass {
    KeptRead, // a read this port answers from the virtual rig
    Read,     // any other read the table knows: asked of the rig, its reply back to the port
    FreqMode, // a frequency or mode setting (the family's freqModeSettings)
    Setting,  // any other setting, and whatever the table does not know as a read
    Meta,     // a setting of the family's metaCommands: an AI, K2 or K3 level
};
inline constexpr int kCommandClassCount = 5;

enum class PortAction {
    Answer, // from the virtual rig when it holds a current reply, else asked of the rig
    Ask,    // a read for the rig; the reply comes back to the port
    Set,    // a setting for the rig
    Drop,   // nothing, silently
    Refuse, // nothing, and the port's terminal says why (once per kind of command)
};

// By permission, then by class.
inline constexpr PortAction kPortActions[2][kCommandClassCount] = {
    // KeptRead        Read              FreqMode          Setting             Meta
    {PortAction::Answer, PortAction::Ask, PortAction::Set, PortAction::Refuse, PortAction::Drop},
    {PortAction::Answer, PortAction::Ask, PortAction::Set, PortAction::Set, PortAction::Drop},
};

// Port 1 answers from kPort1Answers, ports 2 to 5 from kPorts2to5Answers.
CommandClass classify(const QByteArray &command, RigType rigType, const QByteArray &idReply,
                      int port);

constexpr PortAction portAction(CommandClass c, Permission permission)
{
    return kPortActions[permission == Permission::Full ? 1 : 0][int(c)];
}

// True when the SDR program's command goes to the rig: not the frequency the rig has already, nor
// what the family's record holds back.
bool sdrForwards(const QByteArray &command, const QByteArray &storedFA, RigType rigType);
