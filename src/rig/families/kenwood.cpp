// Kenwood radios: the TS-2000, TS-590SG and TS-480. The network facts are Hamlib 4.5.4's
// (rigs/kenwood/kenwood.c, ts2000.c, ts590.c, ts480.c) and what Debian's rigctld answers for each.

#include "rig/family_caps.h"

namespace {

using E = Entry;
using F = WidthForm;

// SM0; reads the meter of a receiver, SQ0; its squelch, SF0; a TS-590SG's VFO frequency and
// mode; a menu read is the menu number and "0000", where a setting adds the value.
constexpr ReadForm kReads[] = {
    {"AC"}, {"AG"}, {"AG", "#"}, {"AI"},      {"AN"},      {"BC"},           {"BY"}, {"CA"},
    {"CN"}, {"CT"}, {"DA"},      {"DL"},      {"FA"},      {"FB"},           {"FL"}, {"FR"},
    {"FS"}, {"FT"}, {"FV"},      {"FW"},      {"GT"},      {"ID"},           {"IF"}, {"IS"},
    {"KS"}, {"LK"}, {"MC"},      {"MD"},      {"MF"},      {"MG"},           {"ML"}, {"MX"},
    {"NB"}, {"NL"}, {"NR"},      {"NT"},      {"PA"},      {"PC"},           {"PL"}, {"PR"},
    {"PS"}, {"PT"}, {"RA"},      {"RG"},      {"RL"},      {"RM"},           {"RT"}, {"SA"},
    {"SD"}, {"SH"}, {"SL"},      {"TN"},      {"TO"},      {"TY"},           {"VD"}, {"VG"},
    {"VX"}, {"XT"}, {"SM", "#"}, {"SQ", "#"}, {"SF", "#"}, {"EX", "#######"}};

constexpr SettingEffect kEffects[] = {
    {"FA", {E::FA, E::IF}, 2, "FA;"},  {"FB", {E::FB, E::IF}, 2, "FB;"},
    {"FR", {E::FR, E::IF}, 2, "FR;"},  {"FT", {E::FT, E::IF}, 2, "FT;"},
    {"MD", {E::MD, E::IF}, 2, "MD;"},  {"FW", {E::FW}, 1, "FW;"},
    {"PA", {E::PA}, 1, "PA;"},         {"RA", {E::RA}, 1, "RA;"},
    {"TX;", {E::IF, E::SM}, 2, "IF;"}, {"RX;", {E::IF, E::SM}, 2, "IF;"},
    {"TX", {E::IF, E::SM}, 2, "IF;"}, // TX0; TX1; on a TS-590
};

constexpr MergeKey kMerges[] = {{"FA", 2}, {"FB", 2}, {"FR", 2}, {"FT", 2}, {"MD", 2}, {"FW", 2},
                                {"PC", 2}, {"AG", 3}, {"RG", 2}, {"SQ", 3}, {"SH", 2}, {"SL", 2}};

// Only the IF status line tells the transmit state.
constexpr TransmitColumn kTransmit[] = {{E::IF, kElevenDigitLayout.ifTransmitAt}};

// 6 and 9 are FSK and FSK-R.
constexpr ModeRow kModes[] = {{"LSB", '1', 0}, {"USB", '2', 0},  {"CW", '3', 0},
                              {"FM", '4', 0},  {"AM", '5', 0},   {"RTTY", '6', 0},
                              {"CWR", '7', 0}, {"RTTYR", '9', 0}};

constexpr MeterPoint kMeter[] = {{0, -54}, {3, -48}, {6, -36}, {9, -24}, {12, -12},
                                 {15, 0},  {20, 20}, {25, 40}, {30, 60}};

constexpr FilterRow kPassbands[] = {{"USB LSB", 2400},   {"CW CWR", 500}, {"CW CWR", 200},
                                    {"RTTY RTTYR", 500}, {"AM", 6000},    {"FM", 12000}};

// CW and FSK widths in Hz with FW; SSB and AM by the DSP's high cut (SH) on the TS-2000 and
// TS-590SG, by filter number with FW on the TS-480.
constexpr std::string_view kCw = "50 80 100 150 200 300 400 500 600 1000 2000";
constexpr std::string_view kFsk = "250 500 1000 1500";
constexpr std::string_view kLowCuts = "0 50 100 200 300 400 500 600 700 800 900 1000";
constexpr WidthRule kTs2000Widths[] = {
    {"CW CWR", F::Hertz, "FW", 4, "FW;", kCw, 600, "", "", 0},
    {"RTTY RTTYR", F::Hertz, "FW", 4, "FW;", kFsk, 1500, "", "", 0},
    {"USB LSB", F::HighCut, "SH", 2, "SH;",
     "1400 1600 1800 2000 2200 2400 2600 2800 3000 3400 4000 5000", 2200, kLowCuts, "", 0},
    {"AM", F::HighCut, "SH", 2, "SH;", "2500 3000 4000 5000", 6000, "0 100 200 500", "", 0},
    {"FM", F::Fixed, "", 0, "", "", 12000, "", "", 0},
};
constexpr WidthRule kTs590Widths[] = {
    {"CW CWR", F::Hertz, "FW", 4, "FW;",
     "50 80 100 150 200 250 300 400 500 600 1000 1500 2000 2500", 500, "", "", 0},
    {"RTTY RTTYR", F::Hertz, "FW", 4, "FW;", kFsk, 500, "", "", 0},
    {"USB LSB", F::HighCut, "SH", 2, "SH;",
     "1000 1200 1400 1600 1800 2000 2200 2400 2600 2800 3000 3400 4000 5000", 2200, kLowCuts, "",
     0},
    {"AM", F::HighCut, "SH", 2, "SH;", "2500 3000 4000 5000", 6000, "0 100 200 300", "", 0},
    {"FM", F::Fixed, "", 0, "", "", 12000, "", "", 0},
};
constexpr WidthRule kTs480Widths[] = {
    {"CW CWR", F::Hertz, "FW", 4, "FW;", kCw, 200, "", "", 0},
    {"RTTY RTTYR", F::Hertz, "FW", 4, "FW;", kFsk, 500, "", "", 0},
    {"USB LSB", F::Index, "FW", 4, "FW;", "2400 500 270", 2400, "", "", 0},
    {"AM", F::Index, "FW", 4, "FW;", "6000 2400", 6000, "", "", 0},
    {"FM", F::Index, "FW", 4, "FW;", "12000", 12000, "", "", 0},
};

constexpr RadioModel kModels[] = {
    {
        .idReply = "ID019;",
        .name = "TS-2000",
        .hamlibModel = 2014,
        .widths = kTs2000Widths,
        .ranges = R"(rx 300000 60000000 0x3f -1 -1
rx 144000000 146000000 0x3f -1 -1
rx 430000000 440000000 0x3f -1 -1
rx 144000000 146000000 0x3f -1 -1
rx 430000000 440000000 0x3f -1 -1
tx 1830000 1850000 0x3e 5000 100000
tx 1830000 1850000 0x1 2000 25000
tx 3500000 3800000 0x3e 5000 100000
tx 3500000 3800000 0x1 5000 25000
tx 7000000 7100000 0x3e 5000 100000
tx 7000000 7100000 0x1 5000 25000
tx 10100000 10150000 0x3e 5000 100000
tx 10100000 10150000 0x1 5000 25000
tx 14000000 14350000 0x3e 5000 100000
tx 14000000 14350000 0x1 5000 25000
tx 18068000 18168000 0x3e 5000 100000
tx 18068000 18168000 0x1 5000 25000
tx 21000000 21450000 0x3e 5000 100000
tx 21000000 21450000 0x1 5000 25000
tx 24890000 24990000 0x3e 5000 100000
tx 24890000 24990000 0x1 5000 25000
tx 28000000 29700000 0x3e 5000 100000
tx 28000000 29700000 0x1 5000 25000
tx 50000000 50200000 0x3e 5000 100000
tx 50000000 50200000 0x1 5000 25000
tx 144000000 146000000 0x3e 5000 100000
tx 144000000 146000000 0x1 5000 25000
tx 430000000 440000000 0x3e 5000 50000
tx 430000000 440000000 0x1 5000 12500)",
        .steps = R"(0x1e 1
0x3f 10 100 1000 2500 5000 10000 1000000 0
0x21 6250 12500 12500 15000 20000 25000 30000 50000 100000)",
        .filters = R"(0xc 2200
0x2 600
0x10 1500
0x1 6000
0x21 12000)",
        .maxRit = 20000,
        .maxXit = 20000,
        .maxIfShift = 1000,
        .preamps = "20",
        .attenuators = "20",
        .agcLevels = "0=OFF 1=SLOW 2=MEDIUM 3=FAST 4=ON",
    },
    {
        .idReply = "ID023;",
        .name = "TS-590SG",
        .hamlibModel = 2037,
        .widths = kTs590Widths,
        .pttType = 5,
        .ranges = R"(rx 30000 59999999 0x1dbf -1 -1
tx 1810000 1850000 0x3e 5000 100000
tx 1810000 1850000 0x1 5000 25000
tx 3500000 3800000 0x3e 5000 100000
tx 3500000 3800000 0x1 5000 25000
tx 7000000 7200000 0x3e 5000 100000
tx 7000000 7200000 0x1 5000 25000
tx 10100000 10150000 0x3e 5000 100000
tx 10100000 10150000 0x1 5000 25000
tx 14000000 14350000 0x3e 5000 100000
tx 14000000 14350000 0x1 5000 25000
tx 18068000 18168000 0x3e 5000 100000
tx 18068000 18168000 0x1 5000 25000
tx 21000000 21450000 0x3e 5000 100000
tx 21000000 21450000 0x1 5000 25000
tx 24890000 24990000 0x3e 5000 100000
tx 24890000 24990000 0x1 5000 25000
tx 28000000 29700000 0x3e 5000 100000
tx 28000000 29700000 0x1 5000 25000
tx 50000000 52000000 0x3e 5000 100000
tx 50000000 52000000 0x1 5000 25000)",
        .steps = "0x1dbf 1000 2500 5000 6250 10000 12500 15000 20000 25000 30000 100000 500000 "
                 "1000000 0",
        .filters = R"(0xc 2200
