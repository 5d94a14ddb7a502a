#pragma once

#include <array>

class AppPortFrame;

// The boxes of one application port that hold each other in check.
enum class PortBox { AutoConnect, AutoLaunch, AI1, AI2 };

struct CouplingRule {
    PortBox when;   // this box...
    int becomes;    // ...takes this value,
    PortBox target; // so this box of the same port...
    int set;        // ...is set to this.
};

// The two AI boxes exclude each other; a program launched at start needs its port; a port that is
// not connected at start cannot launch its program.
inline constexpr std::array<CouplingRule, 4> kCoupling{{
    {PortBox::AI1, 1, PortBox::AI2, 0},
    {PortBox::AI2, 1, PortBox::AI1, 0},
    {PortBox::AutoConnect, 0, PortBox::AutoLaunch, 0},
    {PortBox::AutoLaunch, 1, PortBox::AutoConnect, 1},
}};

// Runs the rules whenever a box of the frame changes, by the user or by the program.
void coupleBoxes(AppPortFrame &frame);
