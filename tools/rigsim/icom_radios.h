#pragma once

#include "cat_command.h"
#include "civ_command.h"

struct RadioState;

// The Icom radios the simulator plays, over CI-V.
extern const RadioModel kIcomIC7300;
extern const RadioModel kIcomIC705;
extern const RadioModel kIcomIC9700;
extern const RadioModel kIcomIC7610;

namespace icom {

// Puts a VFO in a mode (a CI-V mode code) with a filter (1-3), at that filter's width for the
// mode; the changes made.
unsigned selectMode(RadioState &state, int vfo, char mode, int filter);

} // namespace icom
