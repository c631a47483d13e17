#pragma once

#include <string>

namespace ovena {

// The full path of the running program file, as the system reports it (/proc/self/exe).
std::string programFilePath();

// The folder part of a path with its trailing "/" ("/opt/ovena/bin/ovena" gives
// "/opt/ovena/bin/"); empty for a bare name.
std::string directoryOf(const std::string& path);

// The last part of a path, extension included ("/opt/ovena/bin/ovena" gives "ovena").
std::string fileNameOf(const std::string& path);

// The help document of a program in `programDir`: beside the program (the build tree), else
// in the installed data folder ../share/ovena/. When neither exists, the name beside the
// program, so the failure names where it was expected.
std::string helpDocumentPath(const std::string& programDir);

} // namespace ovena
