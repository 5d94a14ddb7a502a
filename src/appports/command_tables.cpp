#include "appports/command_tables.h"

namespace {

template <std::size_t N>
const Entry *answering(const std::array<Entry, N> &table, const QByteArray &command,
                       RigType rigType)
{
    for (const Entry &e : table) {
        if (isQueryOf(command, e) && holds(entryRow(e).storedFor, rigType))
            return &e;
    }
    return nullptr;
}

template <std::size_t N>
bool startsWithAny(const QByteArray &command, const std::array<std::string_view, N> &prefixes)
{
    for (std::string_view p : prefixes) {
        if (command.startsWith(QByteArrayView(p.data(), qsizetype(p.size()))))
            return true;
    }
    return false;
}

template <std::size_t N>
bool equalsAny(const QByteArray &command, const std::array<std::string_view, N> &texts)
{
    for (std::string_view t : texts) {
        if (command == QByteArrayView(t.data(), qsizetype(t.size())))
            return true;
    }
    return false;
}

} // namespace

CommandDecision decidePort1(const QByteArray &command, RigType rigType)
{
    if (const Entry *e = answering(kPort1Answers, command, rigType))
        return {CommandOutcome::Answer, *e};
    if (startsWithAny(command, kPort1Dropped) && !equalsAny(command, kPort1ForwardedQueries))
        return {CommandOutcome::Drop};
    return {CommandOutcome::Forward};
}

CommandDecision decidePorts2to5(const QByteArray &command, RigType rigType)
{
    if (const Entry *e = answering(kPorts2to5Answers, command, rigType))
        return {CommandOutcome::Answer, *e};
    if (startsWithAny(command, kPorts2to5Forwarded))
        return {CommandOutcome::Forward};
    return {CommandOutcome::Drop};
}

CommandKind kindOf(const CatDialect &dialect, const QByteArray &command, const QByteArray &idReply)
{
    if (isRead(dialect, command, idReply))
        return CommandKind::Read;
    if (startsWithAny(command, kPort1Dropped))
        return CommandKind::Meta;
    return CommandKind::Setting;
}

PortAction actionFor(CommandOutcome decided, CommandKind kind, Permission permission)
{
    for (const PortRule &rule : kPortRules) {
        if (rule.decided == decided && rule.kind == kind &&
            (rule.permission == Permission::Any || rule.permission == permission))
            return rule.action;
    }
    // A command the tables answer but that is no read (none is): nothing reaches the rig.
    return PortAction::Drop;
}

bool sdrForwards(const QByteArray &command, const QByteArray &storedFA, RigType rigType)
{
    if (command == storedFA)
        return false;
    return !(rigType == RigType::K2 && startsWithAny(command, kSdrHeldFromK2));
}
