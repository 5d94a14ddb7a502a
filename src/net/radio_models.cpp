#include "net/radio_models.h"

// Facts from Hamlib 4.5.4's drivers (rigs/kenwood/k3.c, k2.c, kenwood.c, ts2000.c, ts590.c,
// ts480.c, rigs/yaesu/newcat.c and the radios' files) and from what Debian's rigctld answers for
// each radio: the width tables are the ones the drivers send as SH and FW indices, the
// descriptions the ranges, steps and filters rigctld lists in \dump_state.

namespace {

using F = WidthForm;

// --- passbands ---

// The K3 takes any width in 10 Hz units. Normal widths are the first of Hamlib's filters.
constexpr WidthRule kK3Widths[] = {
    {"USB LSB PKTUSB PKTLSB", F::Tens, "BW", 4, "BW;", "", 2700, "", "", 0},
    {"CW CWR", F::Tens, "BW", 4, "BW;", "", 1000, "", "", 0},
    {"RTTY RTTYR", F::Tens, "BW", 4, "BW;", "", 2000, "", "", 0},
    {"AM", F::Tens, "BW", 4, "BW;", "", 6000, "", "", 0},
    {"FM", F::Tens, "BW", 4, "BW;", "", 13000, "", "", 0},
};

// The K2 picks the crystal filter nearest the width it is given in Hz.
constexpr WidthRule kK2Widths[] = {
    {"USB LSB RTTY RTTYR", F::Hertz, "FW", 4, "FW;", "", 2500, "", "", 0},
    {"CW CWR", F::Hertz, "FW", 4, "FW;", "", 500, "", "", 0},
};

// Kenwood: CW and FSK widths in Hz with FW; SSB and AM by the DSP's high cut (SH) on the
// TS-2000 and TS-590SG, by filter number with FW on the TS-480.
constexpr std::string_view kKenwoodCw = "50 80 100 150 200 300 400 500 600 1000 2000";
constexpr std::string_view kKenwoodFsk = "250 500 1000 1500";
constexpr std::string_view kKenwoodLowCuts = "0 50 100 200 300 400 500 600 700 800 900 1000";
constexpr WidthRule kTs2000Widths[] = {
    {"CW CWR", F::Hertz, "FW", 4, "FW;", kKenwoodCw, 600, "", "", 0},
    {"RTTY RTTYR", F::Hertz, "FW", 4, "FW;", kKenwoodFsk, 1500, "", "", 0},
    {"USB LSB", F::HighCut, "SH", 2, "SH;",
     "1400 1600 1800 2000 2200 2400 2600 2800 3000 3400 4000 5000", 2200, kKenwoodLowCuts, "", 0},
    {"AM", F::HighCut, "SH", 2, "SH;", "2500 3000 4000 5000", 6000, "0 100 200 500", "", 0},
    {"FM", F::Fixed, "", 0, "", "", 12000, "", "", 0},
};
constexpr WidthRule kTs590Widths[] = {
    {"CW CWR", F::Hertz, "FW", 4, "FW;",
     "50 80 100 150 200 250 300 400 500 600 1000 1500 2000 2500", 500, "", "", 0},
    {"RTTY RTTYR", F::Hertz, "FW", 4, "FW;", kKenwoodFsk, 500, "", "", 0},
    {"USB LSB", F::HighCut, "SH", 2, "SH;",
     "1000 1200 1400 1600 1800 2000 2200 2400 2600 2800 3000 3400 4000 5000", 2200, kKenwoodLowCuts,
     "", 0},
    {"AM", F::HighCut, "SH", 2, "SH;", "2500 3000 4000 5000", 6000, "0 100 200 300", "", 0},
    {"FM", F::Fixed, "", 0, "", "", 12000, "", "", 0},
};
constexpr WidthRule kTs480Widths[] = {
    {"CW CWR", F::Hertz, "FW", 4, "FW;", kKenwoodCw, 200, "", "", 0},
    {"RTTY RTTYR", F::Hertz, "FW", 4, "FW;", kKenwoodFsk, 500, "", "", 0},
    {"USB LSB", F::Index, "FW", 4, "FW;", "2400 500 270", 2400, "", "", 0},
    {"AM", F::Index, "FW", 4, "FW;", "6000 2400", 6000, "", "", 0},
    {"FM", F::Index, "FW", 4, "FW;", "12000", 12000, "", "", 0},
};

// Yaesu: SH0 and a width index, 0 the radio's default; the FT-991 and FT-891 choose narrow
// (NA0) first. The FT-891 and FTDX101D write a digit between the receiver and the index.
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

// --- descriptions ---

constexpr std::string_view kK3Ranges = R"(rx 500000 30000000 0xdbf -1 -1
rx 48000000 54000000 0xdbf -1 -1
tx 1810000 2000000 0xdbf 10 10000
tx 3500000 3800000 0xdbf 10 10000
tx 7000000 7200000 0xdbf 10 10000
tx 10100000 10150000 0xdbf 10 10000
tx 14000000 14350000 0xdbf 10 10000
tx 18068000 18168000 0xdbf 10 10000
tx 21000000 21450000 0xdbf 10 10000
tx 24890000 24990000 0xdbf 10 10000
tx 28000000 29700000 0xdbf 10 10000
tx 50000000 54000000 0xdbf 10 10000)";
constexpr std::string_view kK3Steps = R"(0xdbf 1)";
constexpr std::string_view kK3Filters = R"(0xc 2700 2800 1800 2400 0
0x82 1000 2800 50 500 300 0
0x110 2000 2700 500 300 0
0xc00 2700 2800 50 2400 500 300 0
0x1 6000 13000 2700 0
0x20 13000)";
constexpr std::string_view kK2Ranges = R"(rx 500000 30000000 0xc8e -1 -1
tx 1810000 1849999 0xc8e 10 15000
tx 3500000 3799999 0xc8e 10 15000
tx 7000000 7100000 0xc8e 10 15000
tx 10100000 10150000 0xc8e 10 15000
tx 14000000 14350000 0xc8e 10 15000
tx 18068000 18168000 0xc8e 10 15000
tx 21000000 21450000 0xc8e 10 15000
tx 24890000 24990000 0xc8e 10 15000
tx 28000000 29700000 0xc8e 10 15000)";
constexpr std::string_view kK2Steps = R"(0xc8e 10)";
constexpr std::string_view kK2Filters = R"(0xc 2500
0x82 500
0xc00 2500)";
constexpr std::string_view kTs2000Ranges = R"(rx 300000 60000000 0x3f -1 -1
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
tx 430000000 440000000 0x1 5000 12500)";
constexpr std::string_view kTs2000Steps = R"(0x1e 1
0x3f 10 100 1000 2500 5000 10000 1000000 0
0x21 6250 12500 12500 15000 20000 25000 30000 50000 100000)";
constexpr std::string_view kTs2000Filters = R"(0xc 2200
0x2 600
0x10 1500
0x1 6000
0x21 12000)";
constexpr std::string_view kTs590sgRanges = R"(rx 30000 59999999 0x1dbf -1 -1
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
tx 50000000 52000000 0x1 5000 25000)";
constexpr std::string_view kTs590sgSteps =
    R"(0x1dbf 1000 2500 5000 6250 10000 12500 15000 20000 25000 30000 100000 500000 1000000 0)";
