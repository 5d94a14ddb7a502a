#pragma once

#include "rig/virtual_rig.h"

#include <QList>

#include <cstring>

// Which rig types keep each entry of the virtual rig, written out once for the tests of every
// table that depends on it (storing, routing, the ports' answers): '0' K3, '1' Yaesu, '2'
// Kenwood, '3' K2, 'n' no rig type selected.
inline const char *keptBy(Entry e)
{
    switch (e) {
    case Entry::BG:
    case Entry::TQ:
        return "03";
    case Entry::FA:
    case Entry::FB:
    case Entry::FR:
    case Entry::FT:
    case Entry::ID:
    case Entry::IF:
        return "0123n";
    case Entry::FW:
    case Entry::MD:
    case Entry::PA:
    case Entry::RA:
    case Entry::SM:
        return "023n";
    case Entry::KP:
    case Entry::TX:
        return "1";
    default:
        return "0"; // the K3's own: BW, CW, DT, FI, IC, IS, OM and the '$' forms
    }
}

inline bool keeps(RigType type, Entry e)
{
    const char key = type == RigType::None ? 'n' : char('0' + rigTypeIndex(type));
    return std::strchr(keptBy(e), key) != nullptr;
}

// Every rig type and none, for tables walked under each.
inline const QList<RigType> kEveryRigType{RigType::None, RigType::K3, RigType::Yaesu,
                                          RigType::Kenwood, RigType::K2};

// The entry a query asks for ("FW$;" gives FW$), if it is one of the 27.
inline std::optional<Entry> entryOfQuery(const QByteArray &query)
{
    for (const EntryRow &row : kEntries) {
        if (queryOf(row.entry) == query)
            return row.entry;
    }
    return std::nullopt;
}
