// Yaesu radios: the FT-991A, FTDX101D, FT-891 and FT-710. The network facts are Hamlib 4.5.4's
// (rigs/yaesu/newcat.c and the radios' files) and what Debian's rigctld answers for each.

#include "rig/family_caps.h"

namespace {

using E = Entry;
using F = WidthForm;

// Most things are read with a selector ("MD0;", "SH0;", "BP00;"), and the setting is the same
// text followed by the value. Menu reads carry three digits on an FT-991 or FT-991A ("EX032;"),
// four on an FT-891 ("EX1107;"), six on an FTDX101 or FT-710; a longer text sets the menu.
// "TX;" reads the transmit state.
// clang-format off
constexpr ReadForm kReads[] = {
    {"AC"}, {"AI"}, {"AV"}, {"BI"}, {"FA"}, {"FB"}, {"FR"}, {"FS"}, {"FT"}, {"ID"}, {"IF"},
    {"KP"}, {"KR"}, {"KS"}, {"LK"}, {"MC"}, {"MG"}, {"MS"}, {"OI"}, {"PC"}, {"PL"}, {"PS"},
    {"RT"}, {"SD"}, {"ST"}, {"SY"}, {"TX"}, {"VD"}, {"VG"}, {"VS"}, {"VX"}, {"XT"},
    {"AG", "#"}, {"AN", "#"}, {"BC", "#"}, {"CN", "#"}, {"CT", "#"}, {"GT", "#"}, {"IS", "#"},
    {"MD", "#"}, {"ML", "#"}, {"NA", "#"}, {"NB", "#"}, {"NL", "#"}, {"NR", "#"}, {"OS", "#"},
    {"PA", "#"}, {"PR", "#"}, {"RA", "#"}, {"RF", "#"}, {"RG", "#"}, {"RI", "#"}, {"RL", "#"},
    {"RM", "#"}, {"SH", "#"}, {"SM", "#"}, {"SQ", "#"}, {"BP", "##"}, {"CN", "##"}, {"CO", "##"},
    {"CF", "###"}, {"MR", "###"},
    {"EX", "###", "ID0570"}, {"EX", "###", "ID0670"}, {"EX", "####", "ID0650"},
    {"EX", "######", "ID068"}, {"EX", "######", "ID0800"},
};
// clang-format on

constexpr SettingEffect kEffects[] = {
    {"FA", {E::FA, E::IF}, 2, "FA;"}, {"FB", {E::FB, E::IF}, 2, "FB;"},
    {"FT", {E::FT, E::IF}, 2, "FT;"}, {"MD", {E::IF}, 1, "IF;"},
    {"KP", {E::KP}, 1, "KP;"},        {"TX", {E::TX, E::IF}, 2, "TX;"},
};

constexpr MergeKey kMerges[] = {{"FA", 2}, {"FB", 2}, {"FT", 2}, {"MD", 3}, {"SH", 3}, {"PC", 2},
                                {"AG", 3}, {"RG", 3}, {"SQ", 3}, {"KP", 2}, {"EX", 5}};

// TX tells the transmit state; the IF status line does not.
constexpr TransmitColumn kTransmit[] = {{E::TX, 2}};

// The MD0x codes, a hex digit: 3 is CW-U, 7 CW-L, 8 DATA-LSB, C DATA-USB.
constexpr ModeRow kModes[] = {
    {"LSB", '1', 0},  {"USB", '2', 0},    {"CW", '3', 0},     {"FM", '4', 0},    {"AM", '5', 0},
    {"RTTY", '6', 0}, {"CWR", '7', 0},    {"PKTLSB", '8', 0}, {"RTTYR", '9', 0}, {"PKTFM", 'A', 0},
    {"FMN", 'B', 0},  {"PKTUSB", 'C', 0}, {"AMN", 'D', 0},    {"C4FM", 'E', 0}};

constexpr MeterPoint kMeter[] = {{0, -54},  {12, -48}, {27, -42}, {40, -36}, {55, -30}, {65, -24},
                                 {80, -18}, {95, -12}, {112, -6}, {130, 0},  {150, 10}, {172, 20},
                                 {190, 30}, {220, 40}, {240, 50}, {255, 60}};

constexpr FilterRow kPassbands[] = {{"USB LSB PKTUSB PKTLSB", 2400},
                                    {"USB LSB PKTUSB PKTLSB", 1800},
                                    {"CW CWR RTTY RTTYR", 500},
                                    {"CW CWR RTTY RTTYR", 2400},
                                    {"AM", 6000},
                                    {"FM PKTFM C4FM", 16000},
                                    {"FMN AMN", 9000}};

// SH0 and a width index, 0 the radio's default; the FT-991 and FT-891 choose narrow (NA0)
// first. The FT-891 and FTDX101D write a digit between the receiver and the index.
constexpr std::string_view kFt991Cw =
    "0 50 100 150 200 250 300 350 400 450 500 800 1200 1400 1700 2000 2400 3000";
constexpr std::string_view kFt991Ssb = "0 200 400 600 850 1100 1350 1500 1650 1800 1950 2100 2200 "
                                       "2300 2400 2500 2600 2700 2800 2900 3000 3200";
constexpr std::string_view kFtdx101Cw = "0 50 100 150 200 250 300 350 400 450 500 600 800 1200 "
                                        "1400 1700 2000 2400 3000 3200 3500 4000";
constexpr std::string_view kFtdx101Ssb = "0 300 400 600 850 1100 1200 1500 1650 1800 1950 2100 "
                                         "2200 2300 2400 2500 2600 2700 2800 2900 3000 3200 3500 "
                                         "4000";
constexpr WidthRule kFt991Widths[] = {
    {"CW CWR", F::Index, "SH0", 2, "SH0;", kFt991Cw, 2400, "", "NA0", 500},
    {"RTTY RTTYR PKTUSB PKTLSB", F::Index, "SH0", 2, "SH0;", kFt991Cw, 500, "", "NA0", 500},
    {"USB LSB", F::Index, "SH0", 2, "SH0;", kFt991Ssb, 2400, "", "NA0", 1800},
    {"AM FMN", F::Fixed, "", 0, "", "", 9000, "", "", 0},
    {"AMN", F::Fixed, "", 0, "", "", 6000, "", "", 0},
    {"FM PKTFM C4FM", F::Fixed, "", 0, "", "", 16000, "", "", 0},
};
constexpr WidthRule kFt891Widths[] = {
    {"CW CWR", F::Index, "SH01", 2, "SH0;", kFt991Cw, 2400, "", "NA0", 500},
    {"RTTY RTTYR PKTUSB PKTLSB", F::Index, "SH01", 2, "SH0;", kFt991Cw, 500, "", "NA0", 500},
    {"USB LSB", F::Index, "SH01", 2, "SH0;", kFt991Ssb, 2400, "", "NA0", 1800},
    {"AM FMN", F::Fixed, "", 0, "", "", 9000, "", "", 0},
    {"AMN", F::Fixed, "", 0, "", "", 6000, "", "", 0},
    {"FM PKTFM C4FM", F::Fixed, "", 0, "", "", 16000, "", "", 0},
};
constexpr WidthRule kFtdx101Widths[] = {
    {"CW CWR RTTY RTTYR PKTUSB PKTLSB", F::Index, "SH00", 2, "SH0;", kFtdx101Cw, 600, "", "", 0},
    {"USB LSB", F::Index, "SH00", 2, "SH0;", kFtdx101Ssb, 2400, "", "", 0},
    {"AM FMN", F::Fixed, "", 0, "", "", 9000, "", "", 0},
    {"AMN", F::Fixed, "", 0, "", "", 6000, "", "", 0},
    {"FM PKTFM C4FM", F::Fixed, "", 0, "", "", 16000, "", "", 0},
};

// The FTDX101D and the FT-710 share their filters.
constexpr std::string_view kFtdx101Filters = R"(0xd92 600 300 2400 1200
0xc 2400 1800 3000
0x1 9000
0x20000000 6000
0x1020 16000
0x400200000 9000
0xd9e 0)";

