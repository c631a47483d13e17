#include "support/SleepingProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ovena::test {

SleepingProcess::SleepingProcess(const std::string& device) {
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("cannot fork");
    if (pid_ == 0) {
        if (!device.empty()) {
            const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (fd < 0 || dup2(fd, STDIN_FILENO) < 0)
                _exit(127);
        }
        execl("/bin/sleep", "sleep", "600", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Ready once the program runs, and its standard input is the device.
    const std::string input = "/proc/" + std::to_string(pid_) + "/fd/0";
    const std::string program = "/proc/" + std::to_string(pid_) + "/exe";
    for (int i = 0; i < 500; ++i) {
        std::error_code error;
        if (std::filesystem::read_symlink(program, error) == "/usr/bin/sleep" ||
            std::filesystem::read_symlink(program, error) == "/bin/sleep")
            if (device.empty() || std::filesystem::read_symlink(input, error) ==
                                      std::filesystem::canonical(device, error))
                return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    throw std::runtime_error("sleep did not start");
}

SleepingProcess::~SleepingProcess() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

pid_t endedProcessId() {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

} // namespace ovena::test
