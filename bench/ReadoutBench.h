#pragma once

namespace ovena::bench {

// Registers the readout of 50 records through tev640-sim, unpaced and paced at 9600 baud, and
// of 1000 records unpaced, without and with the measurement archive.
void registerReadoutBenchmarks();

} // namespace ovena::bench
