#pragma once

#include <stdexcept>
#include <string>

namespace ovena::sim {

// A COM port number that cannot be registered; what() says why, for the user.
class PortLinkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Registers a device as COM port n (1 to 99): the symbolic link COMn in the ports folder points
// at it while this object lives. A link that points at a device that still exists belongs to
// someone else and is left alone; a stale one is replaced.
class PortLink {
public:
    PortLink(int port, const std::string& device);
    ~PortLink();
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string device_;
};

} // namespace ovena::sim
