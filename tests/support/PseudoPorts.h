#pragma once

#include "platform/ConfigPaths.h"

#include <fcntl.h>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <unistd.h>

namespace ovena::test {

// COM ports for tests: each number given is a pseudo-terminal linked as COMn in the ports
// folder; every other number from 1 to 99 is linked to a missing device, so serial ports of the
// machine itself never show up in a test. The links go when the object does.
class PseudoPorts {
public:
    explicit PseudoPorts(std::initializer_list<int> present) {
        namespace fs = std::filesystem;
        fs::create_directories(portsFolder());
        for (int n : present) {
            int master = posix_openpt(O_RDWR | O_NOCTTY);
            if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
                throw std::runtime_error("no pseudo-terminal");
            masters_[n] = master;
            devices_[n] = ptsname(master);
        }
        for (int n = 1; n <= 99; ++n) {
            auto device = devices_.find(n);
            fs::create_symlink(device != devices_.end() ? device->second
                                                        : portsFolder() + "/missing-device",
                               link(n));
        }
    }
    ~PseudoPorts() {
        std::error_code ignored;
        for (int n = 1; n <= 99; ++n)
            std::filesystem::remove(link(n), ignored);
        for (auto& [n, master] : masters_)
            close(master);
    }
    PseudoPorts(const PseudoPorts&) = delete;
    PseudoPorts& operator=(const PseudoPorts&) = delete;

    const std::string& device(int n) const { return devices_.at(n); }

private:
    static std::string link(int n) { return portsFolder() + "/COM" + std::to_string(n); }

    std::map<int, int> masters_;
    std::map<int, std::string> devices_;
};

} // namespace ovena::test
