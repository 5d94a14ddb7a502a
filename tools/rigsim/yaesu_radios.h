#pragma once

#include "cat_command.h"

// The Yaesu radios the simulator plays.
extern const RadioModel kYaesuFT991A;
extern const RadioModel kYaesuFTDX101D;
extern const RadioModel kYaesuFT891;
extern const RadioModel kYaesuFT710;
