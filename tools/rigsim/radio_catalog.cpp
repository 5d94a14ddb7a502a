// The radios the simulator knows and the lookups over their tables.

#include "cat_command.h"
#include "elecraft_radios.h"
#include "icom_radios.h"
#include "kenwood_radios.h"
#include "yaesu_radios.h"

namespace {

constexpr const RadioModel *kRadios[] = {
    &kElecraftK3,     &kElecraftK3S,  &kElecraftKX3, &kElecraftKX2,   &kElecraftK2, &kKenwoodTS2000,
    &kKenwoodTS590SG, &kKenwoodTS480, &kYaesuFT991A, &kYaesuFTDX101D, &kYaesuFT891, &kYaesuFT710,
    &kIcomIC7300,     &kIcomIC705,    &kIcomIC9700,  &kIcomIC7610,
};

// Amateur bands from 160 m to 70 cm (region 1 and 2 edges), and a usual frequency on each.
constexpr BandPlanRow kBandPlan[] = {
    {160, 1'800'000, 2'000'000, 1'840'000},      {80, 3'500'000, 4'000'000, 3'573'000},
    {60, 5'250'000, 5'450'000, 5'357'000},       {40, 7'000'000, 7'300'000, 7'074'000},
    {30, 10'100'000, 10'150'000, 10'136'000},    {20, 14'000'000, 14'350'000, 14'074'000},
    {17, 18'068'000, 18'168'000, 18'100'000},    {15, 21'000'000, 21'450'000, 21'074'000},
    {12, 24'890'000, 24'990'000, 24'915'000},    {10, 28'000'000, 29'700'000, 28'074'000},
    {6, 50'000'000, 54'000'000, 50'313'000},     {2, 144'000'000, 148'000'000, 144'174'000},
    {70, 420'000'000, 450'000'000, 432'174'000},
};

bool startsWith(QByteArrayView text, std::string_view name)
{
    return text.size() >= qsizetype(name.size()) &&
           text.first(qsizetype(name.size())) == QByteArrayView(name.data(), name.size());
}

} // namespace

const CatCommand *RadioModel::find(QByteArrayView text) const
{
    const CatCommand *best = nullptr;
    for (const CatTable &table : tables) {
        for (const CatCommand &c : table) {
            // The radio's own rows come first and win over the shared row of the same name.
            if (startsWith(text, c.name) && (!best || c.name.size() > best->name.size()))
                best = &c;
        }
    }
    return best;
}

const CatCommand *RadioModel::row(std::string_view command) const
{
    for (const CatTable &table : tables) {
        for (const CatCommand &c : table) {
            if (c.name == command)
                return &c;
        }
    }
    return nullptr;
}

std::span<const RadioModel *const> allRadios()
{
    return kRadios;
}

const RadioModel *findRadio(QByteArrayView key)
{
    const QByteArray wanted = key.toByteArray().toLower().replace('-', QByteArray());
    for (const RadioModel *radio : kRadios) {
        if (wanted == QByteArrayView(radio->key.data(), qsizetype(radio->key.size())))
            return radio;
    }
    return nullptr;
}

const RadioModel &defaultRadio(RigType family)
{
    switch (family) {
    case RigType::K2:
        return kElecraftK2;
    case RigType::Kenwood:
        return kKenwoodTS2000;
    case RigType::Yaesu:
        return kYaesuFT991A;
    case RigType::Icom:
        return kIcomIC7300;
    case RigType::K3:
    case RigType::None:
        break;
    }
    return kElecraftK3;
}

std::optional<RigType> rigTypeFromName(QByteArrayView name)
{
    const QByteArray n = name.toByteArray().toLower();
    if (n == "k3")
        return RigType::K3;
    if (n == "k2")
        return RigType::K2;
    if (n == "kenwood")
        return RigType::Kenwood;
    if (n == "yaesu")
        return RigType::Yaesu;
    if (n == "icom")
        return RigType::Icom;
    return std::nullopt;
}

const RadioModel *familyDefault(QByteArrayView name)
{
    const std::optional<RigType> type = rigTypeFromName(name);
    return type ? &defaultRadio(*type) : nullptr;
}

QByteArray familyName(const RadioModel &radio)
{
    if (radio.family == RigType::Icom)
        return "icom"; // its caption is "Icom CI-V"
    return rigTypeName(radio.family).toLower().toLatin1();
}

std::span<const BandPlanRow> bandPlan()
{
    return kBandPlan;
}
