#include "appports/command_tables.h"

namespace {

QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

template <std::size_t N>
const Entry *answering(const std::array<Entry, N> &table, const QByteArray &command,
                       RigType rigType)
{
    for (const Entry &e : table) {
        if (isQueryOf(command, e) && keeps(rigType, e))
            return &e;
    }
    return nullptr;
}

bool startsWithAny(const QByteArray &command, std::span<const std::string_view> prefixes)
{
    for (std::string_view p : prefixes) {
        if (command.startsWith(QByteArrayView(p.data(), qsizetype(p.size()))))
            return true;
    }
    return false;
}

} // namespace

CommandClass classify(const QByteArray &command, RigType rigType, const QByteArray &idReply,
                      int port)
{
    const bool kept = port == 1 ? answering(kPort1Answers, command, rigType)
                                : answering(kPorts2to5Answers, command, rigType);
    if (kept)
        return CommandClass::KeptRead;
    if (isRead(catDialect(rigType), command, idReply))
        return CommandClass::Read;
    const FamilyCaps &family = familyCaps(rigType);
    if (startsWithAny(command, family.metaCommands))
        return CommandClass::Meta;
    if (startsWithAny(command, family.freqModeSettings))
        return CommandClass::FreqMode;
    return CommandClass::Setting;
}

bool sdrForwards(const QByteArray &command, const QByteArray &storedFA, RigType rigType)
{
    if (command == storedFA)
        return false;
    const QByteArray mnemonics = bytes(familyCaps(rigType).sdrHeldBack);
    for (const QByteArray &held : mnemonics.split(' ')) {
        if (!held.isEmpty() && command.startsWith(held))
            return false;
    }
    return true;
}
