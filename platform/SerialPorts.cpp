#include "SerialPorts.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace ovena {

namespace fs = std::filesystem;

namespace {

// A root folder from the environment, absolute and without a trailing separator.
std::string rootFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    fs::path root = value && *value ? fs::path(value) : fs::path(fallback);
    std::error_code ignored;
    root = fs::absolute(root, ignored).lexically_normal();
    std::string text = root.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

bool isInside(const fs::path& path, const fs::path& root) {
    const fs::path relative = path.lexically_relative(root);
    return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

// The first line of a sysfs attribute without its line end; empty when there is none.
std::string attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    return line;
}

bool isLink(const fs::path& path) {
    std::error_code ignored;
    return fs::is_symlink(path, ignored);
}

// The name a link points at: the driver's name for a device's "driver" link.
std::string linkedName(const fs::path& link) {
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    return error ? std::string() : target.filename().string();
}

// The driver of a port's device. Since Linux 6.5 the serial core's own controller and port
// devices (bus serial-base) stand between an 8250 tty and the hardware: its driver is above them.
std::string driverName(const fs::path& deviceLink) {
    std::error_code error;
    fs::path device = fs::canonical(deviceLink, error);
    while (!error && device.has_relative_path() &&
           linkedName(device / "subsystem") == "serial-base")
        device = device.parent_path();
    return error ? linkedName(deviceLink / "driver") : linkedName(device / "driver");
}

// The identity of the USB device a port belongs to: the attributes of the nearest folder above
// the port's device that holds idVendor (the interface folder sits inside the device folder).
void readUsbIdentity(const fs::path& deviceLink, const fs::path& sysfs, SerialPortInfo& port) {
    std::error_code error;
    const fs::path root = fs::canonical(sysfs, error);
    fs::path folder = error ? fs::path() : fs::canonical(deviceLink, error);
    for (; !error && isInside(folder, root); folder = folder.parent_path()) {
        if (!fs::exists(folder / "idVendor", error))
            continue;
        port.vendorId = attribute(folder / "idVendor");
        port.productId = attribute(folder / "idProduct");
        port.manufacturer = attribute(folder / "manufacturer");
        port.product = attribute(folder / "product");
        port.serial = attribute(folder / "serial");
        return;
    }
}

// The links of <device root>/serial/by-id by the node each one names, the first by name
// winning.
std::map<std::string, std::string> byIdLinks() {
    std::map<std::string, std::string> links;
    std::vector<fs::path> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(deviceRoot() + "/serial/by-id", error))
        names.push_back(entry.path());
    std::sort(names.begin(), names.end());
    for (const fs::path& name : names)
        links.emplace(nodeInDeviceRoot(name.string()), name.string());
    return links;
}

// The name without its trailing number, and the number (-1 without one).
std::pair<std::string, long> splitName(const std::string& name) {
    std::size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
        --digits;
    // Port numbers are small; more digits than that compare as text only.
    const std::string number = name.substr(digits);
    const long value = number.empty() || number.size() > 9 ? -1 : std::stol(number);
    return {name.substr(0, digits), value};
}

int familyRank(const std::string& stem) {
    static const char* const families[] = {"ttyS", "ttyUSB", "ttyACM"};
    for (int i = 0; i < 3; ++i)
        if (stem == families[i])
            return i;
    return 3;
}

} // namespace

std::string SerialPortInfo::description() const {
    if (manufacturer.empty() || product.empty())
        return manufacturer + product;
    return manufacturer + " " + product;
}

std::string sysfsRoot() {
    return rootFolder("OVENA_SYSFS_ROOT", "/sys");
}

std::string deviceRoot() {
    return rootFolder("OVENA_DEV_ROOT", "/dev");
}

std::vector<std::string> lockFolders() {
    const fs::path machine = fs::path(deviceRoot()).parent_path();
    return {(machine / "run/lock").string(), (machine / "var/lock").string()};
}

std::vector<SerialPortInfo> discoverSerialPorts() {
    const fs::path sysfs = sysfsRoot();
    const std::string devices = deviceRoot();
    std::vector<SerialPortInfo> ports;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(sysfs / "class/tty", error)) {
        const fs::path folder = entry.path();
        // Virtual consoles, pseudo-terminals and the console have no device behind them.
        if (!isLink(folder / "device"))
            continue;
        if (attribute(folder / "type") == "0")
            continue;
        SerialPortInfo port;
        port.name = folder.filename().string();
        // sysfs writes the "/" of a node in a subfolder as "!".
        std::string node = port.name;
        std::replace(node.begin(), node.end(), '!', '/');
        port.device = devices + "/" + node;
        port.driver = driverName(folder / "device");
        readUsbIdentity(folder / "device", sysfs, port);
        ports.push_back(std::move(port));
    }
    const std::map<std::string, std::string> byId = byIdLinks();
    for (SerialPortInfo& port : ports)
        if (auto link = byId.find(nodeInDeviceRoot(port.device)); link != byId.end())
            port.byId = link->second;
    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return portNameBefore(a.name, b.name);
    });
    return ports;
}

bool portNameBefore(const std::string& a, const std::string& b) {
    const auto [stemA, numberA] = splitName(a);
    const auto [stemB, numberB] = splitName(b);
    const int rankA = familyRank(stemA);
    const int rankB = familyRank(stemB);
    if (rankA != rankB)
        return rankA < rankB;
    if (stemA != stemB)
        return stemA < stemB;
    if (numberA != numberB)
        return numberA < numberB;
    return a < b;
}

std::string nodeInDeviceRoot(const std::string& path) {
    const fs::path root = deviceRoot();
    std::error_code error;
    fs::path node = fs::absolute(path, error).lexically_normal();
    // A bound on the hops keeps a loop of links from running forever.
    for (int hop = 0; hop < 40 && isInside(node, root) && isLink(node); ++hop) {
        const fs::path target = fs::read_symlink(node, error);
        if (error)
            break;
        const fs::path next =
            (target.is_absolute() ? target : node.parent_path() / target).lexically_normal();
        if (!isInside(next, root))
            break;
        node = next;
    }
    return node.string();
}

} // namespace ovena
