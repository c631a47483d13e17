#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace ovena::test {

struct CliResult {
    int status = -1;
    std::string out; // stdout
    std::string err; // stderr, or everything the terminal showed
};

// Runs ovena-cli with the arguments as a script would: stdin from /dev/null, stdout and stderr
// into files. A prefix (such as setpriv and its options) starts the program through it.
CliResult runCli(const std::vector<std::string>& args, const std::vector<std::string>& prefix = {});

// Runs ovena-cli with stdin and stderr on a pseudo-terminal, as a user at a terminal would, who
// types `typed` once the terminal shows `prompt` (as a user does: typed earlier, the terminal's
// echo would land inside the prompt). `err` holds what the terminal showed.
CliResult runCliOnTerminal(const std::vector<std::string>& args, const std::string& prompt = "",
                           const std::string& typed = "");

// ovena-cli running on its own, started as runCli starts it; killed when the object goes if it
// still runs. With a file-size limit every file it writes stops growing there, as on a full
// disk (SIGXFSZ ignored, so the write fails instead of ending the program).
class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& args, long fileSizeLimit = 0);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Waits for it to end.
    CliResult finish();

private:
    pid_t pid_ = -1;
    std::string outPath_, errPath_;
};

} // namespace ovena::test
