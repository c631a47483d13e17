#include "support/SimProcess.h"

#include "support/TestEnvironment.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace ovena::test {

std::string simProgram() {
    return buildFolder() + "/sim/tev640-sim";
}

SimProcess::SimProcess(const std::vector<std::string>& options) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<std::string> args{simProgram()};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int result = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
    if (result != 0)
        throw std::runtime_error("cannot start " + simProgram());
}

SimProcess::~SimProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(out_);
    close(err_);
}

bool SimProcess::readMore(int fd, std::string& buffer,
                          std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd pfd{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
        return false;
    char chunk[4096];
    const ssize_t count = read(fd, chunk, sizeof chunk);
    if (count <= 0)
        return false;
    buffer.append(chunk, static_cast<size_t>(count));
    return true;
}

std::string SimProcess::nextLine(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (const auto end = outBuffer_.find('\n'); end != std::string::npos) {
            std::string line = outBuffer_.substr(0, end);
            outBuffer_.erase(0, end + 1);
            return line;
        }
        if (!readMore(out_, outBuffer_, deadline))
            return {};
    }
}

bool SimProcess::started(std::chrono::milliseconds limit) {
    const std::string line = nextLine(limit);
    if (!line.starts_with("Device: "))
        return false;
    device_ = line.substr(8);
    return true;
}

std::string SimProcess::remainingOutput() {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (readMore(out_, outBuffer_, deadline)) {
    }
    return std::exchange(outBuffer_, {});
}

std::string SimProcess::errorOutput() {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (readMore(err_, errBuffer_, deadline)) {
    }
    return errBuffer_;
}

int SimProcess::stop(int signal) {
    kill(pid_, signal);
    return exitStatus();
}

int SimProcess::exitStatus(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return -1;
        usleep(10'000);
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace ovena::test
