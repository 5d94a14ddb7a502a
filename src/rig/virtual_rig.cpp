#include "rig/virtual_rig.h"

#include "rig/family_caps.h"

QByteArray queryOf(Entry e)
{
    const auto m = entryRow(e).mnemonic;
    return QByteArray(m.data(), qsizetype(m.size())) + ';';
}

bool isQueryOf(const QByteArray &command, Entry e)
{
    const std::string_view m = entryRow(e).mnemonic;
    return command.size() == qsizetype(m.size()) + 1 && command.endsWith(';') &&
           command.startsWith(QByteArrayView(m.data(), qsizetype(m.size())));
}

const EntryRow *rowOfQuery(const QByteArray &command)
{
    for (const EntryRow &row : kEntries) {
        if (isQueryOf(command, row.entry))
            return &row;
    }
    return nullptr;
}

bool accepts(Entry e, const QByteArray &reply, RigType rigType)
{
    const EntryRow &row = entryRow(e);
    return reply.startsWith(QByteArrayView(row.mnemonic.data(), qsizetype(row.mnemonic.size()))) &&
           keeps(rigType, e) && (row.requiredLength == 0 || reply.size() == row.requiredLength);
}
