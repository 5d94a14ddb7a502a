#pragma once

#include "fake_rig_access.h"

// A rig of each family for FakeRigAccess, as it would answer at 14.074 MHz USB, receiving, RIT
// +50 Hz on: its replies to the reads the network server makes, and the effects of the settings
// that change more than their own reply.
namespace fake_radios {

// The 38-character IF line of Elecraft and Kenwood rigs.
inline QByteArray ifLine(const QByteArray &freq11, char tx)
{
    return "IF" + freq11 + "     +00501" + "0 00" + tx + "2000001 ;";
}

inline void load(FakeRigAccess &fake)
{
    auto &r = fake.rig;
    r = {{"PS;", "PS1;"}, {"FT;", "FT0;"}};
    switch (fake.type) {
    case RigType::K3:
    case RigType::K2:
        r.insert({{"FA;", "FA00014074000;"},
                  {"FB;", "FB00007040000;"},
                  {"FR;", "FR0;"},
                  {"MD;", "MD2;"},
                  {"TQ;", "TQ0;"},
                  {"SM;", "SM0006;"},
                  {"IF;", ifLine("00014074000", '0')}});
        if (fake.type == RigType::K3)
            r.insert({{"DT;", "DT0;"}, {"BW;", "BW0270;"}, {"CW;", "CW60;"}});
        else
            r.insert("FW;", "FW0500;");
        fake.effects = {{"TX;", {{"TQ;", "TQ1;"}}}, {"RX;", {{"TQ;", "TQ0;"}}}};
        break;
    case RigType::Kenwood:
        r.insert({{"FA;", "FA00014074000;"},
                  {"FB;", "FB00007040000;"},
                  {"FR;", "FR0;"},
                  {"MD;", "MD2;"},
                  {"FW;", "FW2400;"},
                  {"SM0;", "SM00015;"},
                  {"IF;", ifLine("00014074000", '0')}});
        fake.effects = {{"TX;", {{"IF;", ifLine("00014074000", '1')}}},
                        {"RX;", {{"IF;", ifLine("00014074000", '0')}}}};
        break;
    case RigType::Yaesu:
        r.insert({{"FA;", "FA014074000;"},
                  {"FB;", "FB007040000;"},
                  {"MD0;", "MD02;"},
                  {"TX;", "TX0;"},
                  {"SM0;", "SM0130;"},
                  {"KP;", "KP30;"},
                  {"IF;", "IF001014074000+005010200000;"}});
        // The FT-991 sets the transmit VFO with FT2/FT3 and reports it as FT0/FT1.
        fake.effects = {{"FT2;", {{"FT;", "FT0;"}}}, {"FT3;", {{"FT;", "FT1;"}}}};
        break;
    case RigType::None:
        break;
    }
}

} // namespace fake_radios
