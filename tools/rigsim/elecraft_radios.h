#pragma once

#include "cat_command.h"

// The Elecraft radios the simulator plays.
extern const RadioModel kElecraftK3;
extern const RadioModel kElecraftK3S;
extern const RadioModel kElecraftKX3;
extern const RadioModel kElecraftKX2;
extern const RadioModel kElecraftK2;