// The FTDX101D's FT names the VFO transmitting now (VFO A in split until keyed), so it and the
// FT-891 (which has no FT) read split from ST; the FT-991 sets the transmit VFO with FT2 and FT3
// (FT0 and FT1 toggle it on some models), the FT-710 with FT0 and FT1.
constexpr RadioModel kModels[] = {
    {
        .idReply = "ID0670;",
        .name = "FT-991A",
        .hamlibModel = 1035,
        .widths = kFt991Widths,
        .splitFreqZeroWhenOff = true,
        .ranges = R"(rx 30000 56000000 0x220201dbf -1 -1
rx 118000000 164000000 0x220201dbf -1 -1
rx 420000000 470000000 0x220201dbf -1 -1
tx 1800000 54000000 0x201c2e 5000 100000
tx 1800000 54000000 0x20000001 2000 25000
tx 144000000 148000000 0x201c2e 5000 50000
tx 144000000 148000000 0x20000001 2000 25000
tx 430000000 450000000 0x201c2e 5000 50000
tx 430000000 450000000 0x20000001 2000 25000)",
        .steps = R"(0xd9e 10 100
0x20000001 100 1000
0x200201020 100 1000)",
        .filters =
            R"(0xd10 500 300 3000 2400 2000 1700 1400 1200 800 450 400 350 250 200 150 100 50
