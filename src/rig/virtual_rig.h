#pragma once

#include "rig/rig_type.h"

#include <QByteArray>

#include <array>
#include <optional>
#include <string_view>

// The 27 entries of the virtual rig: the rig's last reply to each of these queries.
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
};
constexpr int kEntryCount = 27;

struct EntryRow {
    Entry entry;
    std::string_view mnemonic; // with '$' for the five K3 extended forms
    RigCond storedFor;         // rig types whose replies are kept
    int requiredLength;        // 0, or the exact length a reply must have to be kept
};

// Which rig types keep which entry.
inline constexpr std::array<EntryRow, kEntryCount> kEntries{{
    {Entry::BG, "BG", RigCond::K3orK2, 0},   {Entry::BW, "BW", RigCond::K3, 0},
    {Entry::CW, "CW", RigCond::K3, 0},       {Entry::DT, "DT", RigCond::K3, 0},
    {Entry::FA, "FA", RigCond::Any, 0},      {Entry::FB, "FB", RigCond::Any, 0},
    {Entry::FI, "FI", RigCond::K3, 0},       {Entry::FR, "FR", RigCond::Any, 0},
    {Entry::FT, "FT", RigCond::Any, 0},      {Entry::FW, "FW", RigCond::NotYaesu, 0},
    {Entry::FWs, "FW$", RigCond::K3, 0},     {Entry::IC, "IC", RigCond::K3, 0},
    {Entry::ID, "ID", RigCond::Any, 0},      {Entry::IF, "IF", RigCond::Any, 0},
    {Entry::IS, "IS", RigCond::K3, 0},       {Entry::KP, "KP", RigCond::Yaesu, 0},
    {Entry::MD, "MD", RigCond::NotYaesu, 0}, {Entry::MDs, "MD$", RigCond::K3, 0},
    {Entry::OM, "OM", RigCond::K3, 16}, // K3 replies to OM with 16 characters
    {Entry::PA, "PA", RigCond::NotYaesu, 0}, {Entry::PAs, "PA$", RigCond::K3, 0},
    {Entry::RA, "RA", RigCond::NotYaesu, 0}, {Entry::RAs, "RA$", RigCond::K3, 0},
    {Entry::SM, "SM", RigCond::NotYaesu, 0}, {Entry::SMs, "SM$", RigCond::K3, 0},
    {Entry::TQ, "TQ", RigCond::K3orK2, 0},   {Entry::TX, "TX", RigCond::Yaesu, 0},
}};

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
