#include "platform/ConfigPaths.h"
#include "support/TestEnvironment.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ovena {
namespace {

using namespace std::chrono_literals;

// The test build of the program, started with the test's sandboxed environment plus `extra`.
pid_t startOvena(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> environment(extra);
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string program = test::buildFolder() + "/test-bin/ovena";
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
        return -1;
    return pid;
}

// The exit status once the process ended within `limit`; no value while it still runs.
std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    do {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < until);
    return std::nullopt;
}

// Whether the process holds a file open in the runtime folder: its instance lock.
bool holdsInstanceLock(pid_t pid) {
    std::error_code error;
    const std::string runtime = std::getenv("XDG_RUNTIME_DIR");
    for (const auto& fd :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        auto target = std::filesystem::read_symlink(fd.path(), error);
        if (!error && target.string().rfind(runtime, 0) == 0)
            return true;
    }
    return false;
}

TEST(SecondStart, TheSecondCopyShowsTheMessageAndEnds) {
    const pid_t first = startOvena();
    ASSERT_GT(first, 0);
    const auto until = std::chrono::steady_clock::now() + 20s;
    while (!holdsInstanceLock(first) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(holdsInstanceLock(first));

    const std::string log = test::sandboxFolder() + "/boxes.log";
    const pid_t second = startOvena({"OVENA_BOX_LOG=" + log});
    ASSERT_GT(second, 0);
    EXPECT_EQ(waitForExit(second, 20s), 0);
    EXPECT_EQ(test::readFile(log), "ovena|Programm l\xC3\xA4uft schon auf diesem Arbeitsplatz!\n");

    EXPECT_FALSE(waitForExit(first, 200ms).has_value()); // the running copy is untouched
    kill(first, SIGTERM);
    EXPECT_TRUE(waitForExit(first, 20s).has_value());
}

} // namespace
} // namespace ovena
