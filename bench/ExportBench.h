#pragma once

namespace ovena::bench {

// Registers one benchmark per export format and table size.
void registerExportBenchmarks();

} // namespace ovena::bench