constexpr std::string_view kTs590sgFilters = R"(0xc 2200
0x192 500
0x1 6000
0x20 12000)";
constexpr std::string_view kTs480Ranges = R"(rx 100000 59999999 0x1bf -1 -1
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
tx 50000000 52000000 0x1 5000 25000)";
constexpr std::string_view kTs480Steps =
    R"(0x1bf 1000 2500 5000 6250 10000 12500 15000 20000 25000 30000 100000 500000 1000000 0)";
constexpr std::string_view kTs480Filters = R"(0xc 2400 270 500
0x82 200 50 1000 80 100 150 300 400 500 600 2000
0x110 500 250 1000 1500
0x1 6000 2400
0x20 12000)";
constexpr std::string_view kFt991aRanges = R"(rx 30000 56000000 0x220201dbf -1 -1
rx 118000000 164000000 0x220201dbf -1 -1
rx 420000000 470000000 0x220201dbf -1 -1
tx 1800000 54000000 0x201c2e 5000 100000
tx 1800000 54000000 0x20000001 2000 25000
tx 144000000 148000000 0x201c2e 5000 50000
tx 144000000 148000000 0x20000001 2000 25000
tx 430000000 450000000 0x201c2e 5000 50000
tx 430000000 450000000 0x20000001 2000 25000)";
constexpr std::string_view kFt991aSteps = R"(0xd9e 10 100
0x20000001 100 1000
0x200201020 100 1000)";
constexpr std::string_view kFt991aFilters =
    R"(0xd10 500 300 3000 2400 2000 1700 1400 1200 800 450 400 350 250 200 150 100 50
