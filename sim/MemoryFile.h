#pragma once

#include "sim/InstrumentMemory.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace ovena::sim {

// The plain text memory file (docs/tev640-sim.md):
//
//   # comment
//   serial=64012345
//   firmware=V3.02
//   capacity=1000
//   used=2                 (optional, like toread and measurements: counted from the records)
//   fuel=Heizöl EL         (one line per fuel name, in order)
//   record
//   1;4711
//   2;2312241530;1;...
//   end
//
// Lines inside a record block are record lines exactly as the instrument sends them. Bytes are
// kept as they are (Windows-1252); lines may end with LF or CR LF.

// A file that cannot be read or understood; what() is "<file>:<line>: <reason>".
class MemoryFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

InstrumentMemory parseMemoryFile(std::string_view text, const std::string& fileName);
InstrumentMemory loadMemoryFile(const std::string& path);

// The memory in the file format, every counter written out, so that parsing it gives the same
// memory back.
std::string formatMemoryFile(const InstrumentMemory& memory);
void saveMemoryFile(const std::string& path, const InstrumentMemory& memory);

} // namespace ovena::sim
