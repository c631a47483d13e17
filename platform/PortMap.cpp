#include "PortMap.h"

#include "ConfigPaths.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <vector>

namespace ovena {

namespace fs = std::filesystem;

namespace {

// The devices /dev/<stem>N, ordered by their number (ttyUSB2 before ttyUSB10).
std::vector<std::string> numberedDevices(const std::string& stem) {
    std::vector<std::pair<unsigned long, std::string>> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0)
            continue;
        const char* first = name.data() + stem.size();
        const char* last = name.data() + name.size();
        unsigned long number = 0;
        if (auto [end, failed] = std::from_chars(first, last, number);
            failed != std::errc() || end != last)
            continue;
        found.emplace_back(number, entry.path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> devices;
    for (auto& [number, path] : found)
        devices.push_back(std::move(path));
    return devices;
}

} // namespace

std::string deviceForPort(int n) {
    if (n < 1 || n > 99)
        return {};
    const fs::path link = fs::path(portsFolder()) / ("COM" + std::to_string(n));
    std::error_code error;
    if (fs::is_symlink(link, error)) {
        fs::path target = fs::read_symlink(link, error);
        if (!error)
            return (target.is_absolute() ? target : link.parent_path() / target).string();
    }
    if (n <= 4)
        return "/dev/ttyS" + std::to_string(n - 1);
    std::vector<std::string> adapters = numberedDevices("ttyUSB");
    const std::vector<std::string> modems = numberedDevices("ttyACM");
    adapters.insert(adapters.end(), modems.begin(), modems.end());
    const auto index = static_cast<std::size_t>(n - 5);
    return index < adapters.size() ? adapters[index] : std::string();
}

} // namespace ovena
