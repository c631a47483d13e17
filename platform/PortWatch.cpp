#include "PortWatch.h"

#include "ConfigPaths.h"
#include "SerialPorts.h"

#include <cstdint>
#include <filesystem>
#include <sys/inotify.h>
#include <unistd.h>

namespace ovena {

PortWatch::PortWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    // The ports folder must exist to be watched; the program keeps its links there anyway.
    std::error_code ignored;
    std::filesystem::create_directories(portsFolder(), ignored);
    watchFolders();
}

PortWatch::~PortWatch() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool PortWatch::drain() {
    bool changed = false;
    alignas(inotify_event) char buffer[4096];
    while (fd_ >= 0 && ::read(fd_, buffer, sizeof buffer) > 0)
        changed = true;
    if (changed)
        watchFolders();
    return changed;
}

void PortWatch::watchFolders() {
    if (fd_ < 0)
        return;
    constexpr std::uint32_t changes =
        IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_ONLYDIR;
    const std::string devices = deviceRoot();
    // Watching a folder twice keeps one watch; a folder that is not there yet is skipped.
    for (const std::string& folder :
         {devices, devices + "/serial", devices + "/serial/by-id", portsFolder()})
        inotify_add_watch(fd_, folder.c_str(), changes);
}

} // namespace ovena
