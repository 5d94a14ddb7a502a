#include "rig/rig_tables.h"

#include <QString>

namespace {
QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

template <std::size_t N>
QList<QByteArray> commandsFor(const std::array<ConnectCommand, N> &table, RigType rigType)
{
    QList<QByteArray> commands;
    for (const ConnectCommand &c : table) {
        if (holds(c.when, rigType))
            commands.append(bytes(c.text));
    }
    return commands;
}
} // namespace

QList<QByteArray> setUpFor(RigType rigType)
{
    return commandsFor(kSetUp, rigType);
}

QList<QByteArray> loadQueriesFor(RigType rigType)
{
    return commandsFor(kLoadQueries, rigType);
}

QList<QByteArray> pollWrites(const QString &transmitIndicator, bool sdrHeld, RigType rigType)
{
    const bool known = rigType != RigType::None;
    const auto column = std::size_t(rigTypeIndex(rigType));
    if (transmitIndicator == QLatin1String("Off")) {
        if (!sdrHeld) {
            QList<QByteArray> writes{bytes(kPollReceiveCommon)};
            if (known)
                writes.append(bytes(kPollReceive.byRigType[column]));
            return writes;
        }
        if (known)
            return {bytes(kPollReceiveWithSdr.byRigType[column])};
        return {};
    }
    if (transmitIndicator == QLatin1String("On"))
        return {bytes(kPollTransmit)};
    return {};
}
