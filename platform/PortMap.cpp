#include "PortMap.h"

#include "ConfigPaths.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace ovena {

namespace fs = std::filesystem;

namespace {

constexpr int PortMax = 99;
constexpr int FirstAdapterPort = 5;

std::string linkPath(int n) {
    return portsFolder() + "/COM" + std::to_string(n);
}

// The targets of the links COMn of the ports folder, absolute, by number.
std::map<int, std::string> portLinks() {
    std::map<int, std::string> links;
    for (int n = 1; n <= PortMax; ++n) {
        const fs::path link = linkPath(n);
        std::error_code error;
        const fs::path target = fs::read_symlink(link, error);
        if (!error)
            links[n] = (target.is_absolute() ? target : link.parent_path() / target)
                           .lexically_normal()
                           .string();
    }
    return links;
}

// Writes the link COMn -> target unless something took the name meanwhile; the number is used
// for this run either way.
void writePortLink(int n, const std::string& target) {
    std::error_code ignored;
    fs::create_directories(portsFolder(), ignored);
    [[maybe_unused]] const int written = symlink(target.c_str(), linkPath(n).c_str());
}

// The onboard ports ttyS0 to ttyS3 as COM1 to COM4; 0 for any other port.
int onboardNumber(const std::string& name) {
    if (name.size() == 5 && name.compare(0, 4, "ttyS") == 0 && name[4] >= '0' && name[4] <= '3')
        return name[4] - '0' + 1;
    return 0;
}

} // namespace

bool PortAssignment::waitsForAdapter() const {
    if (port || link.empty())
        return false;
    const fs::path relative = fs::path(link).lexically_relative(deviceRoot() + "/serial/by-id");
    return !relative.empty() && *relative.begin() != "..";
}

std::vector<PortAssignment> portAssignments() {
    std::map<int, PortAssignment> numbers;
    std::vector<SerialPortInfo> unnumbered;
    const std::map<int, std::string> links = portLinks();
    std::multimap<std::string, int> linkedNodes; // the node each link stands for
    for (const auto& [n, target] : links) {
        numbers[n] = PortAssignment{n, target, target, std::nullopt};
        linkedNodes.emplace(nodeInDeviceRoot(target), n);
    }

    for (SerialPortInfo& port : discoverSerialPorts()) {
        const auto [first, last] = linkedNodes.equal_range(nodeInDeviceRoot(port.device));
        const bool linked = first != last;
        for (auto link = first; link != last; ++link) {
            numbers[link->second].device = port.device;
            numbers[link->second].port = port;
        }
        if (linked)
            continue;
        if (const int n = onboardNumber(port.name); n != 0 && !numbers.contains(n))
            numbers[n] = PortAssignment{n, port.device, {}, port};
        else
            unnumbered.push_back(std::move(port));
    }

    // Adapters with a stable name first, then the others, each group in name order.
    std::stable_partition(unnumbered.begin(), unnumbered.end(),
                          [](const SerialPortInfo& port) { return !port.byId.empty(); });
    int next = FirstAdapterPort;
    for (SerialPortInfo& port : unnumbered) {
        while (next <= PortMax && numbers.contains(next))
            ++next;
        if (next > PortMax)
            break;
        std::string link;
        if (!port.byId.empty()) {
            writePortLink(next, port.byId);
            link = port.byId;
        }
        numbers[next] = PortAssignment{next, port.device, link, std::move(port)};
    }

    std::vector<PortAssignment> result;
    for (auto& [n, assignment] : numbers)
        result.push_back(std::move(assignment));
    return result;
}

std::optional<PortAssignment> portAssignment(int n) {
    if (n < 1 || n > PortMax)
        return std::nullopt;
    for (PortAssignment& assignment : portAssignments())
        if (assignment.number == n)
            return std::move(assignment);
    return std::nullopt;
}

std::string deviceForPort(int n) {
    const std::optional<PortAssignment> assignment = portAssignment(n);
    return assignment ? assignment->device : std::string();
}

} // namespace ovena
