#pragma once

#include <map>
#include <string>

namespace ovena::test {

// The serial ports of a machine, built in the sandbox's sysfs and device folders
// (OVENA_SYSFS_ROOT, OVENA_DEV_ROOT) as the kernel and udev lay them out: class/tty/NAME linking
// into devices/..., the port's device and driver links, the USB attributes in the USB device's
// folder that holds the interface folder, the device node, and the stable name in
// serial/by-id. Device nodes are links to real character devices (pseudo-terminals), so ports
// of this machine can be opened and read.
class FakeMachine {
public:
    // A USB serial adapter: a usb-serial port (FTDI, CH340, PL2303, CP210x) or a CDC device.
    struct UsbAdapter {
        std::string driver;       // "ftdi_sio", "ch341-uart", "cdc_acm"
        std::string vendorId;     // "0403"
        std::string productId;    // "6001"
        std::string manufacturer; // "FTDI"
        std::string product;      // "FT232R USB UART"
        std::string serial;       // "A50285BI"; empty: the adapter has none
        std::string byId;         // its stable name in serial/by-id; empty: none
    };
    static UsbAdapter ftdi();
    static UsbAdapter ch340();
    static UsbAdapter cdcAcm();

    FakeMachine();

    // Plugs the adapter into USB socket `socket` ("1-2") as port `name` ("ttyUSB0",
    // "ttyACM0"), its node linking to `node`. Answers the node's path.
    std::string plug(const UsbAdapter& adapter, const std::string& socket, const std::string& name,
                     const std::string& node);
    // Takes the adapter of socket `socket` away: its sysfs folders, node and by-id link go.
    void unplug(const std::string& socket);
    // An onboard 8250 port ("ttyS0") whose UART type is `uartType` (0: no UART behind it).
    std::string addOnboard(const std::string& name, int uartType, const std::string& node);
    // A tty without a device behind it, such as a virtual console ("tty1").
    void addVirtual(const std::string& name);

    // The node of port `name` and the by-id link of an adapter.
    std::string node(const std::string& name) const;
    std::string byIdLink(const UsbAdapter& adapter) const;
    // The machine's UUCP lock folder.
    std::string lockFolder() const;

private:
    struct Plugged {
        std::string name;
        std::string byId;
    };

    std::string sys_;
    std::string dev_;
    std::map<std::string, Plugged> sockets_;
};

} // namespace ovena::test
