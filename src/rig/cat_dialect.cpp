#include "rig/cat_dialect.h"

namespace {

using E = Entry;

// Commands without parameters that change the rig: keying, stepping the VFO or RIT, copying
// VFOs, storing memories.
constexpr std::string_view kElecraftActions[] = {"TX",  "RX", "UP", "DN", "UPB",
                                                 "DNB", "RC", "RU", "RD"};
constexpr std::string_view kKenwoodActions[] = {"TX", "RX", "UP", "DN", "RC",
                                                "RU", "RD", "VV", "SR", "QI"};
// A Yaesu radio answers TX; with its transmit state: a read there.
constexpr std::string_view kYaesuActions[] = {"AB", "BA", "AM", "MA", "SV", "QI",
                                              "QR", "ZI", "UP", "DN", "RC"};

// Reads with parameters, as the station libraries send them when they open and poll a radio.
constexpr ReadForm kElecraftReads[] = {{"RV", 1}}; // RVM; RVD; ...: firmware revisions
constexpr ReadForm kKenwoodReads[] = {{"SM", 1}, {"AG", 1}, {"SQ", 1}, {"RG", 1}};
// Menu reads: three digits on an FT-991 or FT-991A ("EX032;"), four on an FT-891 ("EX0507;");
// there "EX0321;" sets menu 032 of an FT-991, and "EX0507;" would be a setting too.
constexpr ReadForm kYaesuReads[] = {
    {"MD", 1},           {"SH", 1},           {"NA", 1},           {"SM", 1}, {"AG", 1}, {"RG", 1},
    {"SQ", 1},           {"PA", 1},           {"RA", 1},           {"NB", 1}, {"NR", 1}, {"RM", 1},
    {"ML", 1},           {"CO", 2},           {"CT", 1},           {"CN", 2}, {"OS", 1}, {"BP", 2},
    {"EX", 3, "ID0570"}, {"EX", 3, "ID0670"}, {"EX", 4, "ID0650"},
};

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
    {"TX", {E::TQ, E::IF, E::BG, E::SM}, 4, "TQ;"},
    {"RX", {E::TQ, E::IF, E::BG, E::SM}, 4, "TQ;"},
};
constexpr SettingEffect kKenwoodEffects[] = {
    {"FA", {E::FA, E::IF}, 2, "FA;"}, {"FB", {E::FB, E::IF}, 2, "FB;"},
    {"FR", {E::FR, E::IF}, 2, "FR;"}, {"FT", {E::FT, E::IF}, 2, "FT;"},
    {"MD", {E::MD, E::IF}, 2, "MD;"}, {"FW", {E::FW}, 1, "FW;"},
    {"PA", {E::PA}, 1, "PA;"},        {"RA", {E::RA}, 1, "RA;"},
    {"TX", {E::IF, E::SM}, 2, "IF;"}, {"RX", {E::IF, E::SM}, 2, "IF;"},
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

constexpr CatDialect kDialects[] = {
    {RigType::K3, kElecraftActions, kElecraftReads, kElecraftEffects, kElecraftMerges, kAiReplies,
     kElevenDigitLayout},
    {RigType::Yaesu, kYaesuActions, kYaesuReads, kYaesuEffects, kYaesuMerges, kYaesuAiReplies,
     kYaesuLayout},
    {RigType::Kenwood, kKenwoodActions, kKenwoodReads, kKenwoodEffects, kKenwoodMerges, kAiReplies,
     kElevenDigitLayout},
    {RigType::K2, kElecraftActions, kElecraftReads, kElecraftEffects, kElecraftMerges, kAiReplies,
     kElevenDigitLayout},
};
// With no rig type chosen, lines are built as for a K3.
constexpr CatDialect kNoDialect{RigType::None, kElecraftActions,  {}, kCommonEffects, kCommonMerges,
                                kAiReplies,    kElevenDigitLayout};

QByteArrayView view(std::string_view s)
{
    return QByteArrayView(s.data(), qsizetype(s.size()));
}

bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
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
    // A mnemonic alone ("FA", "K2", "MD$", "RVM"): a read unless the family acts on it. After its
    // two characters come only letters, or the K3's '$'.
    bool lettersOnly = body.size() <= 4 && isUpper(body[0]) &&
                       (isUpper(body[1]) || (body[1] >= '0' && body[1] <= '9'));
    for (qsizetype i = 2; lettersOnly && i < body.size(); ++i)
        lettersOnly = isUpper(body[i]) || (i == 2 && body[i] == '$');
    if (lettersOnly) {
        for (std::string_view action : dialect.actions) {
            if (body == view(action))
                return false;
        }
        return true;
    }
    for (const ReadForm &form : dialect.readForms) {
        if (body.startsWith(view(form.mnemonic)) &&
            body.size() == qsizetype(form.mnemonic.size()) + form.parameters &&
            idReply.startsWith(view(form.radio)))
            return true;
    }
    return false;
}

const SettingEffect *effectOf(const CatDialect &dialect, const QByteArray &setting)
{
    for (const SettingEffect &effect : dialect.effects) {
        if (setting.startsWith(view(effect.prefix)))
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
