#include "rig/rig_tables.h"

#include <QString>

namespace {
QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}
} // namespace

QList<QByteArray> setUpFor(RigType rigType)
{
    QList<QByteArray> commands;
    for (const SetUpCommand &c : kSetUp) {
        if (!c.command.empty() && holds(c.when, rigType))
            commands.append(bytes(c.command));
    }
    return commands;
}

QList<QByteArray> loadQueriesFor(RigType rigType)
{
    QList<QByteArray> queries;
    for (const LoadQuery &q : kLoadQueries) {
        if (holds(q.when, rigType))
            queries.append(bytes(q.query));
    }
    return queries;
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
