#pragma once

#include "fake_rig_access.h"

// A rig of each family as it answers the network doors' reads at 14.074 MHz USB, receiving, RIT
// +50 Hz on, 50 W, and what its settings change besides their own reply.
namespace fake_radios {

// The 38-character IF line of Elecraft and Kenwood rigs.
inline QByteArray ifLine(const QByteArray &freq11, char tx)
{
    return "IF" + freq11 + "     +00501" + "0 00" + tx + "2000001 ;";
}

inline void load(FakeRigAccess &fake)
{
    auto &r = fake.rig;
    r = {{"PS;", "PS1;"}, {"FT;", "FT0;"}, {"PC;", "PC050;"}};
    const bool elecraft = fake.type == RigType::K3 || fake.type == RigType::K2;
    if (fake.type == RigType::Yaesu) {
        r.insert({{"FA;", "FA014074000;"},
                  {"FB;", "FB007040000;"},
                  {"MD0;", "MD02;"},
                  {"TX;", "TX0;"},
                  {"SM0;", "SM0130;"},
                  {"KP;", "KP30;"},
                  {"NA0;", "NA00;"},
                  {"SH0;", "SH014;"},
                  {"ST;", "ST0;"},
                  {"IF;", "IF001014074000+005010200000;"}});
        // The FT-991 sets the transmit VFO with FT2/FT3 and reports it as FT0/FT1.
        fake.effects = {{"FT2;", {{"FT;", "FT0;"}}}, {"FT3;", {{"FT;", "FT1;"}}}};
        return;
    }
    r.insert({{"FA;", "FA00014074000;"},
              {"FB;", "FB00007040000;"},
              {"FR;", "FR0;"},
              {"MD;", "MD2;"},
              {"IF;", ifLine("00014074000", '0')}});
    if (fake.type == RigType::K3)
        r.insert({{"DT;", "DT0;"}, {"BW;", "BW0270;"}, {"CW;", "CW60;"}});
    if (fake.type == RigType::K2)
        r.insert("FW;", "FW0500;");
    if (elecraft) {
        r.insert({{"TQ;", "TQ0;"}, {"SM;", "SM0006;"}});
        fake.effects = {{"TX;", {{"TQ;", "TQ1;"}}}, {"RX;", {{"TQ;", "TQ0;"}}}};
    } else {
        r.insert({{"FW;", "FW2400;"}, {"SM0;", "SM00015;"}, {"SH;", "SH05;"}, {"SL;", "SL00;"}});
        fake.effects = {{"TX;", {{"IF;", ifLine("00014074000", '1')}}},
                        {"RX;", {{"IF;", ifLine("00014074000", '0')}}}};
    }
}

} // namespace fake_radios
