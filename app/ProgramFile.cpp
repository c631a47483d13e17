#include "ProgramFile.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace ovena {

std::string programFilePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string directoryOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string fileNameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string helpDocumentPath(const std::string& programDir) {
    const std::string besideProgram = programDir + "Ovena Help.pdf";
    const std::string installed = programDir + "../share/ovena/Ovena Help.pdf";
    if (access(besideProgram.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0)
        return installed;
    return besideProgram;
}

} // namespace ovena
