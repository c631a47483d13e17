#pragma once

#include <string>
#include <vector>

namespace ovena {

// A serial port of the machine as the kernel and udev describe it.
struct SerialPortInfo {
    std::string name;   // the kernel's name: "ttyUSB0", "ttyACM1", "ttyS0"
    std::string device; // its node under the device root
    std::string driver; // "ftdi_sio", "ch341-uart", "cdc_acm", "serial8250"; empty when unknown
    // USB ports only, from the USB device the port belongs to; empty otherwise.
    std::string vendorId;
    std::string productId;
    std::string manufacturer;
    std::string product;
    std::string serial;
    // The link in <device root>/serial/by-id that names the port, empty when there is none.
    std::string byId;

    // "Manufacturer Product" of a USB port; empty for other ports.
    std::string description() const;
};

// Where the machine's kernel objects and device nodes are: OVENA_SYSFS_ROOT (default /sys) and
// OVENA_DEV_ROOT (default /dev). Moving them presents a machine built in other folders; nothing
// else reads these variables.
std::string sysfsRoot();
std::string deviceRoot();
// The folders of UUCP lock files, in the order they are tried: run/lock and var/lock beside the
// device root (/run/lock and /var/lock of a real machine).
std::vector<std::string> lockFolders();

// The serial ports of the machine, from the tty class of sysfs, without opening any device (an
// open raises DTR and RTS): entries with a device link, except serial-core ports whose UART type
// is 0 (no UART behind them). Ordered as they are numbered: ttyS, then ttyUSB, ttyACM and the
// other drivers' names, each by number.
std::vector<SerialPortInfo> discoverSerialPorts();

// Whether port name a comes before b in that order.
bool portNameBefore(const std::string& a, const std::string& b);

// What a path of the device root stands for: its links followed as long as they stay inside the
// device root, so /dev/serial/by-id/NAME and /dev/ttyUSB0 both give /dev/ttyUSB0. A path outside
// the device root is only made absolute and tidied.
std::string nodeInDeviceRoot(const std::string& path);

} // namespace ovena
