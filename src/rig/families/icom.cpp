// Icom radios over CI-V: the IC-7300, IC-705, IC-9700 and IC-7610. Their frames travel through the
// bridge as text (civ_framing.h): "03;" asks the selected VFO's frequency, "030000704000;" is the
// reply, 7.040000 MHz in BCD least significant first. Every command is answered: a read with its
// reply, a setting with FB ("FB;") or NG ("?;").

#include "rig/family_caps.h"

namespace {

using E = Entry;
using F = WidthForm;

// Reads: a command, or a command and sub-command, with no data. A level (14), meter (15),
// function (16), setting (1A), tuner or PTT state (1C) or RIT (21) is read by its sub-command
// alone, and set with data after it. '#' is a BCD digit of a menu number, '.' a hex digit.
constexpr ReadForm kReads[] = {
    {"02"},       {"03"},       {"04"},       {"0F"},           {"11"},       {"14", ".."},
    {"15", ".."}, {"16", ".."}, {"19", "00"}, {"1A", ".."},     {"1C", ".."}, {"21", ".."},
    {"25", "0."}, {"26", "0."}, {"07", "D2"}, {"1A", "05####"},
};

// A VFO's frequency (05, 25) or mode (06, 26), the VFO chosen (07), split (0F), PTT (1C 00), power
// (14 0A).
constexpr SettingEffect kEffects[] = {
    {"05", {E::CivFreq, E::CivFreqSel}, 2, "03;"},
    {"06", {E::CivMode, E::CivModeSel}, 2, "04;"},
    {"2500", {E::CivFreqSel, E::CivFreq}, 2, "03;"},
    {"2501", {E::CivFreqUnsel}, 1, "2501;"},
    {"2600", {E::CivModeSel, E::CivMode}, 2, "2600;"},
    {"2601", {E::CivModeUnsel}, 1, "2601;"},
    {"07",
     {E::CivFreq, E::CivMode, E::CivFreqSel, E::CivFreqUnsel, E::CivModeSel, E::CivModeUnsel},
     6,
     "03;"},
    {"1A06", {E::CivModeSel}, 1, "2600;"},
    {"0F", {E::CivSplit}, 1, "0F;"},
    {"1C00", {E::CivPtt, E::CivMeter}, 2, "1C00;"},
    {"140A", {E::CivPower}, 1, "140A;"},
};

constexpr MergeKey kMerges[] = {{"05", 2},   {"06", 2},   {"2500", 4}, {"2501", 4},
                                {"2600", 4}, {"2601", 4}, {"140A", 4}};

// A frequency (05, 25), a mode (06, 26) and the data mode that goes with it (1A 06).
constexpr std::string_view kFreqMode[] = {"05", "06", "2500", "2501", "2600", "2601", "1A06"};
// 00 and 01 are the radio's own reports; a controller writing them would set the radio with no
// answer, and every CI-V command here is answered in order. 1A 05 writes the radio's menus.
constexpr std::string_view kMeta[] = {"00", "01", "1A05"};

constexpr ReportAlias kReports[] = {{"00", "03"}, {"01", "04"}};
constexpr SameReply kSame[] = {{"03", "2500"}};

// 1C 00 01 is transmit: "1C0001;".
constexpr TransmitColumn kTransmit[] = {{E::CivPtt, 5}};

// Mode bytes, as Hamlib names the modes; a data mode is its mode with the data switch of 26 00
// on. A mode comes before its data mode: flrig's "USB" is the row with the switch off.
constexpr ModeRow kModes[] = {{"LSB", 0x00, 0},     {"USB", 0x01, 0},      {"AM", 0x02, 0},
                              {"CW", 0x03, 0},      {"RTTY", 0x04, 0},     {"FM", 0x05, 0},
                              {"WFM", 0x06, 0},     {"CWR", 0x07, 0},      {"RTTYR", 0x08, 0},
                              {"PSK", 0x12, 0},     {"PSKR", 0x13, 0},     {"D-STAR", 0x17, 0},
                              {"DD", 0x22, 0},      {"PKTLSB", 0x00, '1'}, {"PKTUSB", 0x01, '1'},
                              {"PKTAM", 0x02, '1'}, {"PKTFM", 0x05, '1'}};

// S0 to S9+60 dB over 0000-0255, as Hamlib calibrates the IC-7300, IC-705 and IC-9700.
constexpr MeterPoint kMeter[] = {{0, -54},  {10, -48}, {30, -36}, {60, -24},
                                 {90, -12}, {120, 0},  {241, 64}};

constexpr FilterRow kPassbands[] = {{"USB LSB PKTUSB PKTLSB", 2400},
                                    {"CW CWR", 500},
                                    {"RTTY RTTYR", 500},
                                    {"AM", 6000},
                                    {"FM", 10000}};

// 1A 03 sets and reads the selected filter's width by its place: 50-500 Hz in 50 Hz steps, then
// 600-3600 Hz in 100 Hz steps; AM 200-10000 Hz in 200 Hz steps. FM's widths are the filters'.
constexpr std::string_view kDspWidths =
    "50 100 150 200 250 300 350 400 450 500 600 700 800 900 1000 1100 1200 1300 1400 1500 1600 "
    "1700 1800 1900 2000 2100 2200 2300 2400 2500 2600 2700 2800 2900 3000 3100 3200 3300 3400 "
    "3500 3600";
constexpr std::string_view kAmWidths =
    "200 400 600 800 1000 1200 1400 1600 1800 2000 2200 2400 2600 2800 3000 3200 3400 3600 3800 "
    "4000 4200 4400 4600 4800 5000 5200 5400 5600 5800 6000 6200 6400 6600 6800 7000 7200 7400 "
    "7600 7800 8000 8200 8400 8600 8800 9000 9200 9400 9600 9800 10000";
constexpr WidthRule kWidths[] = {
    {"USB LSB PKTUSB PKTLSB", F::Table, "1A03", 2, "1A03;", kDspWidths, 2400, "", "", 0},
    {"CW CWR", F::Table, "1A03", 2, "1A03;", kDspWidths, 500, "", "", 0},
    {"RTTY RTTYR", F::Table, "1A03", 2, "1A03;", kDspWidths, 500, "", "", 0},
    {"AM", F::Table, "1A03", 2, "1A03;", kAmWidths, 6000, "", "", 0},
    {"FM PKTFM", F::Fixed, "", 0, "", "", 10000, "", "", 0},
    {"PKTAM", F::Fixed, "", 0, "", "", 6000, "", "", 0},
};

constexpr RadioModel kModels[] = {
    {.idReply = "190094;",
     .name = "IC-7300",
     .hamlibModel = 3073,
     .widths = kWidths,
     .splitOffVfo = 'B',
     .splitRead = "0F;",
     .splitSet = {"0F00;", "0F01;"},
     .ranges = R"(rx 30000 74800000 0x401dbf -1 -1
tx 1810000 2000000 0x1be 2000 100000
tx 3500000 3800000 0x1be 2000 100000
tx 7000000 7200000 0x1be 2000 100000
tx 10100000 10150000 0x1be 2000 100000
tx 14000000 14350000 0x1be 2000 100000
tx 18068000 18168000 0x1be 2000 100000
tx 21000000 21450000 0x1be 2000 100000
tx 24890000 24990000 0x1be 2000 100000
tx 28000000 29700000 0x1be 2000 100000
tx 5351500 5366500 0x1be 2000 100000
tx 50000000 54000000 0x1be 2000 100000
tx 70000000 70500000 0x1be 2000 50000
tx 1810000 2000000 0x400001 1000 25000
tx 3500000 3800000 0x400001 1000 25000
tx 7000000 7200000 0x400001 1000 25000
tx 10100000 10150000 0x400001 1000 25000
tx 14000000 14350000 0x400001 1000 25000
tx 18068000 18168000 0x400001 1000 25000
tx 21000000 21450000 0x400001 1000 25000
tx 24890000 24990000 0x400001 1000 25000
tx 28000000 29700000 0x400001 1000 25000
tx 5351500 5366500 0x400001 1000 25000
tx 50000000 54000000 0x400001 1000 25000
tx 70000000 70500000 0x400001 1000 12500)",
     .steps = R"(0x401dbf 1 1000 5000 9000 10000 12500 20000 25000)",
     .filters = R"(0xc0c 2400 1800 3000
0x192 500 250
0x82 1200
0x110 2400
0x400001 6000 3000 9000
0x1020 10000 7000 15000)",
     .maxRit = 9999,
     .maxXit = 9999,
     .maxIfShift = 0,
     .preamps = "1 2",
     .attenuators = "20",
     .agcLevels = "0=OFF 1=FAST 2=MEDIUM 3=SLOW",
     .maxWatts = 100},
    {.idReply = "1900A4;",
     .name = "IC-705",
     .hamlibModel = 3085,
     .widths = kWidths,
     .splitOffVfo = 'B',
     .splitRead = "0F;",
     .splitSet = {"0F00;", "0F01;"},
     .ranges = R"(rx 30000 199999999 0x1401dbf -1 -1
rx 400000000 470000000 0x1401dbf -1 -1
tx 1800000 1999999 0x10001bf 100 10000
tx 3500000 3999999 0x10001bf 100 10000
tx 5255000 5405000 0x10001bf 100 10000
tx 7000000 7300000 0x10001bf 100 10000
tx 10100000 10150000 0x10001bf 100 10000
tx 14000000 14350000 0x10001bf 100 10000
tx 18068000 18168000 0x10001bf 100 10000
tx 21000000 21450000 0x10001bf 100 10000
tx 24890000 24990000 0x10001bf 100 10000
tx 28000000 29700000 0x10001bf 100 10000
tx 50000000 54000000 0x10001bf 100 10000
tx 144000000 148000000 0x10001bf 100 10000
tx 430000000 450000000 0x10001bf 100 10000)",
     .steps = R"(0x401dbf 100 500 1000 5000 6250 8330 9000 10000 12500 20000 25000 50000 100000)",
     .filters = R"(0xc0c 2400 1800 3000
