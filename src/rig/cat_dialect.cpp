#include "rig/cat_dialect.h"

namespace {

using E = Entry;

// The reads each family knows, as the station programs send them when they open and poll a
// radio. A command no row matches is a setting: CW text ("KYWE;"), switch taps ("SWT;"), memory
// and scan commands ("SV;", "SC;"), clarifier steps ("RU;") and whatever a radio may add later.
constexpr ReadForm kElecraftReads[] = {
    {"AG"},  {"AG$"}, {"AI"},  {"AN"}, {"AP"}, {"AR"},  {"BG"},  {"BN"},      {"BN$"},
    {"BW"},  {"BW$"}, {"CP"},  {"CW"}, {"DB"}, {"DS"},  {"DT"},  {"DV"},      {"ES"},
    {"FA"},  {"FB"},  {"FI"},  {"FR"}, {"FT"}, {"FW"},  {"FW$"}, {"GT"},      {"IC"},
    {"ID"},  {"IF"},  {"IS"},  {"K2"}, {"K3"}, {"KS"},  {"LK"},  {"LK$"},     {"LN"},
    {"MC"},  {"MD"},  {"MD$"}, {"MG"}, {"ML"}, {"NB"},  {"NB$"}, {"NL"},      {"NL$"},
    {"OM"},  {"PA"},  {"PA$"}, {"PC"}, {"PO"}, {"PS"},  {"RA"},  {"RA$"},     {"RG"},
    {"RG$"}, {"RO"},  {"RT"},  {"SB"}, {"SD"}, {"SM"},  {"SM$"}, {"SMH"},     {"SQ"},
    {"SQ$"}, {"TB"},  {"TQ"},  {"VX"}, {"XF"}, {"XF$"}, {"XT"},  {"RV", "."}, // RVM; RVD; ...:
                                                                              // firmware revisions
};
constexpr ReadForm kKenwoodReads[] = {
    {"AC"},
    {"AG"},
    {"AG", "#"},
    {"AI"},
    {"AN"},
    {"BC"},
    {"BY"},
    {"CA"},
    {"CN"},
    {"CT"},
    {"DA"},
    {"DL"},
    {"FA"},
    {"FB"},
    {"FL"},
    {"FR"},
    {"FS"},
    {"FT"},
    {"FV"},
    {"FW"},
    {"GT"},
    {"ID"},
    {"IF"},
    {"IS"},
    {"KS"},
    {"LK"},
    {"MC"},
    {"MD"},
    {"MF"},
    {"MG"},
    {"ML"},
    {"MX"},
    {"NB"},
    {"NL"},
    {"NR"},
    {"NT"},
    {"PA"},
    {"PC"},
    {"PL"},
    {"PR"},
    {"PS"},
    {"PT"},
    {"RA"},
    {"RG"},
    {"RL"},
    {"RM"},
    {"RT"},
    {"SA"},
    {"SD"},
    {"SH"},
    {"SL"},
    {"TN"},
    {"TO"},
    {"TY"},
    {"VD"},
    {"VG"},
    {"VX"},
    {"XT"},
    {"SM", "#"}, // the meter of a receiver
    {"SQ", "#"},
    {"SF", "#"},       // a TS-590SG's VFO frequency and mode
    {"EX", "#######"}, // a menu read: menu number and "0000", where a setting adds the value
};
// Yaesu radios read most things with a selector ("MD0;", "SH0;", "BP00;"), and the setting is
// the same text followed by the value. Menu reads carry three digits on an FT-991 or FT-991A
// ("EX032;"), four on an FT-891 ("EX1107;"), six on an FTDX101 or FT-710; a longer text sets the
// menu. "TX;" reads the transmit state here.
constexpr ReadForm kYaesuReads[] = {
    {"AC"},
    {"AI"},
    {"AV"},
    {"BI"},
    {"FA"},
    {"FB"},
    {"FR"},
    {"FS"},
    {"FT"},
    {"ID"},
    {"IF"},
    {"KP"},
    {"KR"},
    {"KS"},
    {"LK"},
    {"MC"},
    {"MG"},
    {"MS"},
    {"OI"},
    {"PC"},
    {"PL"},
    {"PS"},
    {"RT"},
    {"SD"},
    {"ST"},
    {"SY"},
    {"TX"},
    {"VD"},
    {"VG"},
    {"VS"},
    {"VX"},
    {"XT"},
    {"AG", "#"},
    {"AN", "#"},
    {"BC", "#"},
    {"CN", "#"},
    {"CT", "#"},
    {"GT", "#"},
    {"IS", "#"},
    {"MD", "#"},
    {"ML", "#"},
    {"NA", "#"},
    {"NB", "#"},
    {"NL", "#"},
    {"NR", "#"},
    {"OS", "#"},
    {"PA", "#"},
    {"PR", "#"},
    {"RA", "#"},
    {"RF", "#"},
    {"RG", "#"},
    {"RI", "#"},
    {"RL", "#"},
    {"RM", "#"},
    {"SH", "#"},
    {"SM", "#"},
    {"SQ", "#"},
    {"BP", "##"},
    {"CN", "##"},
    {"CO", "##"},
    {"CF", "###"},
    {"MR", "###"},
    {"EX", "###", "ID0570"},
    {"EX", "###", "ID0670"},
    {"EX", "####", "ID0650"},
    {"EX", "######", "ID068"},
    {"EX", "######", "ID0800"},
};
// No family known: the reads every family shares.
constexpr ReadForm kCommonReads[] = {{"FA"}, {"FB"}, {"ID"}, {"IF"}, {"AI"}};

// What a setting puts out of date, and the read that brings it back. The IF status line holds
// the frequency, the mode, split and the transmit state, so most settings put it out of date.
constexpr SettingEffect kElecraftEffects[] = {
    {"FA", {E::FA, E::IF}, 2, "FA;"},
    {"FB", {E::FB, E::IF}, 2, "FB;"},
    {"FR", {E::FR, E::FT, E::IF}, 3, "FR;"}, // FR also ends split on an Elecraft radio
    {"FT", {E::FT, E::IF}, 2, "FT;"},
    {"MD$", {E::MDs}, 1, "MD$;"},
    {"MD", {E::MD, E::IF}, 2, "MD;"},
    {"DT", {E::DT, E::IF}, 2, "DT;"},
    {"BW$", {E::FWs}, 1, "FW$;"},
    {"BW", {E::BW, E::FW}, 2, "BW;"},
    {"FW$", {E::FWs}, 1, "FW$;"},
    {"FW", {E::FW, E::BW}, 2, "FW;"},
    {"IS", {E::IS}, 1, "IS;"},
    {"PA$", {E::PAs}, 1, "PA$;"},
    {"PA", {E::PA}, 1, "PA;"},
    {"RA$", {E::RAs}, 1, "RA$;"},
    {"RA", {E::RA}, 1, "RA;"},
    {"TX;", {E::TQ, E::IF, E::BG, E::SM}, 4, "TQ;"},
    {"RX;", {E::TQ, E::IF, E::BG, E::SM}, 4, "TQ;"},
};
constexpr SettingEffect kKenwoodEffects[] = {
    {"FA", {E::FA, E::IF}, 2, "FA;"},  {"FB", {E::FB, E::IF}, 2, "FB;"},
    {"FR", {E::FR, E::IF}, 2, "FR;"},  {"FT", {E::FT, E::IF}, 2, "FT;"},
    {"MD", {E::MD, E::IF}, 2, "MD;"},  {"FW", {E::FW}, 1, "FW;"},
    {"PA", {E::PA}, 1, "PA;"},         {"RA", {E::RA}, 1, "RA;"},
    {"TX;", {E::IF, E::SM}, 2, "IF;"}, {"RX;", {E::IF, E::SM}, 2, "IF;"},
    {"TX", {E::IF, E::SM}, 2, "IF;"}, // TX0; TX1; on a TS-590
};
constexpr SettingEffect kYaesuEffects[] = {
    {"FA", {E::FA, E::IF}, 2, "FA;"}, {"FB", {E::FB, E::IF}, 2, "FB;"},
    {"FT", {E::FT, E::IF}, 2, "FT;"}, {"MD", {E::IF}, 1, "IF;"},
    {"KP", {E::KP}, 1, "KP;"},        {"TX", {E::TX, E::IF}, 2, "TX;"},
};
// No family known: what every family shares.
constexpr SettingEffect kCommonEffects[] = {
    {"FA", {E::FA, E::IF}, 2, "FA;"},
    {"FB", {E::FB, E::IF}, 2, "FB;"},
    {"FT", {E::FT, E::IF}, 2, "FT;"},
};

// Settings of an absolute value: the newest of them is all the rig needs.
constexpr MergeKey kElecraftMerges[] = {
    {"FA", 2}, {"FB", 2},  {"FR", 2}, {"FT", 2}, {"MD$", 3}, {"MD", 2},  {"DT", 2}, {"BW$", 3},
    {"BW", 2}, {"FW$", 3}, {"FW", 2}, {"IS", 2}, {"PC", 2},  {"AG$", 3}, {"AG", 2}, {"RG$", 3},
    {"RG", 2}, {"SQ$", 3}, {"SQ", 2}, {"KS", 2}, {"MG", 2},  {"RO", 2},
};
constexpr MergeKey kKenwoodMerges[] = {
    {"FA", 2}, {"FB", 2}, {"FR", 2}, {"FT", 2}, {"MD", 2}, {"FW", 2},
    {"PC", 2}, {"AG", 3}, {"RG", 2}, {"SQ", 3}, {"SH", 2}, {"SL", 2},
};
constexpr MergeKey kYaesuMerges[] = {
    {"FA", 2}, {"FB", 2}, {"FT", 2}, {"MD", 3}, {"SH", 3}, {"PC", 2},
    {"AG", 3}, {"RG", 3}, {"SQ", 3}, {"KP", 2}, {"EX", 5},
};
constexpr MergeKey kCommonMerges[] = {{"FA", 2}, {"FB", 2}};

constexpr std::array<std::string_view, 3> kAiReplies{"AI0;", "AI1;", "AI2;"};
// A Yaesu radio knows AI0 and AI1 only; either box gives AI1.
constexpr std::array<std::string_view, 3> kYaesuAiReplies{"AI0;", "AI1;", "AI1;"};

// Elecraft and Kenwood IF replies carry the transmit state in their 29th character.
constexpr TransmitColumn kElecraftTransmit[] = {{E::TQ, 2}, {E::IF, 28}};
constexpr TransmitColumn kKenwoodTransmit[] = {{E::IF, 28}};
constexpr TransmitColumn kYaesuTransmit[] = {{E::TX, 2}};

constexpr CatDialect kDialects[] = {
    {RigType::K3, kElecraftReads, kElecraftEffects, kElecraftMerges, kAiReplies, kElevenDigitLayout,
     kElecraftTransmit},
    {RigType::Yaesu, kYaesuReads, kYaesuEffects, kYaesuMerges, kYaesuAiReplies, kYaesuLayout,
     kYaesuTransmit},
    {RigType::Kenwood, kKenwoodReads, kKenwoodEffects, kKenwoodMerges, kAiReplies,
     kElevenDigitLayout, kKenwoodTransmit},
    {RigType::K2, kElecraftReads, kElecraftEffects, kElecraftMerges, kAiReplies, kElevenDigitLayout,
     kElecraftTransmit},
};
// With no rig type chosen, lines are built as for a K3.
constexpr CatDialect kNoDialect{
    RigType::None, kCommonReads, kCommonEffects, kCommonMerges, kAiReplies, kElevenDigitLayout, {}};

QByteArrayView view(std::string_view s)
{
    return QByteArrayView(s.data(), qsizetype(s.size()));
}

// Whether the parameters of a command fit a read's form.
bool fits(QByteArrayView parameters, std::string_view form)
{
    if (parameters.size() != qsizetype(form.size()))
        return false;
    for (std::size_t i = 0; i < form.size(); ++i) {
        const char c = parameters[qsizetype(i)];
        const bool digit = c >= '0' && c <= '9';
        const bool ok = form[i] == '#'   ? digit
                        : form[i] == '.' ? digit || (c >= 'A' && c <= 'Z')
                                         : c == form[i];
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

const CatDialect &catDialect(RigType type)
{
    for (const CatDialect &d : kDialects) {
        if (d.type == type)
            return d;
    }
    return kNoDialect;
}

bool isRead(const CatDialect &dialect, const QByteArray &command, const QByteArray &idReply)
{
    if (command.size() < 3 || !command.endsWith(';'))
        return false;
    const QByteArrayView body = QByteArrayView(command).chopped(1);
    for (const ReadForm &form : dialect.reads) {
        if (body.startsWith(view(form.mnemonic)) &&
            fits(body.sliced(qsizetype(form.mnemonic.size())), form.parameters) &&
            idReply.startsWith(view(form.radio)))
            return true;
    }
    return false;
}

const SettingEffect *effectOf(const CatDialect &dialect, const QByteArray &setting)
{
    for (const SettingEffect &effect : dialect.effects) {
        // A setting carries a value ("MD;" alone changes nothing), except an action written
        // whole in the table ("TX;").
        const bool whole = effect.prefix.ends_with(';');
        if (whole ? setting == view(effect.prefix)
                  : setting.startsWith(view(effect.prefix)) &&
                        setting.size() > qsizetype(effect.prefix.size()) + 1)
            return &effect;
    }
    return nullptr;
}

QByteArray mergeKeyOf(const CatDialect &dialect, const QByteArray &setting)
{
    for (const MergeKey &key : dialect.mergeKeys) {
        if (setting.startsWith(view(key.prefix)) && setting.size() > key.keyLength + 1)
            return setting.left(key.keyLength);
    }
    return {};
}

bool answers(const QByteArray &reply, const QByteArray &read)
{
    const QByteArrayView key = QByteArrayView(read).chopped(1);
    if (!reply.startsWith(key) || reply.size() <= key.size())
        return false;
    // "FW$0240;" begins with "FW" too, but answers only "FW$;".
    return !(key.size() == 2 && reply.at(2) == '$');
}

std::optional<bool> transmitState(const CatDialect &dialect, Entry entry, const QByteArray &reply)
{
    for (const TransmitColumn &column : dialect.transmit) {
        if (column.entry == entry)
            return reply.size() > column.at + 1 ? std::optional(reply.at(column.at) != '0')
                                                : std::nullopt;
    }
    return std::nullopt;
}
