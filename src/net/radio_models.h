#pragma once

#include "net/cat_family.h"

#include <array>

// The radios of each family that the network doors tell apart, one record each: how each sets
// and reads its passband, and what rigctld tells its clients of it.
extern const std::array<RadioModel, 1> kK3Models;
extern const std::array<RadioModel, 1> kK2Models;
extern const std::array<RadioModel, 3> kKenwoodModels;
extern const std::array<RadioModel, 4> kYaesuModels;
