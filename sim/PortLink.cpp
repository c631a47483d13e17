#include "PortLink.h"

#include "platform/ConfigPaths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace ovena::sim {

namespace fs = std::filesystem;

namespace {

std::string linkTarget(const std::string& path) {
    std::error_code error;
    const fs::path target = fs::read_symlink(path, error);
    return error ? std::string() : target.string();
}

// Refuses when `path` holds something that must not be replaced.
void checkReplaceable(const std::string& name, const std::string& path) {
    struct stat entry {};
    if (lstat(path.c_str(), &entry) != 0)
        return;
    if (!S_ISLNK(entry.st_mode))
        throw PortLinkError(name + " cannot be registered: " + path +
                            " exists and is not a link; remove it or choose another port");
    struct stat target {};
    if (stat(path.c_str(), &target) == 0 && S_ISCHR(target.st_mode))
        throw PortLinkError(name + " is in use: " + path + " points at " + linkTarget(path) +
                            ", a device that exists; stop the program that registered it, "
                            "remove the link or choose another port");
}

} // namespace

PortLink::PortLink(int port, const std::string& device) : device_(device) {
    const std::string name = "COM" + std::to_string(port);
    if (port < 1 || port > 99)
        throw PortLinkError(name + " cannot be registered: port numbers run from 1 to 99");
    const std::string folder = portsFolder();
    path_ = folder + "/" + name;
    checkReplaceable(name, path_);

    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw PortLinkError("cannot create the ports folder " + folder + ": " + error.message());
    // A new link under a temporary name, renamed over the old one: the port never points at
    // nothing while a stale link is replaced.
    const std::string temporary = path_ + ".new" + std::to_string(getpid());
    ::unlink(temporary.c_str());
    if (symlink(device.c_str(), temporary.c_str()) != 0 ||
        std::rename(temporary.c_str(), path_.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        throw PortLinkError("cannot create the link " + path_ + ": " + reason);
    }
}

PortLink::~PortLink() {
    // Only our own link: never one that someone put there since.
    if (linkTarget(path_) == device_)
        ::unlink(path_.c_str());
}

} // namespace ovena::sim
