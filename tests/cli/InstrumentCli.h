#pragma once

#include <string>
#include <vector>

namespace ovena::test {

struct CliResult {
    int status = -1;
    std::string out; // stdout
    std::string err; // stderr, or everything the terminal showed
};

// Runs ovena-cli with the arguments as a script would: stdin from /dev/null, stdout and stderr
// into files.
CliResult runCli(const std::vector<std::string>& args);

// Runs ovena-cli with stdin and stderr on a pseudo-terminal, as a user at a terminal would, who
// types `typed` once the terminal shows `prompt` (as a user does: typed earlier, the terminal's
// echo would land inside the prompt). `err` holds what the terminal showed.
CliResult runCliOnTerminal(const std::vector<std::string>& args, const std::string& prompt = "",
                           const std::string& typed = "");

} // namespace ovena::test
