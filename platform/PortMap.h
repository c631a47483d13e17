#pragma once

#include <string>

namespace ovena {

// The device of COM port n (1 to 99): the target of the link COMn in portsFolder() when that
// link exists; otherwise COM1 to COM4 are /dev/ttyS0 to /dev/ttyS3, and from COM5 on the USB
// serial adapters (/dev/ttyUSB*, then /dev/ttyACM*) follow in name order. Empty when the
// number has no device.
std::string deviceForPort(int n);

} // namespace ovena