0x192 500 250
0x82 1200
0x110 2400
0x400001 6000 3000 9000
0x1020 10000 7000 15000)",
     .maxRit = 9999,
     .maxXit = 9999,
     .maxIfShift = 0,
     .preamps = "1 2",
     .attenuators = "20",
     .agcLevels = "0=OFF 1=FAST 2=MEDIUM 3=SLOW",
     .maxWatts = 10},
    {.idReply = "1900A2;",
     .name = "IC-9700",
     .hamlibModel = 3081,
     .widths = kWidths,
     .splitOffVfo = 'B',
     .splitRead = "0F;",
     .splitSet = {"0F00;", "0F01;"},
     .ranges = R"(rx 144000000 148000000 0x1010001bf -1 -1
rx 430000000 450000000 0x1010001bf -1 -1
rx 1240000000 1300000000 0x1010001bf -1 -1
tx 144000000 148000000 0x1010001be 500 100000
tx 430000000 450000000 0x1010001be 500 75000
tx 1240000000 1300000000 0x1010001be 100 10000
tx 144000000 148000000 0x1 125 25000
tx 430000000 450000000 0x1 125 18750
tx 1240000000 1300000000 0x1 25 2500)",
     .steps = R"(0x1010001bf 1 10 100 500 1000 5000 6250 10000 12500 20000 25000 50000 100000)",
     .filters = R"(0xc 2400 1800 3000
