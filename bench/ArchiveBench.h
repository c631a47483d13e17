#pragma once

namespace ovena::bench {

// Registers the measurement archive's benchmarks: keeping 100 000 records, listing a
// customer's records among them, exporting 10 000 of them with ovena-cli and sending them all
// to a PostgreSQL server of its own.
void registerArchiveBenchmarks();

} // namespace ovena::bench
