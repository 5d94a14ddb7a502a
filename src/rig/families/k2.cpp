// The Elecraft K2 with its KIO2 interface. It answers the K3's commands it has; the network facts
// are Hamlib 4.5.4's (rigs/kenwood/k2.c) and what Debian's rigctld answers for it.

#include "rig/families/elecraft.h"

namespace {

using E = Entry;

constexpr ModeRow kModes[] = {{"LSB", '1', 0},  {"USB", '2', 0}, {"CW", '3', 0},
                              {"RTTY", '6', 0}, {"CWR", '7', 0}, {"RTTYR", '9', 0}};

constexpr FilterRow kPassbands[] = {
    {"USB LSB", 2200}, {"CW CWR", 500}, {"CW CWR", 250}, {"RTTY RTTYR", 500}};

// It picks the crystal filter nearest the width it is given in Hz.
constexpr WidthRule kWidths[] = {
    {"USB LSB RTTY RTTYR", WidthForm::Hertz, "FW", 4, "FW;", "", 2500, "", "", 0},
    {"CW CWR", WidthForm::Hertz, "FW", 4, "FW;", "", 500, "", "", 0},
};

constexpr RadioModel kModels[] = {{
    .idReply = "ID017;",
    .name = "K2",
    .hamlibModel = 2021,
    .widths = kWidths,
    .ranges = R"(rx 500000 30000000 0xc8e -1 -1
tx 1810000 1849999 0xc8e 10 15000
tx 3500000 3799999 0xc8e 10 15000
tx 7000000 7100000 0xc8e 10 15000
tx 10100000 10150000 0xc8e 10 15000
tx 14000000 14350000 0xc8e 10 15000
tx 18068000 18168000 0xc8e 10 15000
tx 21000000 21450000 0xc8e 10 15000
tx 24890000 24990000 0xc8e 10 15000
tx 28000000 29700000 0xc8e 10 15000)",
    .steps = "0xc8e 10",
    .filters = R"(0xc 2500
0x82 500
0xc00 2500)",
    .maxRit = 9990,
    .maxXit = 9990,
    .maxIfShift = 0,
    .preamps = "14",
    .attenuators = "10",
}};

} // namespace

extern constexpr FamilyCaps kK2Caps{
    .type = RigType::K2,
    .name = "K2",
    // Its extended formats, the ones the station libraries put it in when they open it: they
    // cannot, through the bridge, which keeps AI, K2 and K3 settings from every program.
    .setUp = "K22;",
    .loadQueries = "FA;FB;ID;IF;FR;FT;FW;BG;MD;PA;RA;SM;TQ;",
    .pollReceive = {"IF;FA;FB;FR;FT;", "BG;MD;SM;PA;RA;TQ;"},
    .pollWithSdr = "BG;FA;FR;FT;MD;SM;TQ;",
    .kept = {E::BG, E::FA, E::FB, E::FR, E::FT, E::FW, E::ID, E::IF, E::MD, E::PA, E::RA, E::SM,
             E::TQ},
    .reads = elecraft::kReads,
    .effects = elecraft::kEffects,
    .mergeKeys = elecraft::kMerges,
    .transmit = elecraft::kTransmit,
    // It has none of these K3 commands: its "?;" would land on application port 1.
    .sdrHeldBack = "DT FI BW IS CW IC",
    .maker = "Elecraft",
    .modes = kModes,
    .width = WidthKind::FwHz,
    .pttRead = PttRead::Tq,
    .meterQuery = "SM;",
    .meter = elecraft::kMeter,
    .filters = kPassbands,
    .maxRit = 9990,
    .models = kModels,
};