0x192 500 250
0x82 1200
0x110 2400
0x400001 6000 3000 9000
0x1020 15000 7000 10000)",
     .maxRit = 9999,
     .maxXit = 9999,
     .maxIfShift = 0,
     .preamps = "1 2",
     .attenuators = "10",
     .agcLevels = "0=OFF 1=FAST 2=MEDIUM 3=SLOW",
     .maxWatts = 100},
    {.idReply = "190098;",
     .name = "IC-7610",
     .hamlibModel = 3078,
     .widths = kWidths,
     .splitOffVfo = 'A', // its driver reads the main receiver's
     .splitRead = "0F;",
     .splitSet = {"0F00;", "0F01;"},
     .ranges = R"(rx 30000 60000000 0xc0401dbf -1 -1
tx 1810000 2000000 0xc0001dbf 2000 100000
tx 3500000 3800000 0xc0001dbf 2000 100000
tx 7000000 7200000 0xc0001dbf 2000 100000
tx 10100000 10150000 0xc0001dbf 2000 100000
tx 14000000 14350000 0xc0001dbf 2000 100000
tx 18068000 18168000 0xc0001dbf 2000 100000
tx 21000000 21450000 0xc0001dbf 2000 100000
tx 24890000 24990000 0xc0001dbf 2000 100000
tx 28000000 29700000 0xc0001dbf 2000 100000
tx 50000000 54000000 0xc0001dbf 2000 100000
tx 1810000 2000000 0x400001 1000 30000
tx 3500000 3800000 0x400001 1000 30000
tx 7000000 7200000 0x400001 1000 30000
tx 10100000 10150000 0x400001 1000 30000
tx 14000000 14350000 0x400001 1000 30000
tx 18068000 18168000 0x400001 1000 30000
tx 21000000 21450000 0x400001 1000 30000
tx 24890000 24990000 0x400001 1000 30000
tx 28000000 29700000 0x400001 1000 30000
tx 50000000 54000000 0x400001 1000 30000)",
     .steps = R"(0xc0401dbf 1 100 1000 5000 9000 10000 12500 20000 25000)",
     .filters = R"(0xc0c 2400 1800 3000
