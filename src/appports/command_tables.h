#pragma once

#include "rig/cat_dialect.h"
#include "rig/virtual_rig.h"

#include <QByteArray>

#include <array>
#include <string_view>

// What an application port does with one command from its station program.
enum class CommandOutcome { Answer, Forward, Drop };

struct CommandDecision {
    CommandOutcome outcome;
    Entry entry = Entry::FA; // the stored reply that answers, for Answer
};

// The queries each port answers from the virtual rig. A query is answered only under the rig
// types whose replies the virtual rig keeps for it; otherwise it is handled like any other text.
inline constexpr std::array<Entry, 27> kPort1Answers{
    Entry::BG, Entry::BW,  Entry::CW,  Entry::DT,  Entry::FA, Entry::FB, Entry::FI,
    Entry::FR, Entry::FT,  Entry::FW,  Entry::FWs, Entry::IC, Entry::ID, Entry::IF,
    Entry::IS, Entry::KP,  Entry::MDs, Entry::MD,  Entry::OM, Entry::PA, Entry::PAs,
    Entry::RA, Entry::RAs, Entry::SM,  Entry::SMs, Entry::TQ, Entry::TX,
};
inline constexpr std::array<Entry, 12> kPorts2to5Answers{
    Entry::FA, Entry::FB, Entry::FR, Entry::FT, Entry::ID, Entry::IF,
    Entry::KP, Entry::MD, Entry::PA, Entry::RA, Entry::SM, Entry::TX,
};

// Port 1 drops the rig's meta-commands, which would change what every other program sees...
inline constexpr std::array<std::string_view, 3> kPort1Dropped{"AI", "K2", "K3"};
// ...except their bare queries: they change nothing, and CAT libraries ask them when they open a
// K3 or a Yaesu radio and give up when no answer comes. The rig's reply comes back to port 1.
inline constexpr std::array<std::string_view, 3> kPort1ForwardedQueries{"AI;", "K2;", "K3;"};

// Ports 2 to 5 pass only frequency and mode commands to the rig.
inline constexpr std::array<std::string_view, 3> kPorts2to5Forwarded{"FA", "FB", "MD"};

// The SDR port holds these back from a K2, which has none of them: its "?;" would otherwise land
// on application port 1.
inline constexpr std::array<std::string_view, 6> kSdrHeldFromK2{"DT", "FI", "BW", "IS", "CW", "IC"};

// The first decision is the port's table above; what it means for the rig depends on what the
// command does and on what the port may change.
enum class CommandKind {
    Read,    // changes nothing at the rig: its reply goes back to the port
    Meta,    // AI, K2, K3 settings: they would change what every program sees
    Setting, // everything else
};
enum class Permission {
    Any,
    FreqMode, // "Freq/Mode": frequency and mode settings only (the rule of ports 2 to 5)
    Full,     // "Full": every setting, PTT and split included
};
enum class PortAction {
    Answer, // from the virtual rig when it holds a current reply, else asked of the rig
    Ask,    // a read for the rig; the reply comes back to the port
    Set,    // a setting for the rig
    Drop,   // nothing, silently
    Refuse, // nothing, and the port's terminal says why (once per kind of command)
};
struct PortRule {
    CommandOutcome decided;
    CommandKind kind;
    Permission permission;
    PortAction action;
};
// Rows are tried in order; the first that fits gives the action.
inline constexpr std::array<PortRule, 7> kPortRules{{
    {CommandOutcome::Answer, CommandKind::Read, Permission::Any, PortAction::Answer},
    {CommandOutcome::Forward, CommandKind::Read, Permission::Any, PortAction::Ask},
    {CommandOutcome::Forward, CommandKind::Setting, Permission::Any, PortAction::Set},
    {CommandOutcome::Drop, CommandKind::Read, Permission::Any, PortAction::Ask},
    {CommandOutcome::Drop, CommandKind::Meta, Permission::Any, PortAction::Drop},
    {CommandOutcome::Drop, CommandKind::Setting, Permission::Full, PortAction::Set},
    {CommandOutcome::Drop, CommandKind::Setting, Permission::FreqMode, PortAction::Refuse},
}};

CommandKind kindOf(const CatDialect &dialect, const QByteArray &command, const QByteArray &idReply);
PortAction actionFor(CommandOutcome decided, CommandKind kind, Permission permission);

CommandDecision decidePort1(const QByteArray &command, RigType rigType);
CommandDecision decidePorts2to5(const QByteArray &command, RigType rigType);
// True when the SDR program's command goes to the rig.
bool sdrForwards(const QByteArray &command, const QByteArray &storedFA, RigType rigType);
