#include "rig/virtual_rig.h"

QByteArray queryOf(Entry e)
{
    const auto m = entryRow(e).mnemonic;
    return QByteArray(m.data(), qsizetype(m.size())) + ';';
}

bool accepts(Entry e, const QByteArray &reply, RigType rigType)
{
    const EntryRow &row = entryRow(e);
    return reply.startsWith(QByteArrayView(row.mnemonic.data(), qsizetype(row.mnemonic.size()))) &&
           holds(row.storedFor, rigType) &&
           (row.requiredLength == 0 || reply.size() == row.requiredLength);
}
