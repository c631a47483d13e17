#include "SimulatedInstrument.h"

#include "support/TestEnvironment.h"

#include <filesystem>
#include <stdexcept>

namespace ovena::test {

namespace {

// A file name of the sandbox not used before in this process.
std::string freshPath(const std::string& stem, int port, const std::string& suffix) {
    std::string path = sandboxFolder() + "/" + stem + "-COM" + std::to_string(port) + suffix;
    for (int n = 2; std::filesystem::exists(path); ++n)
        path = sandboxFolder() + "/" + stem + "-COM" + std::to_string(port) + "-" +
               std::to_string(n) + suffix;
    return path;
}

} // namespace

SimulatedInstrument::SimulatedInstrument(int port, const std::string& memory,
                                         std::vector<std::string> options)
    : memoryFile_(memory.empty() ? std::string() : freshPath("memory", port, ".txt")),
      log_(freshPath("commands", port, ".log")),
      sim_(arguments(port, memory, memoryFile_, log_, std::move(options))) {
    if (!sim_.started())
        throw std::runtime_error("tev640-sim did not start: " + sim_.errorOutput());
    if (port != 0)
        sim_.nextLine(); // the port line: the link exists from here on
}

std::vector<std::string> SimulatedInstrument::arguments(int port, const std::string& memory,
                                                        const std::string& memoryFile,
                                                        const std::string& log,
                                                        std::vector<std::string> options) {
    if (!memory.empty()) {
        writeFile(memoryFile, memory);
        options.insert(options.end(), {"--memory", memoryFile});
    }
    if (port != 0)
        options.insert(options.end(), {"--port", std::to_string(port)});
    options.insert(options.end(), {"--log", log});
    return options;
}

std::vector<std::string> SimulatedInstrument::commands() const {
    return lines(readFile(log_));
}

} // namespace ovena::test
