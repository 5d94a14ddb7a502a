#include "rig/rig_tables.h"

#include <QString>

namespace {
QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}
} // namespace

QList<QByteArray> loadQueriesFor(int rigType)
{
    QList<QByteArray> queries;
    for (const LoadQuery &q : kLoadQueries) {
        if (holds(q.when, rigType))
            queries.append(bytes(q.query));
    }
    return queries;
}

QList<QByteArray> pollWrites(const QString &transmitIndicator, bool sdrHeld, int rigType)
{
    const bool known = rigType >= 0 && rigType < 4;
    if (transmitIndicator == QLatin1String("Off")) {
        if (!sdrHeld) {
            QList<QByteArray> writes{bytes(kPollReceiveCommon)};
            if (known)
                writes.append(bytes(kPollReceive.byRigType[std::size_t(rigType)]));
            return writes;
        }
        if (known)
            return {bytes(kPollReceiveWithSdr.byRigType[std::size_t(rigType)])};
        return {};
    }
    if (transmitIndicator == QLatin1String("On"))
        return {bytes(kPollTransmit)};
    return {};
}
