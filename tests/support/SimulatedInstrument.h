#pragma once

#include "support/SimProcess.h"

#include <string>
#include <vector>

namespace ovena::test {

// tev640-sim registered as COM `port` of the sandbox, logging every command it receives. With
// a memory text it serves that memory (written to a file of the sandbox); without one it runs
// on `options` alone ("--records", "--memory"). Port 0 registers no link: the device is reached
// through process().device(). Ready when constructed: the port link exists.
// The program is killed when the object goes.
class SimulatedInstrument {
public:
    SimulatedInstrument(int port, const std::string& memory, std::vector<std::string> options = {});

    // The commands received so far, in order.
    std::vector<std::string> commands() const;
    // The memory file written from the memory text.
    const std::string& memoryFile() const { return memoryFile_; }
    SimProcess& process() { return sim_; }

private:
    // The program's options; writes the memory file first.
    static std::vector<std::string> arguments(int port, const std::string& memory,
                                              const std::string& memoryFile, const std::string& log,
                                              std::vector<std::string> options);

    std::string memoryFile_;
    std::string log_;
    SimProcess sim_;
};

} // namespace ovena::test
