#include "rig/rig_tables.h"

#include "rig/family_caps.h"

namespace {

QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

// "AI0;K31;" is written as "AI0;" and "K31;".
QList<QByteArray> eachCommand(std::string_view commands)
{
    QList<QByteArray> out;
    for (const QByteArray &c : bytes(commands).split(';')) {
        if (!c.isEmpty())
            out.append(c + ';');
    }
    return out;
}

} // namespace

QList<QByteArray> setUpFor(RigType rigType)
{
    return eachCommand(familyCaps(rigType).setUp);
}

QList<QByteArray> loadQueriesFor(RigType rigType)
{
    return eachCommand(familyCaps(rigType).loadQueries);
}

QList<QByteArray> pollWrites(bool transmitting, bool sdrHeld, RigType rigType)
{
    const FamilyCaps &f = familyCaps(rigType);
    QList<QByteArray> writes;
    for (std::string_view w : transmitting ? std::array{f.pollTransmit, std::string_view()}
                              : sdrHeld    ? std::array{f.pollWithSdr, std::string_view()}
                                           : f.pollReceive) {
        if (!w.empty())
            writes.append(bytes(w));
    }
    return writes;
}
