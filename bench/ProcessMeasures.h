#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ovena::bench {

// The growth of the peak resident memory, in KiB, while `work` runs once in a child process
// (so the parent's earlier peaks do not hide it). -1 when the child failed.
long peakMemoryGrowthKiB(const std::function<void()>& work);

// The fastest of three writes of `bytes` bytes to a new file at `path` with one write call,
// flushed to the disk and closed as an export closes its file: the machine's limit.
double plainWriteSeconds(const std::string& path, std::uint64_t bytes);

// Processor time (user and system) this process has used so far.
double processorSeconds();

} // namespace ovena::bench
