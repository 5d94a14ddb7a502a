#include "rig/family_caps.h"

#include <QString>

// The records, one file each; a new family adds its enum value, its file and its line here.
extern const FamilyCaps kK3Caps, kYaesuCaps, kKenwoodCaps, kK2Caps, kIcomCaps;
constexpr const FamilyCaps *kFamilies[] = {&kK3Caps, &kYaesuCaps, &kKenwoodCaps, &kK2Caps,
                                           &kIcomCaps};

namespace {

using E = Entry;

// With no rig type chosen: what every family shares.
constexpr ReadForm kCommonReads[] = {{"FA"}, {"FB"}, {"ID"}, {"IF"}, {"AI"}};
constexpr SettingEffect kCommonEffects[] = {
    {"FA", {E::FA, E::IF}, 2, "FA;"},
    {"FB", {E::FB, E::IF}, 2, "FB;"},
    {"FT", {E::FT, E::IF}, 2, "FT;"},
};
constexpr MergeKey kCommonMerges[] = {{"FA", 2}, {"FB", 2}};

constexpr FamilyCaps kNoFamily{
    .type = RigType::None,
    .name = "",
    .loadQueries = "FA;FB;ID;IF;FR;FT;FW;",
    .pollReceive = {"IF;FA;FB;FR;FT;"},
    .kept = {E::FA, E::FB, E::FR, E::FT, E::FW, E::ID, E::IF, E::MD, E::PA, E::RA, E::SM},
    .reads = kCommonReads,
    .effects = kCommonEffects,
    .mergeKeys = kCommonMerges,
};

} // namespace

const FamilyCaps &familyCaps(RigType type)
{
    for (const FamilyCaps *f : kFamilies) {
        if (f->type == type)
            return *f;
    }
    return kNoFamily;
}

QString rigTypeName(RigType type)
{
    const std::string_view name = familyCaps(type).name;
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}
