#pragma once

#include "platform/SerialPorts.h"

#include <optional>
#include <string>
#include <vector>

namespace ovena {

// What one COM number stands for now.
struct PortAssignment {
    int number = 0;
    // What opening the port opens: the node of the machine's port behind the number, else the
    // target of its link.
    std::string device;
    // The target of the link COMn in portsFolder(), absolute; empty when no link names the number.
    std::string link;
    // The machine's port behind the number, when it is there.
    std::optional<SerialPortInfo> port;

    // The number belongs to an adapter known by its stable name, and the adapter is unplugged.
    bool waitsForAdapter() const;
};

// Every COM number from 1 to 99 that stands for something now, in ascending order. The links
// COMn in portsFolder() come first and are never renumbered. The onboard ports ttyS0 to ttyS3
// keep COM1 to COM4. A port with a name in <device root>/serial/by-id and no link yet takes the
// lowest free number from COM5 on, and the link COMn -> that name is written, so the adapter keeps
// its number in any socket and at every start. The other ports follow in name order on the
// numbers still free.
std::vector<PortAssignment> portAssignments();

// The assignment of COM n; none when the number stands for nothing.
std::optional<PortAssignment> portAssignment(int n);

// The device of COM port n; empty when the number has none.
std::string deviceForPort(int n);

} // namespace ovena
