#pragma once

#include "sim/FaultPlan.h"
#include "sim/Instrument.h"
#include "sim/PseudoTerminal.h"
#include "sim/ReplyPacer.h"

#include <fstream>
#include <ostream>
#include <string>

namespace ovena::sim {

struct SimulatorSettings {
    ReplyPacer::Pace pace;
    FaultSettings faults;
    bool verbose = false; // commands and replies on the output stream
    std::string logFile;  // every command received, one per line; empty: none
};

// Serves the instrument on the pseudo-terminal: reads commands ended by a carriage return,
// answers them through the instrument with the faults and the pace asked for, and keeps
// going across any number of client sessions until told to stop. Like a real line, bytes sent
// while no client has the device open are lost. Waiting is poll-based.
class Simulator {
public:
    // Throws std::runtime_error when the log file cannot be written.
    Simulator(PseudoTerminal& terminal, Instrument& instrument, const SimulatorSettings& settings,
              std::ostream& out);

    // Runs until `stopFd` becomes readable (a signalfd of the stop signals).
    void run(int stopFd);

private:
    using Clock = ReplyPacer::Clock;

    void followClients();
    void readCommands();
    void handleCommand(const std::string& command);
    void sendDueBytes(Clock::time_point now);
    void hangUpWhenDelivered(Clock::time_point now);
    // The poll time-out to the next deadline; negative: none.
    Clock::duration timeout(Clock::time_point now) const;

    PseudoTerminal& terminal_;
    Instrument& instrument_;
    FaultPlan faults_;
    ReplyPacer pacer_;
    bool verbose_;
    std::ofstream log_;
    std::ostream& out_;

    std::string command_;
    int sessions_ = 0;
    bool waitingToWrite_ = false;
    bool hangUpPending_ = false;
    std::optional<Clock::time_point> drainStart_;
};

} // namespace ovena::sim
