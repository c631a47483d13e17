#include "support/FakeMachine.h"

#include "platform/SerialPorts.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <stdexcept>

namespace ovena::test {

namespace fs = std::filesystem;

namespace {

constexpr const char* UsbBus = "devices/pci0000:00/0000:00:14.0/usb1";

// A link made the way sysfs and udev make theirs: relative to the link's folder.
void relativeLink(const fs::path& target, const fs::path& link) {
    fs::create_directories(link.parent_path());
    fs::remove(link);
    fs::create_symlink(target.lexically_relative(link.parent_path()), link);
}

void attribute(const fs::path& file, const std::string& value) {
    fs::create_directories(file.parent_path());
    writeFile(file.string(), value + "\n");
}

// The class device of a tty: the folder tty/NAME below the port's device, linked from
// class/tty/NAME and pointing back at the device.
void classDevice(const fs::path& sys, const fs::path& device, const std::string& name) {
    const fs::path folder = device / "tty" / name;
    fs::create_directories(folder);
    relativeLink(device, folder / "device");
    attribute(folder / "dev", "188:0");
    relativeLink(folder, sys / "class/tty" / name);
}

} // namespace

FakeMachine::UsbAdapter FakeMachine::ftdi() {
    return {"ftdi_sio",
            "0403",
            "6001",
            "FTDI",
            "FT232R USB UART",
            "A50285BI",
            "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"};
}

FakeMachine::UsbAdapter FakeMachine::ch340() {
    return {"ch341-uart",
            "1a86",
            "7523",
            "QinHeng Electronics",
            "USB Serial",
            "",
            "usb-1a86_USB_Serial-if00-port0"};
}

FakeMachine::UsbAdapter FakeMachine::cdcAcm() {
    return {"cdc_acm",
            "2341",
            "0043",
            "Arduino (www.arduino.cc)",
            "Uno",
            "85736323838351F0E1A1",
            "usb-Arduino__www.arduino.cc__0043_85736323838351F0E1A1-if00"};
}

FakeMachine::FakeMachine() : sys_(sysfsRoot()), dev_(deviceRoot()) {
    if (sys_.rfind(sandboxFolder(), 0) != 0 || dev_.rfind(sandboxFolder(), 0) != 0)
        throw std::runtime_error("the fake machine belongs in the sandbox");
    fs::create_directories(fs::path(sys_) / "class/tty");
    fs::create_directories(dev_);
    fs::create_directories(lockFolder());
}

std::string FakeMachine::plug(const UsbAdapter& adapter, const std::string& socket,
                              const std::string& name, const std::string& node) {
    const fs::path sys = sys_;
    const fs::path usbDevice = sys / UsbBus / socket;
    attribute(usbDevice / "idVendor", adapter.vendorId);
    attribute(usbDevice / "idProduct", adapter.productId);
    attribute(usbDevice / "manufacturer", adapter.manufacturer);
    attribute(usbDevice / "product", adapter.product);
    if (!adapter.serial.empty())
        attribute(usbDevice / "serial", adapter.serial);
    const fs::path interface = usbDevice / (socket + ":1.0");
    attribute(interface / "bInterfaceNumber", "00");

    // A CDC device's tty hangs off the interface, whose driver is cdc_acm; a usb-serial port
    // is a device of its own below the interface, bound to the converter's driver.
    const bool acm = adapter.driver == "cdc_acm";
    const fs::path device = acm ? interface : interface / name;
    const fs::path driver =
        sys / (acm ? "bus/usb/drivers/" : "bus/usb-serial/drivers/") / adapter.driver;
    fs::create_directories(driver);
    relativeLink(driver, device / "driver");
    classDevice(sys, device, name);

    const fs::path nodePath = fs::path(dev_) / name;
    fs::remove(nodePath);
    fs::create_symlink(node, nodePath);
    Plugged plugged{name, {}};
    if (!adapter.byId.empty()) {
        plugged.byId = byIdLink(adapter);
        relativeLink(nodePath, plugged.byId);
    }
    sockets_[socket] = plugged;
    return nodePath.string();
}

void FakeMachine::unplug(const std::string& socket) {
    const auto found = sockets_.find(socket);
    if (found == sockets_.end())
        throw std::runtime_error("nothing plugged into " + socket);
    const fs::path sys = sys_;
    fs::remove(sys / "class/tty" / found->second.name);
    fs::remove_all(sys / UsbBus / socket);
    fs::remove(fs::path(dev_) / found->second.name);
    if (!found->second.byId.empty())
        fs::remove(found->second.byId);
    sockets_.erase(found);
}

std::string FakeMachine::addOnboard(const std::string& name, int uartType,
                                    const std::string& node) {
    // As Linux 6.5 and later lay them out: the serial core's controller and port devices on the
    // bus serial-base between the 8250 platform device and the tty.
    const fs::path sys = sys_;
    const fs::path platform = sys / "devices/platform/serial8250";
    const std::string line = name.substr(4);
    const fs::path controller = platform / ("serial8250:" + line);
    const fs::path device = controller / ("serial8250:" + line + ".0");
    const fs::path serialBase = sys / "bus/serial-base";
    const std::pair<fs::path, fs::path> drivers[] = {
        {platform, sys / "bus/platform/drivers/serial8250"},
        {controller, serialBase / "drivers/ctrl"},
        {device, serialBase / "drivers/port"}};
    for (const auto& [folder, driver] : drivers) {
        fs::create_directories(driver);
        relativeLink(driver, folder / "driver");
        relativeLink(driver.parent_path().parent_path(), folder / "subsystem");
    }
    classDevice(sys, device, name);
    attribute(device / "tty" / name / "type", std::to_string(uartType));
    const fs::path nodePath = fs::path(dev_) / name;
    fs::remove(nodePath);
    fs::create_symlink(node, nodePath);
    return nodePath.string();
}

void FakeMachine::addVirtual(const std::string& name) {
    const fs::path folder = fs::path(sys_) / "devices/virtual/tty" / name;
    attribute(folder / "dev", "4:1");
    relativeLink(folder, fs::path(sys_) / "class/tty" / name);
}

std::string FakeMachine::node(const std::string& name) const {
    return dev_ + "/" + name;
}

std::string FakeMachine::byIdLink(const UsbAdapter& adapter) const {
    return dev_ + "/serial/by-id/" + adapter.byId;
}

std::string FakeMachine::lockFolder() const {
    return lockFolders().front();
}

} // namespace ovena::test
