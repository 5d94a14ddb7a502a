#pragma once

#include "cat_command.h"

// The Kenwood radios the simulator plays.
extern const RadioModel kKenwoodTS2000;
extern const RadioModel kKenwoodTS590SG;
extern const RadioModel kKenwoodTS480;
