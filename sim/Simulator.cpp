#include "Simulator.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace ovena::sim {

namespace {

using namespace std::chrono_literals;

// A command longer than this is cut; its surplus bytes are dropped.
constexpr std::size_t maxCommandLength = 1024;
// Before hanging up the last reply must reach the client: the line is closed once it has
// read everything, or after the longest wait.
constexpr auto shortestDrain = 50ms;
constexpr auto longestDrain = 2s;
constexpr auto drainCheck = 10ms;

// Bytes as a monitor shows them: printable ASCII as it is, everything else as \xNN.
std::string visible(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            text += code;
        }
    }
    return text;
}

} // namespace

Simulator::Simulator(PseudoTerminal& terminal, Instrument& instrument,
                     const SimulatorSettings& settings, std::ostream& out)
    : terminal_(terminal), instrument_(instrument), faults_(settings.faults), pacer_(settings.pace),
      verbose_(settings.verbose), out_(out) {
    if (!settings.logFile.empty()) {
        log_.open(settings.logFile, std::ios::binary | std::ios::trunc);
        if (!log_)
            throw std::runtime_error("cannot write the log file " + settings.logFile);
    }
}

void Simulator::run(int stopFd) {
    for (;;) {
        const auto now = Clock::now();
        sendDueBytes(now);
        hangUpWhenDelivered(now);

        pollfd fds[3] = {{stopFd, POLLIN, 0}, {-1, 0, 0}, {terminal_.watch(), POLLIN, 0}};
        if (terminal_.isOpen()) {
            fds[1].fd = terminal_.master();
            fds[1].events =
                static_cast<short>((hangUpPending_ ? 0 : POLLIN) | (waitingToWrite_ ? POLLOUT : 0));
        }
        const auto wait = timeout(Clock::now());
        timespec limit{};
        if (wait >= Clock::duration::zero()) {
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            limit = {static_cast<time_t>(ns / 1'000'000'000),
                     static_cast<long>(ns % 1'000'000'000)};
        }
        if (ppoll(fds, 3, wait >= Clock::duration::zero() ? &limit : nullptr, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("waiting for the device failed");
        }
        if (fds[0].revents)
            return;
        // Before the commands: a client's open comes before what it sends, its close after.
        followClients();
        if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            // Cannot happen while the device is held open; never spin on it if it does.
            terminal_.hangUp();
            out_ << "The device failed and is closed. Press Ctrl+C to end." << std::endl;
            continue;
        }
        if (fds[1].revents & POLLOUT)
            waitingToWrite_ = false;
        if (fds[1].revents & POLLIN)
            readCommands();
    }
}

ReplyPacer::Clock::duration Simulator::timeout(Clock::time_point now) const {
    if (!terminal_.isOpen())
        return Clock::duration(-1);
    if (drainStart_)
        return drainCheck;
    if (pacer_.empty() || waitingToWrite_)
        return Clock::duration(-1);
    return std::max(pacer_.nextDue() - now, Clock::duration::zero());
}

void Simulator::followClients() {
    for (const auto event : terminal_.sessionEvents()) {
        const bool began = event == PseudoTerminal::SessionEvent::Began;
        sessions_ += began;
        if (verbose_)
            out_ << "Session " << sessions_ << (began ? ": device opened" : ": device closed")
                 << std::endl;
    }
}

void Simulator::readCommands() {
    char buffer[4096];
    const ssize_t count = ::read(terminal_.master(), buffer, sizeof buffer);
    for (ssize_t i = 0; i < count && !hangUpPending_; ++i) {
        const char byte = buffer[i];
        if (byte == '\r') {
            handleCommand(command_);
            command_.clear();
        } else if (byte != '\n' && command_.size() < maxCommandLength) {
            command_ += byte;
        }
    }
}

void Simulator::handleCommand(const std::string& command) {
    if (log_.is_open())
        log_ << command << '\n' << std::flush;
    if (verbose_)
        out_ << "> " << visible(command) << std::endl;

    const FaultDecision decision = faults_.decide(command);
    if (decision.silent) {
        if (verbose_)
            out_ << "  (no reply)" << std::endl;
    } else {
        const std::string bytes = faults_.frame(instrument_.answer(command), decision);
        pacer_.queue(bytes, Clock::now());
        if (verbose_) {
            const bool endsWithCr = bytes.ends_with('\r');
            out_ << "< " << visible(endsWithCr ? bytes.substr(0, bytes.size() - 1) : bytes)
                 << (endsWithCr ? "" : "  (no carriage return)") << std::endl;
        }
    }
    hangUpPending_ = decision.hangUp;
}

void Simulator::sendDueBytes(Clock::time_point now) {
    if (!terminal_.isOpen() || pacer_.empty() || waitingToWrite_)
        return;
    const std::string bytes = pacer_.due(now);
    if (bytes.empty())
        return;
    if (!terminal_.inSession()) {
        pacer_.sent(bytes.size()); // the instrument talks to a closed port
        return;
    }
    const ssize_t written = ::write(terminal_.master(), bytes.data(), bytes.size());
    if (written > 0)
        pacer_.sent(static_cast<std::size_t>(written));
    // The client does not read and the device's buffer is full: wait until it has room.
    if (written < static_cast<ssize_t>(bytes.size()))
        waitingToWrite_ = true;
}

void Simulator::hangUpWhenDelivered(Clock::time_point now) {
    if (!hangUpPending_ || !terminal_.isOpen() || !pacer_.empty())
        return;
    if (!drainStart_)
        drainStart_ = now;
    const auto waited = now - *drainStart_;
    if (waited < longestDrain && (waited < shortestDrain || terminal_.unreadBytes() > 0))
        return;
    terminal_.hangUp();
    drainStart_.reset();
    out_ << "Hung up after " << faults_.commandsReceived()
         << " commands: the device is gone. Press Ctrl+C to end." << std::endl;
}

} // namespace ovena::sim
