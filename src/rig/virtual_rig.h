#pragma once

#include "rig/rig_type.h"

#include <QByteArray>

#include <array>
#include <optional>
#include <string_view>

// The entries of the virtual rig: the rig's last reply to each of these queries. The first 27 are
// the CAT text families'; the Icom ones hold a CI-V reply carried as text (civ_framing.h): its
// command and sub-command, then its data, in hex.
enum class Entry {
    BG,
    BW,
    CW,
    DT,
    FA,
    FB,
    FI,
    FR,
    FT,
    FW,
    FWs,
    IC,
    ID,
    IF,
    IS,
    KP,
    MD,
    MDs,
    OM,
    PA,
    PAs,
    RA,
    RAs,
    SM,
    SMs,
    TQ,
    TX,
    CivFreq,      // 03: the selected VFO's frequency
    CivMode,      // 04: its mode and filter
    CivSplit,     // 0F
    CivPtt,       // 1C 00
    CivMeter,     // 15 02: the S-meter
    CivPower,     // 14 0A: the RF power level
    CivId,        // 19 00: the radio's address
    CivFreqSel,   // 25 00
    CivFreqUnsel, // 25 01
    CivModeSel,   // 26 00: mode, data mode and filter
    CivModeUnsel, // 26 01
};
constexpr int kEntryCount = 38;

struct EntryRow {
    Entry entry;
    std::string_view mnemonic; // with '$' for the five K3 extended forms
    int requiredLength;        // 0, or the exact length a reply must have to be kept
};

// Which entries a family keeps is in its record (family_caps.h). A K3 replies to OM with 16
// characters.
inline constexpr std::array<EntryRow, kEntryCount> kEntries{
    {{Entry::BG, "BG", 0},           {Entry::BW, "BW", 0},
     {Entry::CW, "CW", 0},           {Entry::DT, "DT", 0},
     {Entry::FA, "FA", 0},           {Entry::FB, "FB", 0},
     {Entry::FI, "FI", 0},           {Entry::FR, "FR", 0},
     {Entry::FT, "FT", 0},           {Entry::FW, "FW", 0},
     {Entry::FWs, "FW$", 0},         {Entry::IC, "IC", 0},
     {Entry::ID, "ID", 0},           {Entry::IF, "IF", 0},
     {Entry::IS, "IS", 0},           {Entry::KP, "KP", 0},
     {Entry::MD, "MD", 0},           {Entry::MDs, "MD$", 0},
     {Entry::OM, "OM", 16},          {Entry::PA, "PA", 0},
     {Entry::PAs, "PA$", 0},         {Entry::RA, "RA", 0},
     {Entry::RAs, "RA$", 0},         {Entry::SM, "SM", 0},
     {Entry::SMs, "SM$", 0},         {Entry::TQ, "TQ", 0},
     {Entry::TX, "TX", 0},           {Entry::CivFreq, "03", 0},
     {Entry::CivMode, "04", 0},      {Entry::CivSplit, "0F", 0},
     {Entry::CivPtt, "1C00", 0},     {Entry::CivMeter, "1502", 0},
     {Entry::CivPower, "140A", 0},   {Entry::CivId, "1900", 0},
     {Entry::CivFreqSel, "2500", 0}, {Entry::CivFreqUnsel, "2501", 0},
     {Entry::CivModeSel, "2600", 0}, {Entry::CivModeUnsel, "2601", 0}}};

// entryRow() finds a row by its entry's number: each row stands at that index.
constexpr bool rowsInEntryOrder()
{
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if (kEntries[i].entry != Entry(i))
            return false;
    }
    return true;
}
static_assert(rowsInEntryOrder());

constexpr const EntryRow &entryRow(Entry e)
{
    return kEntries[std::size_t(e)];
}

// The query that asks for an entry: "FA;", "FW$;".
QByteArray queryOf(Entry e);
// Whether the command is that query (without building it).
bool isQueryOf(const QByteArray &command, Entry e);
// The row whose query the command is, or nullptr.
const EntryRow *rowOfQuery(const QByteArray &command);

// Whether a reply belongs to an entry and may be kept under this rig type.
bool accepts(Entry e, const QByteArray &reply, RigType rigType);

// The rig's last accepted reply per entry, exactly as sent, ';' included. Empty at start and
// never cleared: entries survive Disconnect and a change of rig type.
class VirtualRigState {
public:
    const QByteArray &get(Entry e) const { return m_entries[std::size_t(e)]; }
    void set(Entry e, const QByteArray &reply) { m_entries[std::size_t(e)] = reply; }

private:
    std::array<QByteArray, kEntryCount> m_entries;
};