0x192 500
0x1 6000
0x20 12000)",
        .maxRit = 9990,
        .maxXit = 9990,
        .maxIfShift = 0,
        .preamps = "12",
        .attenuators = "12",
    },
    {
        .idReply = "ID020;",
        .name = "TS-480",
        .hamlibModel = 2028,
        .widths = kTs480Widths,
        .pttType = 5,
        .ranges = R"(rx 100000 59999999 0x1bf -1 -1
tx 1810000 1850000 0x3e 5000 100000
tx 1810000 1850000 0x1 5000 25000
tx 3500000 3800000 0x3e 5000 100000
tx 3500000 3800000 0x1 5000 25000
tx 7000000 7200000 0x3e 5000 100000
tx 7000000 7200000 0x1 5000 25000
tx 10100000 10150000 0x3e 5000 100000
tx 10100000 10150000 0x1 5000 25000
tx 14000000 14350000 0x3e 5000 100000
tx 14000000 14350000 0x1 5000 25000
tx 18068000 18168000 0x3e 5000 100000
tx 18068000 18168000 0x1 5000 25000
tx 21000000 21450000 0x3e 5000 100000
tx 21000000 21450000 0x1 5000 25000
tx 24890000 24990000 0x3e 5000 100000
tx 24890000 24990000 0x1 5000 25000
tx 28000000 29700000 0x3e 5000 100000
tx 28000000 29700000 0x1 5000 25000
tx 50000000 52000000 0x3e 5000 100000
tx 50000000 52000000 0x1 5000 25000)",
        .steps = "0x1bf 1000 2500 5000 6250 10000 12500 15000 20000 25000 30000 100000 500000 "
                 "1000000 0",
        .filters = R"(0xc 2400 270 500