0x82 2400 500 3000 2000 1700 1400 1200 800 450 400 350 300 250 200 150 100 50
0xc 2400 1500 3200 3000 2900 2800 2700 2600 2500 2300 2200 2100 1950 1650 1350 1100 850 600 400 200
0x1 9000
0x20000000 6000
0x200001020 16000
0x200000 9000)",
        .maxRit = 9999,
        .maxXit = 9999,
        .maxIfShift = 1200,
        .preamps = "10 20",
        .attenuators = "12",
        .agcLevels = "0=OFF 1=FAST 2=MEDIUM 3=SLOW 4=AUTO",
    },
    {
        .idReply = "ID0681;",
        .name = "FTDX101D",
        .hamlibModel = 1040,
        .widths = kFtdx101Widths,
        .splitRead = "ST;",
        .splitSet = {"ST0;", "ST1;"},
        .ranges = R"(rx 30000 60000000 0x420201dbf -1 -1
tx 1810000 2000000 0x420201c3f 5000 100000
tx 3500000 3800000 0x420201c3f 5000 100000
tx 7000000 7200000 0x420201c3f 5000 100000
tx 10100000 10150000 0x420201c3f 5000 100000
tx 14000000 14350000 0x420201c3f 5000 100000
tx 18068000 18168000 0x420201c3f 5000 100000
tx 21000000 21450000 0x420201c3f 5000 100000
tx 24890000 24990000 0x420201c3f 5000 100000
tx 28000000 29700000 0x420201c3f 5000 100000
tx 1810000 2000000 0x20000001 5000 25000
tx 3500000 3800000 0x20000001 5000 25000
tx 7000000 7200000 0x20000001 5000 25000
tx 10100000 10150000 0x20000001 5000 25000
tx 14000000 14350000 0x20000001 5000 25000
tx 18068000 18168000 0x20000001 5000 25000
tx 21000000 21450000 0x20000001 5000 25000
tx 24890000 24990000 0x20000001 5000 25000
tx 28000000 29700000 0x20000001 5000 25000
tx 50000000 54000000 0x420201c3f 5000 100000
tx 50000000 54000000 0x20000001 5000 25000)",
        .steps = R"(0xd9e 10 100
0x20000001 100 1000
0x400201020 100 1000)",
        .filters = kFtdx101Filters,
        .maxRit = 9999,
        .maxXit = 9999,
        .maxIfShift = 1200,
        .preamps = "10 20",
        .attenuators = "6 12 18",
        .agcLevels = "0=OFF 1=FAST 2=MEDIUM 3=SLOW 4=AUTO",
    },
    {
        .idReply = "ID0650;",
        .name = "FT-891",
        .hamlibModel = 1036,
        .widths = kFt891Widths,
        .splitRead = "ST;",
        .splitSet = {"ST0;", "ST1;"},
        .ranges = R"(rx 30000 470000000 0x200dbf -1 -1
tx 1810000 2000000 0x200c2e 5000 100000
tx 3500000 3800000 0x200c2e 5000 100000
tx 7000000 7200000 0x200c2e 5000 100000
tx 10100000 10150000 0x200c2e 5000 100000
tx 14000000 14350000 0x200c2e 5000 100000
tx 18068000 18168000 0x200c2e 5000 100000
tx 21000000 21450000 0x200c2e 5000 100000
tx 24890000 24990000 0x200c2e 5000 100000
tx 28000000 29700000 0x200c2e 5000 100000
tx 1810000 2000000 0x1 2000 25000
tx 3500000 3800000 0x1 2000 25000
tx 7000000 7200000 0x1 2000 25000
tx 10100000 10150000 0x1 2000 25000
tx 14000000 14350000 0x1 2000 25000
tx 18068000 18168000 0x1 2000 25000
tx 21000000 21450000 0x1 2000 25000
tx 24890000 24990000 0x1 2000 25000
tx 28000000 29700000 0x1 2000 25000
tx 50000000 54000000 0x200c2e 5000 100000
tx 50000000 54000000 0x1 2000 25000)",
        .steps = R"(0xd9e 10 100
