#pragma once

#include "sim/InstrumentMemory.h"

#include <cstdint>

namespace ovena::sim {

// A memory of `records` records (0 to 1000) and `fuelCount` fuel names (1 to 60) with
// realistic readings in every field, the same for the same seed on every machine: each
// record has a customer line, mostly a draft line, one measurement line, sometimes a second
// one, and now and then three test lines before its measurement line.
InstrumentMemory generateMemory(int records, std::uint64_t seed, int fuelCount);

} // namespace ovena::sim
