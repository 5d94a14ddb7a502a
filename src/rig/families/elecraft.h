#pragma once

#include "rig/family_caps.h"

// What the K3 and the K2 share: one command set (a K2 answers what it knows of it), the setting
// effects and merges, the transmit columns and the S-meter calibration.
namespace elecraft {

using E = Entry;

// The reads, as the station programs send them when they open and poll a radio. A command no
// row matches is a setting: CW text ("KYWE;"), switch taps ("SWT;"), memory and scan commands
// ("SV;", "SC;"), clarifier steps ("RU;") and whatever a radio may add later. RVM;, RVD; ...
// read firmware revisions.
inline constexpr ReadForm kReads[] = {
    {"AG"},  {"AG$"}, {"AI"},  {"AN"}, {"AP"}, {"AR"},  {"BG"},  {"BN"},     {"BN$"},
    {"BW"},  {"BW$"}, {"CP"},  {"CW"}, {"DB"}, {"DS"},  {"DT"},  {"DV"},     {"ES"},
    {"FA"},  {"FB"},  {"FI"},  {"FR"}, {"FT"}, {"FW"},  {"FW$"}, {"GT"},     {"IC"},
    {"ID"},  {"IF"},  {"IS"},  {"K2"}, {"K3"}, {"KS"},  {"LK"},  {"LK$"},    {"LN"},
    {"MC"},  {"MD"},  {"MD$"}, {"MG"}, {"ML"}, {"NB"},  {"NB$"}, {"NL"},     {"NL$"},
    {"OM"},  {"PA"},  {"PA$"}, {"PC"}, {"PO"}, {"PS"},  {"RA"},  {"RA$"},    {"RG"},
    {"RG$"}, {"RO"},  {"RT"},  {"SB"}, {"SD"}, {"SM"},  {"SM$"}, {"SMH"},    {"SQ"},
    {"SQ$"}, {"TB"},  {"TQ"},  {"VX"}, {"XF"}, {"XF$"}, {"XT"},  {"RV", "."}};

// What a setting puts out of date, and the read that brings it back. The IF status line holds
// the frequency, the mode, split and the transmit state, so most settings put it out of date. FR
// ends split too.
inline constexpr SettingEffect kEffects[] = {
    {"FA", {E::FA, E::IF}, 2, "FA;"},
    {"FB", {E::FB, E::IF}, 2, "FB;"},
    {"FR", {E::FR, E::FT, E::IF}, 3, "FR;"},
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
    {"TX;", {E::TQ, E::IF, E::BG, E::SM}, 4, "TQ;"},
    {"RX;", {E::TQ, E::IF, E::BG, E::SM}, 4, "TQ;"},
};

// Settings of an absolute value: the newest of them is all the rig needs.
inline constexpr MergeKey kMerges[] = {
    {"FA", 2}, {"FB", 2},  {"FR", 2}, {"FT", 2}, {"MD$", 3}, {"MD", 2},  {"DT", 2}, {"BW$", 3},
    {"BW", 2}, {"FW$", 3}, {"FW", 2}, {"IS", 2}, {"PC", 2},  {"AG$", 3}, {"AG", 2}, {"RG$", 3},
    {"RG", 2}, {"SQ$", 3}, {"SQ", 2}, {"KS", 2}, {"MG", 2},  {"RO", 2}};

// TQ tells the transmit state, and so does the IF status line.
inline constexpr TransmitColumn kTransmit[] = {{E::TQ, 2},
                                               {E::IF, kElevenDigitLayout.ifTransmitAt}};

// Hamlib's calibration, for readings 0-15; above it the last point holds.
inline constexpr MeterPoint kMeter[] = {{0, -54}, {1, -42}, {2, -36}, {3, -24}, {4, -12}, {5, -6},
                                        {6, 0},   {7, 10},  {8, 15},  {9, 20},  {10, 30}, {11, 35},
                                        {12, 40}, {13, 50}, {14, 55}, {15, 60}};

} // namespace elecraft
