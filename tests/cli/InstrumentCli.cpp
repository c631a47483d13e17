#include "InstrumentCli.h"

#include "support/TestEnvironment.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ovena::test {

namespace {

pid_t spawnCli(const std::vector<std::string>& args, posix_spawn_file_actions_t& actions,
               const std::vector<std::string>& prefix = {}) {
    std::vector<std::string> all = prefix;
    all.push_back(OVENA_CLI_PROGRAM);
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + all[0]);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int exitStatus(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

CliResult runCli(const std::vector<std::string>& args, const std::vector<std::string>& prefix) {
    const std::string outPath = sandboxFolder() + "/cli-stdout";
    const std::string errPath = sandboxFolder() + "/cli-stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    CliResult result;
    result.status = exitStatus(spawnCli(args, actions, prefix));
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

CliResult runCliOnTerminal(const std::vector<std::string>& args, const std::string& prompt,
                           const std::string& typed) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    const std::string terminal = ptsname(master);
    const std::string outPath = sandboxFolder() + "/cli-stdout";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, terminal.c_str(), O_RDWR | O_NOCTTY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 0, 2);
    const pid_t pid = spawnCli(args, actions);

    // Read what the terminal shows until the program has ended and nothing more comes; type
    // once the prompt is there.
    CliResult result;
    int status = -1;
    bool typedYet = typed.empty();
    for (bool ended = false;;) {
        pollfd pfd{master, POLLIN, 0};
        if (poll(&pfd, 1, 100) > 0 && (pfd.revents & POLLIN)) {
            char chunk[4096];
            const ssize_t count = read(master, chunk, sizeof chunk);
            if (count > 0) {
                result.err.append(chunk, static_cast<std::size_t>(count));
                if (!typedYet && result.err.find(prompt) != std::string::npos) {
                    if (write(master, typed.data(), typed.size()) < 0)
                        throw std::runtime_error("cannot type at the terminal");
                    typedYet = true;
                }
                continue;
            }
        }
        if (ended)
            break;
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) == pid) {
            ended = true;
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        }
    }
    close(master);
    result.status = status;
    result.out = readFile(outPath);
    return result;
}

CliProcess::CliProcess(const std::vector<std::string>& args, long fileSizeLimit) {
    static int count = 0;
    const std::string name = sandboxFolder() + "/cli-process-" + std::to_string(++count);
    outPath_ = name + ".out";
    errPath_ = name + ".err";
    std::vector<std::string> all{OVENA_CLI_PROGRAM};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("cannot start " + all[0]);
    if (pid_ > 0)
        return;
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
        _exit(126);
    if (fileSizeLimit > 0) {
        const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
        signal(SIGXFSZ, SIG_IGN);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(126);
    }
    execv(argv[0], argv.data());
    _exit(127);
}

CliProcess::~CliProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

CliResult CliProcess::finish() {
    CliResult result;
    result.status = exitStatus(pid_);
    pid_ = -1;
    result.out = readFile(outPath_);
    result.err = readFile(errPath_);
    return result;
}

} // namespace ovena::test
