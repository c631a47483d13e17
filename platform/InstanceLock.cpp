#include "InstanceLock.h"

#include "TempFiles.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovena {

namespace {

// $XDG_RUNTIME_DIR belongs to the user alone. The shared temporary folder does not, so there the
// name carries the user id.
std::string lockFilePath(const std::string& programName) {
    struct stat info {};
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && runtime[0] == '/' && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode))
        return std::string(runtime) + "/" + programName + ".lock";
    return tempFolder() + programName + "-" + std::to_string(getuid()) + ".lock";
}

} // namespace

InstanceLock::InstanceLock(const std::string& programFileName) {
    const auto slash = programFileName.rfind('/');
    const std::string name =
        slash == std::string::npos ? programFileName : programFileName.substr(slash + 1);
    fd_ = open(lockFilePath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0)
        return; // no lock can be taken: let the program run rather than refuse to start
    // A lock file that another user planted in a shared folder must not keep this user's
    // program from starting.
    struct stat info {};
    if (fstat(fd_, &info) != 0 || info.st_uid != getuid() || !S_ISREG(info.st_mode)) {
        close(fd_);
        fd_ = -1;
        return;
    }
    int result;
    do
        result = flock(fd_, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    alreadyRunning_ = result != 0 && errno == EWOULDBLOCK;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        close(fd_);
}

} // namespace ovena