0xc0000192 500 250
0xc0000082 1200
0x110 2400
0x400001 6000 3000 9000
0x1020 10000 7000 15000)",
     .maxRit = 9999,
     .maxXit = 9999,
     .maxIfShift = 0,
     .preamps = "12 20",
     .attenuators = "6 12 18",
     .agcLevels = "1=FAST 2=MEDIUM 3=SLOW",
     .maxWatts = 100},
};

} // namespace

extern constexpr FamilyCaps kIcomCaps{
    .type = RigType::Icom,
    .name = "Icom CI-V",
    .civ = true,
    .okReply = "FB;",
    .probe = "03;",
    .raiseRts = false,
    .loadQueries = "1900;03;04;2600;0F;2501;1C00;1502;",
    // The selected VFO follows the radio's transceive frames too, where its menu has them on.
    .pollReceive = {"03;04;2600;0F;", "2501;1C00;1502;"},
    .pollWithSdr = "03;04;2600;0F;2501;1C00;1502;",
    .pollTransmit = "1C00;1502;",
    .kept = {E::CivFreq, E::CivMode, E::CivSplit, E::CivFreqSel, E::CivFreqUnsel, E::CivModeSel,
             E::CivPtt, E::CivMeter, E::CivId},
    .reads = kReads,
    .effects = kEffects,
    .mergeKeys = kMerges,
    .freqModeSettings = kFreqMode,
    .metaCommands = kMeta,
    .reports = kReports,
    .sameReplies = kSame,
    .strayToPort1 = false,
    .aiReplies = {"", "", ""},
    .transmit = kTransmit,
    .maker = "Icom",
    .modeQuery = "2600;",
    .modePrefix = "2600",
    .modes = kModes,
    .pttRead = PttRead::Civ,
    .pttOn = "1C0001;",
    .pttOff = "1C0000;",
    .rxVfoQuery = "",
    .meterQuery = "1502;",
    .meter = kMeter,
    .filters = kPassbands,
    .maxRit = 9999,
    .models = kModels,
    // VFO A is the VFO the radio shows (03), VFO B the other (25 01), as Hamlib reads them.
    .idQuery = "1900;",
    .frequencyQueries = {"03;", "2501;"},
    .frequencySets = {"05", "2501"},
    .dataSubModeQuery = "",
    .statusQuery = "",
    .powerQuery = "03;",
    .powerLevelQuery = "140A;",
    .powerLevelDigits = 4,
    .powerLevelFull = 255,
};
