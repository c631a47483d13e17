#pragma once

#include "link/PortLocks.h"
#include "platform/PortMap.h"

#include <optional>
#include <string>
#include <vector>

namespace ovena {

enum class PortState {
    Present,      // there, and free for this user
    Absent,       // the number names a device that is not there
    NotConnected, // nothing there: the adapter of the number is unplugged, or the number is unknown
    NoPermission, // this user may not read and write the device
    InUse,        // another program (or another port object of this one) holds it
};

// What a COM number offers this user now, found without opening the device.
struct PortStatus {
    int number = 0;
    std::string device; // empty when the number stands for nothing
    PortState state = PortState::NotConnected;
    std::string group;                // NoPermission: the group that owns the device
    std::optional<PortHolder> holder; // InUse: who holds it, where that can be known
    std::optional<SerialPortInfo> port;
};

// The state of every COM number that stands for something (portAssignments()), ascending.
std::vector<PortStatus> portStatuses();
// The state of COM n.
PortStatus portStatus(int n);

// The name of the UUCP lock of a port: the kernel's name of the machine's port, else the last
// part of the device's real path.
std::string lockName(const std::string& device, const std::optional<SerialPortInfo>& port);

// The name of the group that owns a device node; empty when it cannot be read.
std::string deviceGroup(const std::string& device);

// "present", "absent", "in use", "no permission", "not connected".
const char* stateName(PortState state);
// The text of a holder: "in use by minicom (PID 4242)".
std::string holderText(const PortHolder& holder);
// Why the port cannot be used, in words, with what to do where there is something to do:
// "permission denied on /dev/ttyUSB0: join the group dialout and log in again", "in use by
// minicom (PID 4242)", "not connected". Empty for a port that is present.
std::string reasonText(const PortStatus& status);

} // namespace ovena