0x82 2400 500 3000 2000 1700 1400 1200 800 450 400 350 300 250 200 150 100 50
0xc 2400 1500 3200 3000 2900 2800 2700 2600 2500 2300 2200 2100 1950 1650 1350 1100 850 600 400 200
0x1 9000
0x20000000 6000
0x200001020 16000
0x200000 9000)";
constexpr std::string_view kFtdx101dRanges = R"(rx 30000 60000000 0x420201dbf -1 -1
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
tx 50000000 54000000 0x20000001 5000 25000)";
constexpr std::string_view kFtdx101dSteps = R"(0xd9e 10 100
0x20000001 100 1000
0x400201020 100 1000)";
constexpr std::string_view kFtdx101dFilters = R"(0xd92 600 300 2400 1200
0xc 2400 1800 3000
0x1 9000
0x20000000 6000
0x1020 16000
0x400200000 9000
0xd9e 0)";
constexpr std::string_view kFt891Ranges = R"(rx 30000 470000000 0x200dbf -1 -1
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
tx 50000000 54000000 0x1 2000 25000)";
constexpr std::string_view kFt891Steps = R"(0xd9e 10 100
0x1 100 1000
0x200020 100 1000)";
constexpr std::string_view kFt891Filters = R"(0xd92 1700 500 2400 2000 1400 1200 800 400 300 200 100
0xc 2400 1800 3000 2900 2800 2700 2600 2500 2250 2100 1950 1650 1500 1350 1100 850 600 400 200
0xd9e 0
0x1 9000 6000
0x200020 16000 9000)";
constexpr std::string_view kFt710Ranges = R"(rx 30000 60000000 0x420201dbf -1 -1
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
tx 50000000 54000000 0x20000001 2000 75000)";
constexpr std::string_view kFt710Steps = R"(0xd9e 10 100
0x20000001 100 1000
0x400201020 100 1000)";
constexpr std::string_view kFt710Filters = R"(0xd92 600 300 2400 1200
0xc 2400 1800 3000
0x1 9000
0x20000000 6000
0x1020 16000
0x400200000 9000
0xd9e 0)";

} // namespace

// The K3, K3S, KX3 and KX2 all answer ID017. The FTDX101D's FT names the VFO transmitting
// now (VFO A in split until keyed), so it and the FT-891 (which has no FT) read split from ST;
// the FT-991 sets the transmit VFO with FT2 and FT3, the FT-710 with FT0 and FT1.
const std::array<RadioModel, 1> kK3Models{{
    {"ID017;",
     "K3",
     2029,
     kK3Widths,
     false,
     "",
     {},
     1,
     kK3Ranges,
     kK3Steps,
     kK3Filters,
     9990,
     9990,
     0,
     "1",
     "10",
     ""},
}};
const std::array<RadioModel, 1> kK2Models{{
    {"ID017;",
     "K2",
     2021,
     kK2Widths,
     false,
     "",
     {},
     1,
     kK2Ranges,
     kK2Steps,
     kK2Filters,
     9990,
     9990,
     0,
     "14",
     "10",
     ""},
}};
const std::array<RadioModel, 3> kKenwoodModels{{
    {"ID019;",
     "TS-2000",
     2014,
     kTs2000Widths,
     false,
     "",
     {},
     1,
     kTs2000Ranges,
     kTs2000Steps,
     kTs2000Filters,
     20000,
     20000,
     1000,
     "20",
     "20",
     "0=OFF 1=SLOW 2=MEDIUM 3=FAST 4=ON"},
    {"ID023;",
     "TS-590SG",
     2037,
     kTs590Widths,
     false,
     "",
     {},
     5,
     kTs590sgRanges,
     kTs590sgSteps,
     kTs590sgFilters,
     9990,
     9990,
     0,
     "12",
     "12",
     ""},
    {"ID020;",
     "TS-480",
     2028,
     kTs480Widths,
     false,
     "",
     {},
     5,
     kTs480Ranges,
     kTs480Steps,
     kTs480Filters,
     9990,
     9990,
     0,
     "12",
     "12",
     "0=OFF 1=FAST 2=SLOW"},
}};
const std::array<RadioModel, 4> kYaesuModels{{
    {"ID0670;",
     "FT-991A",
     1035,
     kFt991Widths,
     true,
     "",
     {},
     1,
     kFt991aRanges,
     kFt991aSteps,
     kFt991aFilters,
     9999,
     9999,
     1200,
     "10 20",
     "12",
     "0=OFF 1=FAST 2=MEDIUM 3=SLOW 4=AUTO"},
    {"ID0681;",
     "FTDX101D",
     1040,
     kFtdx101Widths,
     false,
     "ST;",
     {"ST0;", "ST1;"},
     1,
     kFtdx101dRanges,
     kFtdx101dSteps,
     kFtdx101dFilters,
     9999,
     9999,
     1200,
     "10 20",
     "6 12 18",
     "0=OFF 1=FAST 2=MEDIUM 3=SLOW 4=AUTO"},
    {"ID0650;",
     "FT-891",
     1036,
     kFt891Widths,
     false,
     "ST;",
     {"ST0;", "ST1;"},
     1,
     kFt891Ranges,
     kFt891Steps,
     kFt891Filters,
     9999,
     9999,
     1200,
     "10",
     "12",
     "0=OFF 1=FAST 2=MEDIUM 3=SLOW 4=AUTO"},
    {"ID0800;",
     "FT-710",
     1049,
     kFtdx101Widths,
     false,
     "",
     {"FT0;", "FT1;"},
     1,
     kFt710Ranges,
     kFt710Steps,
     kFt710Filters,
     9999,
     9999,
     1200,
     "10 20",
     "6 12 18",
     "0=OFF 1=FAST 2=MEDIUM 3=SLOW 4=AUTO"},
}};