0x1 100 1000
0x200020 100 1000)",
        .filters = R"(0xd92 1700 500 2400 2000 1400 1200 800 400 300 200 100
0xc 2400 1800 3000 2900 2800 2700 2600 2500 2250 2100 1950 1650 1500 1350 1100 850 600 400 200
0xd9e 0
0x1 9000 6000
0x200020 16000 9000)",
        .maxRit = 9999,
        .maxXit = 9999,
        .maxIfShift = 1200,
        .preamps = "10",
        .attenuators = "12",
        .agcLevels = "0=OFF 1=FAST 2=MEDIUM 3=SLOW 4=AUTO",
    },
    {
        .idReply = "ID0800;",
        .name = "FT-710",
        .hamlibModel = 1049,
        .widths = kFtdx101Widths,
        .splitSet = {"FT0;", "FT1;"},
        .ranges = R"(rx 30000 60000000 0x420201dbf -1 -1
tx 1810000 2000000 0x420201c3f 5000 200000
tx 3500000 3800000 0x420201c3f 5000 200000
tx 7000000 7200000 0x420201c3f 5000 200000
tx 10100000 10150000 0x420201c3f 5000 200000
tx 14000000 14350000 0x420201c3f 5000 200000
tx 18068000 18168000 0x420201c3f 5000 200000
tx 21000000 21450000 0x420201c3f 5000 200000
tx 24890000 24990000 0x420201c3f 5000 200000
tx 28000000 29700000 0x420201c3f 5000 200000
tx 1810000 2000000 0x20000001 2000 75000
tx 3500000 3800000 0x20000001 2000 75000
tx 7000000 7200000 0x20000001 2000 75000
tx 10100000 10150000 0x20000001 2000 75000
tx 14000000 14350000 0x20000001 2000 75000
tx 18068000 18168000 0x20000001 2000 75000
tx 21000000 21450000 0x20000001 2000 75000
tx 24890000 24990000 0x20000001 2000 75000
tx 28000000 29700000 0x20000001 2000 75000
tx 50000000 54000000 0x420201c3f 5000 200000
tx 50000000 54000000 0x20000001 2000 75000)",
        .steps = R"(0xd9e 10 100
0x20000001 100 1000
0x400201020 100 1000)",
        .filters = kFtdx101Filters,
        .maxRit = 9999,
        .maxXit = 9999,
        .maxIfShift = 1200,
        .preamps = "10 20",
        .attenuators = "6 12 18",
        .agcLevels = "0=OFF 1=FAST 2=MEDIUM 3=SLOW 4=AUTO",
    },
};

} // namespace

extern constexpr FamilyCaps kYaesuCaps{
    .type = RigType::Yaesu,
    .name = "Yaesu",
    .loadQueries = "FA;FB;ID;IF;FR;FT;KP;",
    .pollReceive = {"IF;FA;FB;FR;FT;", "KP;TX;"},
    .pollWithSdr = "FR;KP;",
    .kept = {E::FA, E::FB, E::FR, E::FT, E::ID, E::IF, E::KP, E::TX},
    .reads = kReads,
    .effects = kEffects,
    .mergeKeys = kMerges,
    .aiReplies = {"AI0;", "AI1;", "AI1;"}, // it knows AI0 and AI1 only; either box gives AI1
    .frequency = kYaesuLayout,
    .transmit = kTransmit,
    .sdrHearsFt = true,
    .maker = "Yaesu",
    .modeQuery = "MD0;",
    .modePrefix = "MD0",
    .modes = kModes,
    .pttRead = PttRead::Tx,
    .pttOn = "TX1;",
    .pttOff = "TX0;",
    .rxVfoQuery = "", // receive is always on VFO A
    .txVfoSet = {"FT2;", "FT3;"},
    .rit = RitKind::Steps,
    .ritDigits = 4,
    .meterQuery = "SM0;",
    .meter = kMeter,
    .pitchQuery = "KP;",
    .pitchBase = 300,
    .pitchStep = 10,
    .filters = kPassbands,
    .maxRit = 9999,
    .models = kModels,
};
