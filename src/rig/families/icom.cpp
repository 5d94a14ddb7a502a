// Icom radios over CI-V: the IC-7300, IC-705, IC-9700 and IC-7610. Their frames travel through the
// bridge as text (civ_framing.h): "03;" asks the selected VFO's frequency, "030000704000;" is the
// reply, 7.040000 MHz in BCD least significant first. Every command is answered: a read with its
// reply, a setting with FB ("FB;") or NG ("?;").

#include "rig/family_caps.h"

namespace {

using E = Entry;

// Reads of the commands stations use; '#' is a BCD digit of a menu number.
constexpr ReadForm kReads[] = {
    {"02"},       {"03"},       {"04"},       {"0F"},       {"11"},       {"14", "0A"},
    {"14", "01"}, {"14", "02"}, {"14", "03"}, {"15", "01"}, {"15", "02"}, {"15", "11"},
    {"15", "12"}, {"16", "02"}, {"16", "12"}, {"16", "22"}, {"16", "5A"}, {"19", "00"},
    {"1A", "03"}, {"1A", "04"}, {"1A", "06"}, {"1C", "00"}, {"21", "00"}, {"21", "01"},
    {"25", "00"}, {"25", "01"}, {"26", "00"}, {"26", "01"}, {"07", "D2"}, {"1A", "05####"},
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

constexpr RadioModel kModels[] = {
    {.idReply = "190094;",
     .name = "IC-7300",
     .hamlibModel = 3073,
     .widths = {},
     .ranges = "rx 30000 74800000 0x1ff -1 -1",
     .steps = "0x1ff 1",
     .filters = "0xc 2400",
     .maxRit = 9999,
     .maxXit = 9999,
     .maxIfShift = 0,
     .preamps = "1 2",
     .attenuators = "20"},
    {.idReply = "1900A4;",
     .name = "IC-705",
     .hamlibModel = 3085,
     .widths = {},
     .ranges = "rx 30000 470000000 0x1ff -1 -1",
     .steps = "0x1ff 1",
     .filters = "0xc 2400",
     .maxRit = 9999,
     .maxXit = 9999,
     .maxIfShift = 0,
     .preamps = "1 2",
     .attenuators = "20"},
    {.idReply = "1900A2;",
     .name = "IC-9700",
     .hamlibModel = 3081,
     .widths = {},
     .ranges = "rx 144000000 148000000 0x1ff -1 -1",
     .steps = "0x1ff 1",
     .filters = "0xc 2400",
     .maxRit = 9999,
     .maxXit = 9999,
     .maxIfShift = 0,
     .preamps = "1 2",
     .attenuators = "10"},
    {.idReply = "190098;",
     .name = "IC-7610",
     .hamlibModel = 3078,
     .widths = {},
     .ranges = "rx 30000 60000000 0x1ff -1 -1",
     .steps = "0x1ff 1",
     .filters = "0xc 2400",
     .maxRit = 9999,
     .maxXit = 9999,
     .maxIfShift = 0,
     .preamps = "1 2",
     .attenuators = "6 12 18"},
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
    .models = kModels,
};
