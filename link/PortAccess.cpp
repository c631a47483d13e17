#include "link/PortAccess.h"

#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovena {

namespace {

PortStatus statusOf(const PortAssignment& assignment, const DeviceUsers& users) {
    PortStatus status;
    status.number = assignment.number;
    status.device = assignment.device;
    status.port = assignment.port;
    struct stat node {};
    if (assignment.device.empty() || ::stat(assignment.device.c_str(), &node) != 0 ||
        !S_ISCHR(node.st_mode)) {
        status.state = assignment.waitsForAdapter() ? PortState::NotConnected : PortState::Absent;
        return status;
    }
    // The rights an open would be checked against: the effective user's and groups'.
    if (faccessat(AT_FDCWD, assignment.device.c_str(), R_OK | W_OK, AT_EACCESS) != 0) {
        status.state = PortState::NoPermission;
        status.group = deviceGroup(assignment.device);
        return status;
    }
    status.holder = UucpLock::holder(lockName(assignment.device, assignment.port));
    if (!status.holder)
        status.holder = users.holderOf(assignment.device);
    status.state = status.holder ? PortState::InUse : PortState::Present;
    return status;
}

} // namespace

std::vector<PortStatus> portStatuses() {
    const std::vector<PortAssignment> assignments = portAssignments();
    std::vector<std::string> devices;
    for (const PortAssignment& assignment : assignments)
        devices.push_back(assignment.device);
    const DeviceUsers users(devices);
    std::vector<PortStatus> statuses;
    for (const PortAssignment& assignment : assignments)
        statuses.push_back(statusOf(assignment, users));
    return statuses;
}

PortStatus portStatus(int n) {
    const std::optional<PortAssignment> assignment = portAssignment(n);
    if (!assignment) {
        PortStatus unknown;
        unknown.number = n;
        return unknown;
    }
    return statusOf(*assignment, DeviceUsers({assignment->device}));
}

std::string deviceGroup(const std::string& device) {
    struct stat node {};
    if (::stat(device.c_str(), &node) != 0)
        return {};
    const group* entry = getgrgid(node.st_gid);
    return entry && entry->gr_name ? entry->gr_name : std::to_string(node.st_gid);
}

std::string lockName(const std::string& device, const std::optional<SerialPortInfo>& port) {
    if (port)
        return port->name;
    std::error_code ignored;
    return std::filesystem::weakly_canonical(device, ignored).filename().string();
}

std::string holderText(const PortHolder& holder) {
    if (holder.pid > 0)
        return "in use by " + (holder.program.empty() ? "process" : holder.program) + " (PID " +
               std::to_string(holder.pid) + ")";
    if (!holder.lockFile.empty())
        return "in use (lock file " + holder.lockFile + ")";
    return "in use by another program";
}

const char* stateName(PortState state) {
    switch (state) {
    case PortState::Present:
        return "present";
    case PortState::Absent:
        return "absent";
    case PortState::NotConnected:
        return "not connected";
    case PortState::NoPermission:
        return "no permission";
    case PortState::InUse:
        return "in use";
    }
    return "";
}

std::string reasonText(const PortStatus& status) {
    switch (status.state) {
    case PortState::Present:
        return {};
    case PortState::Absent:
        return "not connected (" + status.device + " is missing)";
    case PortState::NotConnected:
        return "not connected";
    case PortState::NoPermission:
        // Joining root is no advice to give; the administrator decides then.
        if (status.group.empty() || status.group == "root")
            return "permission denied on " + status.device +
                   ": ask the administrator for read and write access";
        return "permission denied on " + status.device + ": join the group " + status.group +
               " and log in again";
    case PortState::InUse:
        return holderText(status.holder.value_or(PortHolder{}));
    }
    return {};
}

} // namespace ovena
