// The Elecraft K3, and the K3S, KX3 and KX2, which answer ID017 and every K3 command. The
// network facts are Hamlib 4.5.4's (rigs/kenwood/k3.c) and what Debian's rigctld answers for it.

#include "rig/families/elecraft.h"

namespace {

using E = Entry;
using F = WidthForm;

// DATA (MD6) and DATA-R (MD9) carry the data sub-mode in DT: 0 DATA A, 1 AFSK A, 2 FSK D,
// 3 PSK D. DATA A and PSK D are read as PKTUSB, AFSK A as PKTLSB, FSK D as RTTY (RTTYR on
// DATA-R), as Hamlib's K3 backend reads them. Each mode is set by the first row of its name, so
// that what is set reads back the same.
constexpr ModeRow kModes[] = {{"LSB", '1', 0},      {"USB", '2', 0},     {"CW", '3', 0},
                              {"FM", '4', 0},       {"AM", '5', 0},      {"PKTUSB", '6', '0'},
                              {"PKTLSB", '6', '1'}, {"RTTY", '6', '2'},  {"PKTUSB", '6', '3'},
                              {"CWR", '7', 0},      {"RTTYR", '9', '2'}, {"PKTUSB", '9', '0'},
                              {"PKTLSB", '9', '1'}, {"PKTUSB", '9', '3'}};

constexpr FilterRow kPassbands[] = {{"USB LSB", 2700},
                                    {"USB LSB", 1800},
                                    {"USB LSB", 2800},
                                    {"CW CWR", 500},
                                    {"CW CWR", 300},
                                    {"CW CWR", 1000},
                                    {"RTTY RTTYR PKTUSB PKTLSB", 500},
                                    {"RTTY RTTYR PKTUSB PKTLSB", 2700},
                                    {"AM FM", 6000}};

// Any width in 10 Hz units. Normal widths are the first of Hamlib's filters.
constexpr WidthRule kWidths[] = {
    {"USB LSB PKTUSB PKTLSB", F::Tens, "BW", 4, "BW;", "", 2700, "", "", 0},
    {"CW CWR", F::Tens, "BW", 4, "BW;", "", 1000, "", "", 0},
    {"RTTY RTTYR", F::Tens, "BW", 4, "BW;", "", 2000, "", "", 0},
    {"AM", F::Tens, "BW", 4, "BW;", "", 6000, "", "", 0},
    {"FM", F::Tens, "BW", 4, "BW;", "", 13000, "", "", 0},
};

constexpr RadioModel kModels[] = {{
    .idReply = "ID017;",
    .name = "K3",
    .hamlibModel = 2029,
    .widths = kWidths,
    .ranges = R"(rx 500000 30000000 0xdbf -1 -1
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
tx 50000000 54000000 0xdbf 10 10000)",
    .steps = "0xdbf 1",
    .filters = R"(0xc 2700 2800 1800 2400 0
0x82 1000 2800 50 500 300 0
0x110 2000 2700 500 300 0
0xc00 2700 2800 50 2400 500 300 0
0x1 6000 13000 2700 0
0x20 13000)",
    .maxRit = 9990,
    .maxXit = 9990,
    .maxIfShift = 0,
    .preamps = "1",
    .attenuators = "10",
}};

} // namespace

extern constexpr FamilyCaps kK3Caps{
    .type = RigType::K3,
    .name = "K3",
    .raiseRts = false,
    // It reports front-panel changes by itself (AI2), in its extended formats (K31, K22).
    .setUp = "AI0;K31;AI2;K22;",
    .loadQueries =
        "FA;FB;ID;IF;FR;FT;FW;OM;BG;BW;CW;DT;FI;FW$;IC;IS;MD;MD$;PA;PA$;RA;RA$;SM;SM$;TQ;",
    .pollReceive = {"IF;FA;FB;FR;FT;", "BG;BW;CW;DT;IC;IS;FI;PA;RA;TQ;"},
    .pollWithSdr = "BG;IC;FA;FR;FT;TQ;",
    .kept = {E::BG, E::BW,  E::CW, E::DT,  E::FA, E::FB,  E::FI, E::FR,  E::FT,
             E::FW, E::FWs, E::IC, E::ID,  E::IF, E::IS,  E::MD, E::MDs, E::OM,
             E::PA, E::PAs, E::RA, E::RAs, E::SM, E::SMs, E::TQ},
    .reads = elecraft::kReads,
    .effects = elecraft::kEffects,
    .mergeKeys = elecraft::kMerges,
    .transmit = elecraft::kTransmit,
    .maker = "Elecraft",
    .modes = kModes,
    .width = WidthKind::Bw10Hz,
    .pttRead = PttRead::Tq,
    .rit = RitKind::Absolute,
    .ritDigits = 4,
    .meterQuery = "SM;",
    .meter = elecraft::kMeter,
    .pitchQuery = "CW;",
    .pitchStep = 10,
    .filters = kPassbands,
    .maxRit = 9990,
    .models = kModels,
};
