#pragma once

namespace ovena::bench {

// Registers the plant register's benchmarks: importing a file of 10 000 plants, finding a plant
// by the beginning of its name among 100 000, and synchronising 10 000 versions each way with a
// PostgreSQL server of its own.
void registerRegisterBenchmarks();

} // namespace ovena::bench