0x82 200 50 1000 80 100 150 300 400 500 600 2000
0x110 500 250 1000 1500
0x1 6000 2400
0x20 12000)",
        .maxRit = 9990,
        .maxXit = 9990,
        .maxIfShift = 0,
        .preamps = "12",
        .attenuators = "12",
        .agcLevels = "0=OFF 1=FAST 2=SLOW",
    },
};

} // namespace

extern constexpr FamilyCaps kKenwoodCaps{
    .type = RigType::Kenwood,
    .name = "Kenwood",
    // It does not report a mode change by itself: the virtual rig reads it, and polls it.
    .loadQueries = "FA;FB;ID;IF;FR;FT;FW;MD;",
    .pollReceive = {"IF;FA;FB;FR;FT;", "MD;PA;RA;"},
    .pollWithSdr = "FA;FR;FT;MD;",
    .kept = {E::FA, E::FB, E::FR, E::FT, E::FW, E::ID, E::IF, E::MD, E::PA, E::RA, E::SM},
    .reads = kReads,
    .effects = kEffects,
    .mergeKeys = kMerges,
    .transmit = kTransmit,
    .maker = "Kenwood",
    .modes = kModes,
    .width = WidthKind::FwHz,
    .pttRead = PttRead::IfFlag,
    .rit = RitKind::Steps,
    .ritDigits = 5,
    .meterQuery = "SM0;",
    .meter = kMeter,
    .filters = kPassbands,
    .maxRit = 9990,
    .models = kModels,
};
