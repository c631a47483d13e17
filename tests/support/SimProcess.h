#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ovena::test {

using namespace std::chrono_literals;

// The real tev640-sim, started with the given options; its output is read line by line.
// Killed when the object goes if it still runs.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& options);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Waits for the start-up lines; false when the program ended or said nothing in time.
    bool started(std::chrono::milliseconds limit = 5s);
    // The device from the line "Device: ...".
    const std::string& device() const { return device_; }
    pid_t pid() const { return pid_; }

    // The next output line, or empty after the time limit or the end of the output.
    std::string nextLine(std::chrono::milliseconds limit = 3s);
    // The rest of stdout, and everything on stderr, once the program has ended.
    std::string remainingOutput();
    std::string errorOutput();

    // Sends the signal and returns the exit status (or 128 + signal when it was killed).
    int stop(int signal);
    // Waits for the program to end by itself; -1 when it is still running after the limit.
    int exitStatus(std::chrono::milliseconds limit = 5s);

private:
    bool readMore(int fd, std::string& buffer, std::chrono::steady_clock::time_point deadline);

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outBuffer_;
    std::string errBuffer_;
    std::string device_;
};

// The path of the program under test.
std::string simProgram();

} // namespace ovena::test
