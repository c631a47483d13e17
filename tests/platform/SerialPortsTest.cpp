// Finding the machine's serial ports in sysfs and giving them stable COM numbers.

#include "platform/SerialPorts.h"
#include "platform/ConfigPaths.h"
#include "platform/PortMap.h"
#include "support/FakeMachine.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace ovena {
namespace {

using test::FakeMachine;
using testing::ElementsAre;
using testing::Field;
using testing::IsEmpty;

namespace fs = std::filesystem;

std::vector<std::string> names(const std::vector<SerialPortInfo>& ports) {
    std::vector<std::string> result;
    for (const SerialPortInfo& port : ports)
        result.push_back(port.name);
    return result;
}

// "COMn name" for each number that has a port of the machine behind it, "COMn -" otherwise.
std::vector<std::string> numbering() {
    std::vector<std::string> result;
    for (const PortAssignment& a : portAssignments())
        result.push_back("COM" + std::to_string(a.number) + " " + (a.port ? a.port->name : "-"));
    return result;
}

std::string linkTarget(int n) {
    return fs::read_symlink(portsFolder() + "/COM" + std::to_string(n)).string();
}

TEST(Discovery, FindsEveryDriversPortsWithTheirIdentityAndNothingElse) {
    FakeMachine machine;
    machine.addVirtual("tty1");
    machine.addVirtual("console");
    machine.addOnboard("ttyS0", 4, "/dev/null");
    machine.addOnboard("ttyS1", 0, "/dev/null"); // no UART behind it
    machine.plug(FakeMachine::cdcAcm(), "1-3", "ttyACM0", "/dev/null");
    machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB10", "/dev/null");
    machine.plug(FakeMachine::ch340(), "1-4", "ttyUSB2", "/dev/null");
    FakeMachine::UsbAdapter exar = FakeMachine::ch340();
    exar.driver = "xr_serial";
    exar.byId.clear();
    machine.plug(exar, "1-5", "ttyXRUSB0", "/dev/null");

    const std::vector<SerialPortInfo> ports = discoverSerialPorts();
    EXPECT_THAT(names(ports), ElementsAre("ttyS0", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyXRUSB0"));

    const SerialPortInfo& onboard = ports[0];
    EXPECT_EQ(onboard.device, deviceRoot() + "/ttyS0");
    EXPECT_EQ(onboard.driver, "serial8250");
    EXPECT_EQ(onboard.vendorId, "");
    EXPECT_EQ(onboard.description(), "");
    EXPECT_EQ(onboard.byId, "");

    const SerialPortInfo& ftdi = ports[2];
    EXPECT_EQ(ftdi.device, deviceRoot() + "/ttyUSB10");
    EXPECT_EQ(ftdi.driver, "ftdi_sio");
    EXPECT_EQ(ftdi.vendorId, "0403");
    EXPECT_EQ(ftdi.productId, "6001");
    EXPECT_EQ(ftdi.serial, "A50285BI");
    EXPECT_EQ(ftdi.description(), "FTDI FT232R USB UART");
    EXPECT_EQ(ftdi.byId, machine.byIdLink(FakeMachine::ftdi()));

    // A CDC device's tty hangs off the USB interface itself.
    const SerialPortInfo& acm = ports[3];
    EXPECT_EQ(acm.driver, "cdc_acm");
    EXPECT_EQ(acm.vendorId, "2341");
    EXPECT_EQ(acm.description(), "Arduino (www.arduino.cc) Uno");
    EXPECT_EQ(acm.byId, machine.byIdLink(FakeMachine::cdcAcm()));

    EXPECT_EQ(ports[4].driver, "xr_serial");
    EXPECT_EQ(ports[4].byId, "");
}

TEST(Discovery, AnEmptyOrMissingMachineHasNoPorts) {
    EXPECT_THAT(discoverSerialPorts(), IsEmpty());
    setenv("OVENA_SYSFS_ROOT", (test::sandboxFolder() + "/no-such-sysfs").c_str(), 1);
    EXPECT_THAT(discoverSerialPorts(), IsEmpty());
}

TEST(Discovery, NodesAreFollowedOnlyInsideTheDeviceRoot) {
    FakeMachine machine;
    machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB0", "/dev/null");
    const std::string byId = machine.byIdLink(FakeMachine::ftdi());
    EXPECT_EQ(nodeInDeviceRoot(byId), deviceRoot() + "/ttyUSB0");
    EXPECT_EQ(nodeInDeviceRoot(deviceRoot() + "/ttyUSB0"), deviceRoot() + "/ttyUSB0")
        << "its link leads outside the device root";
    EXPECT_EQ(nodeInDeviceRoot("/dev/../dev/null"), "/dev/null");
}

TEST(PortNumbers, AdaptersKeepTheirNumbersInAnySocketAndAtEveryStart) {
    FakeMachine machine;
    machine.addOnboard("ttyS0", 4, "/dev/null");
    machine.addOnboard("ttyS2", 4, "/dev/null");
    machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB0", "/dev/null");
    machine.plug(FakeMachine::ch340(), "1-4", "ttyUSB1", "/dev/null");

    EXPECT_THAT(numbering(),
                ElementsAre("COM1 ttyS0", "COM3 ttyS2", "COM5 ttyUSB0", "COM6 ttyUSB1"));
    EXPECT_EQ(linkTarget(5), machine.byIdLink(FakeMachine::ftdi()));
    EXPECT_EQ(linkTarget(6), machine.byIdLink(FakeMachine::ch340()));
    EXPECT_FALSE(fs::exists(portsFolder() + "/COM1")) << "onboard ports need no link";

    // Plugged back in the other order: the kernel swaps their names, the numbers stay.
    machine.unplug("1-2");
    machine.unplug("1-4");
    machine.plug(FakeMachine::ch340(), "1-4", "ttyUSB0", "/dev/null");
    machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB1", "/dev/null");
    EXPECT_THAT(numbering(),
                ElementsAre("COM1 ttyS0", "COM3 ttyS2", "COM5 ttyUSB1", "COM6 ttyUSB0"));
    EXPECT_EQ(deviceForPort(5), deviceRoot() + "/ttyUSB1");
    EXPECT_EQ(portAssignment(5)->port->description(), "FTDI FT232R USB UART");

    // Unplugged, an adapter keeps its number, and a new one takes the next free number.
    machine.unplug("1-2");
    machine.plug(FakeMachine::cdcAcm(), "1-3", "ttyACM0", "/dev/null");
    EXPECT_THAT(numbering(),
                ElementsAre("COM1 ttyS0", "COM3 ttyS2", "COM5 -", "COM6 ttyUSB0", "COM7 ttyACM0"));
    const PortAssignment away = *portAssignment(5);
    EXPECT_TRUE(away.waitsForAdapter());
    EXPECT_EQ(away.device, machine.byIdLink(FakeMachine::ftdi()));
}

TEST(PortNumbers, LinksComeFirstAndPortsWithoutAStableNameFollowInNameOrder) {
    FakeMachine machine;
    fs::create_directories(portsFolder());
    // The user's own link, to a device outside the machine's ports, and one to a named node.
    fs::create_symlink("/dev/null", portsFolder() + "/COM5");
    fs::create_symlink(deviceRoot() + "/ttyUSB3", portsFolder() + "/COM9");
    // An onboard port's number taken by a link: the port follows the adapters.
    fs::create_symlink("/dev/zero", portsFolder() + "/COM1");

    FakeMachine::UsbAdapter plain = FakeMachine::ch340();
    plain.byId.clear();
    machine.plug(plain, "1-5", "ttyUSB3", "/dev/null");
    machine.plug(plain, "1-6", "ttyUSB2", "/dev/null");
    machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB7", "/dev/null");
    machine.addOnboard("ttyS0", 4, "/dev/null");

    EXPECT_THAT(numbering(), ElementsAre("COM1 -", "COM5 -", "COM6 ttyUSB7", "COM7 ttyS0",
                                         "COM8 ttyUSB2", "COM9 ttyUSB3"));
    EXPECT_EQ(linkTarget(6), machine.byIdLink(FakeMachine::ftdi()));
    EXPECT_FALSE(fs::exists(portsFolder() + "/COM8")) << "no stable name, no link";
    EXPECT_EQ(linkTarget(5), "/dev/null") << "never renumbered";
}

TEST(PortNumbers, NumbersOutsideOneTo99StandForNothing) {
    FakeMachine machine;
    machine.addOnboard("ttyS0", 4, "/dev/null");
    for (int n : {0, 100, -1})
        EXPECT_EQ(deviceForPort(n), "") << n;
    EXPECT_EQ(deviceForPort(1), deviceRoot() + "/ttyS0");
    EXPECT_EQ(deviceForPort(2), "") << "no ttyS1 on this machine";
}

TEST(PortNumbers, ARelativeLinkIsReadFromThePortsFolder) {
    fs::create_directories(portsFolder());
    fs::create_symlink("../ports-target/tty", portsFolder() + "/COM12");
    EXPECT_EQ(fs::path(deviceForPort(12)),
              fs::path(portsFolder() + "/../ports-target/tty").lexically_normal());
}

} // namespace
} // namespace ovena
