// tev640-sim: a simulated TEV 640 flue-gas analyser on a pseudo-terminal, registered as a COM
// port of Ovena, for training, demonstrations and tests.

#include "platform/ConfigPaths.h"
#include "sim/Instrument.h"
#include "sim/MemoryFile.h"
#include "sim/MemoryGenerator.h"
#include "sim/PortLink.h"
#include "sim/PseudoTerminal.h"
#include "sim/Simulator.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <iostream>
#include <memory>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace ovena::sim;

struct Options {
    std::optional<int> port;
    std::string memoryFile;
    int records = 20;
    std::uint64_t seed = 1;
    int fuels = 8;
    std::string dumpFile;
    std::optional<int> fuelCount;
    SimulatorSettings simulator;
    int latencyMs = 0;
    int dripMs = 0;
};

void addOptions(CLI::App& app, Options& o) {
    app.add_option("--port", o.port,
                   "Register the device as COM port N (1-99) for Ovena: a link COMN in " +
                       ovena::portsFolder() + ", removed again when the simulator ends")
        ->check(CLI::Range(1, 99))
        ->type_name("N");

    const std::string memory = "Instrument memory";
    auto* file = app.add_option("--memory", o.memoryFile,
                                "Load the memory from a memory file (its format: tev640-sim(1))")
                     ->type_name("FILE")
                     ->group(memory);
    app.add_option("--records", o.records,
                   "Generate a memory of N records with realistic readings (default 20)")
        ->check(CLI::Range(0, maxRecords))
        ->excludes(file)
        ->type_name("N")
        ->group(memory);
    app.add_option("--seed", o.seed, "Seed of the generated memory (default 1)")
        ->excludes(file)
        ->group(memory);
    app.add_option("--fuels", o.fuels, "Fuel names of the generated memory, 1-60 (default 8)")
        ->check(CLI::Range(1, maxFuelNames))
        ->excludes(file)
        ->type_name("N")
        ->group(memory);
    app.add_option("--dump-memory", o.dumpFile,
                   "Write the memory to FILE in the memory file format before serving")
        ->type_name("FILE")
        ->group(memory);

    const std::string line = "Line and monitor";
    app.add_option("--baud", o.simulator.pace.baud,
                   "Pace the bytes sent like a serial line at this rate, 10 bits a byte")
        ->check(CLI::Range(50, 4000000))
        ->type_name("RATE")
        ->group(line);
    app.add_option("--latency", o.latencyMs, "Wait MS milliseconds before each reply")
        ->check(CLI::Range(0, 600000))
        ->type_name("MS")
        ->group(line);
    app.add_flag("-v,--verbose", o.simulator.verbose, "Show every command and reply")->group(line);
    app.add_option("--log", o.simulator.logFile,
                   "Write every command received to FILE, one per line, as received")
        ->type_name("FILE")
        ->group(line);

    const std::string faults = "Faults (CMD: a command or its beginning, e.g. R303 or R302005; "
                               "CMD#n: only the n-th such command; \"\": the empty command)";
    app.add_option("--silent-at", o.simulator.faults.silentAt, "Give no reply to CMD (repeatable)")
        ->allow_extra_args(false)
        ->type_name("CMD")
        ->group(faults);
    app.add_option("--silent-from", o.simulator.faults.silentFrom,
                   "Give no reply from the K-th command on (counted from 1 over all sessions)")
        ->check(CLI::PositiveNumber)
        ->type_name("K")
        ->group(faults);
    app.add_option("--no-cr-at", o.simulator.faults.noCrAt,
                   "Reply to CMD without the carriage return (repeatable)")
        ->allow_extra_args(false)
        ->type_name("CMD")
        ->group(faults);
    app.add_flag("--garble", o.simulator.faults.garble,
                 "Put the bytes NUL, 0xFF and LF after the first byte of every reply")
        ->group(faults);
    app.add_option("--garble-at", o.simulator.faults.garbleAt,
                   "The same for the replies to CMD only (repeatable)")
        ->allow_extra_args(false)
        ->type_name("CMD")
        ->group(faults);
    app.add_flag("--crlf", o.simulator.faults.crlf, "End replies with CR LF instead of CR")
        ->group(faults);
    app.add_option("--drip", o.dripMs, "Send the bytes of replies MS milliseconds apart")
        ->check(CLI::Range(1, 600000))
        ->type_name("MS")
        ->group(faults);
    app.add_option("--hangup-after", o.simulator.faults.hangupAfter,
                   "Close the device after the reply to the K-th command, like an unplugged "
                   "adapter")
        ->check(CLI::PositiveNumber)
        ->type_name("K")
        ->group(faults);
    app.add_option("--fuel-count", o.fuelCount,
                   "Report N fuel names in the reply to R402, whatever the memory holds")
        ->check(CLI::Range(0, 999))
        ->type_name("N")
        ->group(faults);
}

// The stop signals arrive through a descriptor the main loop waits on, so the link is always
// removed on the way out.
int blockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signals, s);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0)
        return -1;
    return signalfd(-1, &signals, SFD_CLOEXEC);
}

int serve(const Options& o) {
    const int stopFd = blockStopSignals();
    if (stopFd < 0)
        throw std::runtime_error("cannot watch the stop signals");
    std::signal(SIGPIPE, SIG_IGN);

    InstrumentMemory memory = o.memoryFile.empty() ? generateMemory(o.records, o.seed, o.fuels)
                                                   : loadMemoryFile(o.memoryFile);
    if (!o.dumpFile.empty())
        saveMemoryFile(o.dumpFile, memory);
    Instrument instrument(memory, o.fuelCount);

    PseudoTerminal terminal;
    std::unique_ptr<PortLink> link;
    if (o.port)
        link = std::make_unique<PortLink>(*o.port, terminal.device());

    SimulatorSettings settings = o.simulator;
    settings.pace.latency = std::chrono::milliseconds(o.latencyMs);
    settings.pace.drip = std::chrono::milliseconds(o.dripMs);
    Simulator simulator(terminal, instrument, settings, std::cout);

    std::cout << "Device: " << terminal.device() << std::endl;
    if (link)
        std::cout << "Port: COM" << *o.port << " (" << link->path() << ")" << std::endl;
    std::cout << "TEV 640 serial " << memory.serial << ", firmware " << memory.firmware << ", "
              << memory.records.size() << " records, " << memory.fuelNames.size()
              << " fuel names. Press Ctrl+C to stop." << std::endl;
    simulator.run(stopFd);
    std::cout << "Stopped; the device is closed"
              << (link ? " and COM" + std::to_string(*o.port) + " removed." : ".") << std::endl;
    close(stopFd);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"tev640-sim: a simulated TEV 640 flue-gas analyser on a pseudo-terminal.\n"
                 "It answers the instrument's command set from a memory of records, loaded "
                 "from a file or generated,\nand prints the device to connect to (and the COM "
                 "port with --port). Ctrl+C ends it."};
    app.footer("Examples:\n"
               "  tev640-sim --port 1                      20 generated records on COM1\n"
               "  tev640-sim --port 3 --memory shop.mem -v a memory file, every command shown\n"
               "  tev640-sim --port 1 --baud 9600 --latency 30   paced like the instrument");
    Options options;
    addOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    try {
        return serve(options);
    } catch (const std::exception& e) {
        std::cerr << "tev640-sim: " << e.what() << std::endl;
        return 1;
    }
}
