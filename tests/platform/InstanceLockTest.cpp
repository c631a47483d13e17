#include "platform/InstanceLock.h"

#include "platform/TempFiles.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using ovena::InstanceLock;

// A child process that takes the lock and keeps it until it is killed. Answers its pid once
// the lock is taken.
pid_t lockingChild(const std::string& program) {
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        InstanceLock lock(program);
        const char answer = lock.alreadyRunning() ? 'n' : 'y';
        if (write(ready[1], &answer, 1) != 1)
            _exit(1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char answer = 0;
    const bool locked = read(ready[0], &answer, 1) == 1 && answer == 'y';
    close(ready[0]);
    if (!locked && pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

TEST(InstanceLock, ASecondCopyFindsTheFirstUntilItIsReleased) {
    {
        InstanceLock first("ovena");
        EXPECT_FALSE(first.alreadyRunning());
        EXPECT_TRUE(fs::exists(ovena::test::sandboxFolder() + "/runtime/ovena.lock"));
        InstanceLock second("ovena");
        EXPECT_TRUE(second.alreadyRunning());
        InstanceLock otherProgram("ovena-cli");
        EXPECT_FALSE(otherProgram.alreadyRunning());
        InstanceLock samePathElsewhere("/opt/tev/bin/ovena");
        EXPECT_TRUE(samePathElsewhere.alreadyRunning()) << "named after the file, not its folder";
    }
    InstanceLock afterRelease("ovena");
    EXPECT_FALSE(afterRelease.alreadyRunning());
}

TEST(InstanceLock, AnotherProcessHoldsItUntilItEndsHoweverItEnds) {
    const pid_t holder = lockingChild("ovena");
    ASSERT_GT(holder, 0);
    EXPECT_TRUE(InstanceLock("ovena").alreadyRunning());
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_FALSE(InstanceLock("ovena").alreadyRunning());
}

TEST(InstanceLock, ProgramsItStartsDoNotInheritIt) {
    pid_t viewer = -1;
    {
        InstanceLock lock("ovena");
        ASSERT_FALSE(lock.alreadyRunning());
        // A viewer started for an exported file may outlive the program. The pipe closes when
        // the viewer's program has replaced the forked copy.
        char sleepProgram[] = "/bin/sleep", seconds[] = "30";
        char* argv[] = {sleepProgram, seconds, nullptr};
        int started[2];
        ASSERT_EQ(pipe2(started, O_CLOEXEC), 0);
        viewer = fork();
        if (viewer == 0) {
            execv(argv[0], argv);
            _exit(127);
        }
        close(started[1]);
        char byte;
        EXPECT_EQ(read(started[0], &byte, 1), 0);
        close(started[0]);
        ASSERT_GT(viewer, 0);
    }
    EXPECT_FALSE(InstanceLock("ovena").alreadyRunning());
    kill(viewer, SIGKILL);
    waitpid(viewer, nullptr, 0);
}

TEST(InstanceLock, WithoutARuntimeFolderTheTemporaryFolderHoldsAPerUserLock) {
    unsetenv("XDG_RUNTIME_DIR");
    const std::string path = ovena::tempFolder() + "ovena-" + std::to_string(getuid()) + ".lock";
    const pid_t holder = lockingChild("ovena");
    ASSERT_GT(holder, 0);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_TRUE(InstanceLock("ovena").alreadyRunning());
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);

    setenv("XDG_RUNTIME_DIR", "relative/folder", 1);
    EXPECT_FALSE(InstanceLock("ovena").alreadyRunning());
    EXPECT_FALSE(fs::exists("relative"));
}

TEST(InstanceLock, FilesPlantedByOthersDoNotStopTheProgram) {
    unsetenv("XDG_RUNTIME_DIR");
    const std::string path = ovena::tempFolder() + "ovena-" + std::to_string(getuid()) + ".lock";
    const std::string target = ovena::test::sandboxFolder() + "/target";
    fs::create_symlink(target, path);
    EXPECT_FALSE(InstanceLock("ovena").alreadyRunning());
    EXPECT_FALSE(fs::exists(target)) << "the link was not followed";
    fs::remove(path);

    if (getuid() != 0)
        GTEST_SKIP() << "handing a file to another user needs root";
    ovena::test::writeFile(path, "");
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    // The other user holds a lock on the file they planted.
    const int planted = open(path.c_str(), O_RDONLY);
    ASSERT_GE(planted, 0);
    ASSERT_EQ(flock(planted, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(InstanceLock("ovena").alreadyRunning());
    close(planted);
}

} // namespace
