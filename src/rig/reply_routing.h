#pragma once

#include "rig/family_caps.h"

#include <QByteArray>

#include <array>
#include <optional>

// What follows the storing of a rig reply.
enum class RigAction : quint8 {
    None,
    AI1,         // the stored IF reply to the ports whose "AI1" box is set
    AI2,         // the reply to the ports whose "AI2" box is set
    Sdr,         // the reply to the SDR program, if one holds its port
    Out,         // open the output window when an output port is open
    Text8,       // show the reply as the published FA item
    TxIndicator, // "On" when the family's transmit column says so, else "Off"
    Report,      // a CI-V radio's new frequency or mode, as its report, to the ports with an AI
                 // box set and to the SDR program: when it is a report, or changes what was kept
};

struct RoutingRow {
    Entry entry; // the reply's mnemonic, and the rig types that keep it
    std::array<RigAction, 3> then;
    bool FamilyCaps::*onlyIf = nullptr; // the row holds only where the family's record says so
};

// Rows are tried in order; the first whose entry the rig type keeps the reply in, and whose
// condition holds, takes it. The '$' forms come before their plain mnemonic. A reply no row takes
// goes to application port 1.
inline constexpr std::array<RoutingRow, 39> kReplyRouting{{
    {Entry::BG, {RigAction::AI2}},
    {Entry::BW, {RigAction::AI2, RigAction::Sdr}},
    {Entry::CW, {RigAction::AI2, RigAction::Sdr}},
    {Entry::DT, {RigAction::AI2, RigAction::Sdr}},
    {Entry::FA, {RigAction::AI2, RigAction::Sdr, RigAction::Text8}},
    {Entry::FB, {RigAction::Sdr}},
    {Entry::FI, {RigAction::AI2, RigAction::Sdr}},
    {Entry::FR, {RigAction::AI2, RigAction::Out}},
    {Entry::FT, {RigAction::AI2, RigAction::Out, RigAction::Sdr}, &FamilyCaps::sdrHearsFt},
    {Entry::FT, {RigAction::AI2, RigAction::Out}},
    {Entry::FWs, {RigAction::AI2}},
    {Entry::FW, {RigAction::AI2}},
    {Entry::IC, {RigAction::AI2}},
    {Entry::ID, {}},
    {Entry::IF, {RigAction::AI1, RigAction::Sdr}},
    {Entry::IS, {RigAction::AI2, RigAction::Sdr}},
    {Entry::KP, {RigAction::AI2}},
    {Entry::MDs, {RigAction::AI1, RigAction::AI2}},
    {Entry::MD, {RigAction::AI1, RigAction::AI2}},
    {Entry::OM, {}},
    {Entry::PAs, {RigAction::AI2}},
    {Entry::PA, {RigAction::Sdr}},
    {Entry::RAs, {RigAction::AI2}},
    {Entry::RA, {RigAction::AI2, RigAction::Sdr}},
    {Entry::SMs, {RigAction::AI2}},
    {Entry::SM, {RigAction::AI2}},
    {Entry::TX, {RigAction::AI2, RigAction::Sdr}},
    {Entry::TQ, {RigAction::AI2, RigAction::TxIndicator}},
    {Entry::CivFreq, {RigAction::Report, RigAction::Text8, RigAction::Out}},
    {Entry::CivMode, {RigAction::Report}},
    {Entry::CivPtt, {RigAction::TxIndicator}},
    {Entry::CivSplit, {}},
    {Entry::CivMeter, {}},
    {Entry::CivPower, {}},
    {Entry::CivId, {}},
    {Entry::CivFreqSel, {}},
    {Entry::CivFreqUnsel, {}},
    {Entry::CivModeSel, {}},
    {Entry::CivModeUnsel, {}},
}};

// The row that takes a reply under this rig type; nullptr sends it to application port 1.
const RoutingRow *routeReply(const QByteArray &reply, RigType rigType);
