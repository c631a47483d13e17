// ovena-cli ports, and the instrument commands on USB adapters: stable numbers, ports held by
// other programs or closed to the user, and the trace of the exchange.

#include "InstrumentCli.h"
#include "support/FakeMachine.h"
#include "support/PtyPeer.h"
#include "support/SimulatedInstrument.h"
#include "support/SleepingProcess.h"
#include "support/TestEnvironment.h"
#include "support/Unprivileged.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <filesystem>

namespace ovena::test {
namespace {

namespace fs = std::filesystem;
using testing::AllOf;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

constexpr const char* Memory = "serial=64012345\nfirmware=V3.02\nrecord\n1;4711\nend\n";

std::string lockContent(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

// Two instruments behind an FTDI and a CH340 adapter.
class UsbPorts : public testing::Test {
protected:
    UsbPorts() {
        plugInOrder(false);
        onboard = machine.addOnboard("ttyS0", 4, onboardLine.device());
    }
    // The FTDI adapter gets ttyUSB0 and the CH340 ttyUSB1, or the other way round.
    void plugInOrder(bool swapped) {
        ftdiNode = machine.plug(FakeMachine::ftdi(), "1-2", swapped ? "ttyUSB1" : "ttyUSB0",
                                ftdiSim.process().device());
        ch340Node = machine.plug(FakeMachine::ch340(), "1-4", swapped ? "ttyUSB0" : "ttyUSB1",
                                 ch340Sim.process().device());
    }
    std::string ftdiLock() const {
        return machine.lockFolder() + "/LCK.." + fs::path(ftdiNode).filename().string();
    }

    FakeMachine machine;
    PtyPeer onboardLine{0};
    SimulatedInstrument ftdiSim{0, Memory};
    SimulatedInstrument ch340Sim{0, Memory};
    std::string ftdiNode, ch340Node, onboard;
};

TEST_F(UsbPorts, ListsEveryPortWithItsStateStableNameDriverAndDescription) {
    const CliResult run = runCli({"ports"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(lines(run.out),
                ElementsAre("COM1\t" + onboard + "\tpresent\t\tserial8250\t",
                            "COM5\t" + ftdiNode +
                                "\tpresent\tusb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\t"
                                "ftdi_sio\tFTDI FT232R USB UART",
                            "COM6\t" + ch340Node +
                                "\tpresent\tusb-1a86_USB_Serial-if00-port0\tch341-uart\t"
                                "QinHeng Electronics USB Serial"));
}

TEST_F(UsbPorts, AdaptersKeepTheirNumbersWhenPluggedBackInTheOtherOrder) {
    ASSERT_EQ(runCli({"ports"}).status, 0);
    machine.unplug("1-2");
    machine.unplug("1-4");
    const CliResult unplugged = runCli({"ports"});
    EXPECT_THAT(lines(unplugged.out),
                Contains("COM5\t" + machine.byIdLink(FakeMachine::ftdi()) +
                         "\tnot connected\tusb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\t\t"));
    const CliResult missing = runCli({"info", "--port", "5"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.err, HasSubstr("Fehler: Error : Init RS232 on COM5: not connected\n"));

    plugInOrder(true);
    const CliResult run = runCli(
        {"readout", "--port", "5", "--format", "csv", "--output", sandboxFolder() + "/out.csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(ftdiSim.commands(), Contains("R302000"));
    EXPECT_THAT(ch340Sim.commands(), IsEmpty());
    EXPECT_FALSE(fs::exists(ftdiLock())) << "the lock goes with the port";
}

TEST_F(UsbPorts, APortLockedByAnotherProgramIsInUseAndTheReadoutNamesIt) {
    SleepingProcess minicom;
    writeFile(ftdiLock(), lockContent(minicom.pid()));
    const std::string holder = "in use by sleep (PID " + std::to_string(minicom.pid()) + ")";

    EXPECT_THAT(lines(runCli({"ports"}).out),
                Contains(HasSubstr("COM5\t" + ftdiNode + "\tin use\t")));
    const CliResult run = runCli(
        {"readout", "--port", "5", "--format", "csv", "--output", sandboxFolder() + "/out.csv"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("Fehler: Error : Init RS232 on COM5: " + holder + "\n"));
    EXPECT_THAT(ftdiSim.commands(), IsEmpty()) << "nothing reached the line";
    EXPECT_EQ(readFile(ftdiLock()), lockContent(minicom.pid())) << "the lock is left alone";
}

TEST_F(UsbPorts, APortClosedToTheUserNamesTheGroupToJoin) {
    if (const std::string reason = unprivilegedUnavailable(); !reason.empty())
        GTEST_SKIP() << reason;
    const std::string group = denyAccess(ftdiNode);
    fs::permissions(ch340Node, fs::perms::owner_read | fs::perms::owner_write |
                                   fs::perms::group_read | fs::perms::group_write |
                                   fs::perms::others_read | fs::perms::others_write);
    const CliResult ports = runCli({"ports"}, unprivilegedCommand());
    ASSERT_EQ(ports.status, 0) << ports.err;
    EXPECT_THAT(lines(ports.out), Contains(HasSubstr("COM5\t" + ftdiNode + "\tno permission\t")));
    EXPECT_THAT(lines(ports.out), Contains(HasSubstr("COM6\t" + ch340Node + "\tpresent\t")));

    const CliResult info = runCli({"info", "--port", "5"}, unprivilegedCommand());
    EXPECT_EQ(info.status, 1);
    EXPECT_THAT(info.err,
                HasSubstr("Fehler: Error : Init RS232 on COM5: permission denied on " + ftdiNode +
                          ": join the group " + group + " and log in again\n"));
    EXPECT_THAT(ftdiSim.commands(), IsEmpty());
}

TEST(Trace, ShowsEveryCommandAndReplyAndWhereTheInstrumentFellSilent) {
    SimulatedInstrument sim(8, Memory, {"--silent-at", "R301"});
    const CliResult run = runCli({"info", "--port", "8", "--trace"});
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> trace;
    for (const std::string& line : lines(run.err))
        if (line.size() > 9 && line[4] == '.' && line[8] == ' ')
            trace.push_back(line.substr(9));
    EXPECT_THAT(trace,
                ElementsAre("< \\r", "> ", "< SERVICE001\\r", "> OK", "< R002\\r", "> V3.02",
                            "< R004\\r", "> 64012345", "< R301\\r", "! no reply within 20 ticks"));
    EXPECT_THAT(runCli({"info", "--port", "8"}).err, Not(HasSubstr("R301")))
        << "no trace unless asked for";
}

} // namespace
} // namespace ovena::test
