#pragma once

#include <string>
#include <vector>

namespace ovena::test {

// Every test process runs in a fresh temporary folder of its own: HOME, XDG_CONFIG_HOME,
// XDG_DATA_HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR and TMPDIR all point into it, so no test
// touches the real home folder or sees another test's files. The sysfs and device roots point at
// a machine of its own without serial ports (machine/sys, machine/dev, machine/run/lock). It is
// removed when the process ends.
const std::string& sandboxFolder();

// The build tree and the source tree (for programs under test and test data).
std::string buildFolder();
std::string sourceFolder();

// Reads and writes whole files as bytes.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// The lines of a text, split at "\n"; a last line without its "\n" counts.
std::vector<std::string> lines(const std::string& text);

// Runs a shell command and answers what it wrote to its standard output; `status` receives its
// wait status. Throws when the command cannot be started.
std::string commandOutput(const std::string& command, int& status);

} // namespace ovena::test
