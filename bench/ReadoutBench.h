#pragma once

namespace ovena::bench {

// Registers the readout of 50 records through tev640-sim, unpaced and paced at 9600 baud.
void registerReadoutBenchmarks();

} // namespace ovena::bench
