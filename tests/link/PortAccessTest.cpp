// Who may use a port: its state judged without opening it, the UUCP lock that serial programs
// on Linux share, programs that hold a port without any lock, and the reasons a failed open
// gives.

#include "link/PortAccess.h"
#include "link/Serobj.h"

#include "platform/ConfigPaths.h"
#include "support/FakeMachine.h"
#include "support/PtyPeer.h"
#include "support/SimulatedInstrument.h"
#include "support/SleepingProcess.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace ovena {
namespace {

using namespace test;
using testing::StartsWith;

namespace fs = std::filesystem;

std::string lockContent(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

std::string heldBy(pid_t pid) {
    return "in use by " + programName(pid) + " (PID " + std::to_string(pid) + ")";
}

// An FTDI adapter, COM5, whose line is a pseudo-terminal of the test.
class PortAccess : public testing::Test {
protected:
    FakeMachine machine;
    PtyPeer line{0};
    std::string node = machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB0", line.device());
    std::string lockFile = machine.lockFolder() + "/LCK..ttyUSB0";
};

TEST_F(PortAccess, OpeningTakesTheUucpLockAndEveryWayOutReleasesIt) {
    ASSERT_EQ(portStatus(5).state, PortState::Present);
    TSerial serial;
    serial.ComNr = 5;
    serial.Open();
    ASSERT_FALSE(serial.Failed) << serial.FailReason;
    EXPECT_EQ(readFile(lockFile), lockContent(getpid()));
    EXPECT_EQ(reasonText(portStatus(5)), heldBy(getpid()));

    TSerial second;
    second.ComNr = 5;
    EXPECT_FALSE(second.Exists());
    second.Open();
    EXPECT_TRUE(second.Failed);
    EXPECT_EQ(second.FailReason, heldBy(getpid()));
    EXPECT_EQ(readFile(lockFile), lockContent(getpid())) << "the refused open keeps the lock";

    serial.Close();
    EXPECT_FALSE(fs::exists(lockFile));
    EXPECT_TRUE(second.Exists());
    {
        TSerial scoped;
        scoped.ComNr = 5;
        scoped.Open();
        ASSERT_FALSE(scoped.Failed);
        ASSERT_TRUE(fs::exists(lockFile));
    }
    EXPECT_FALSE(fs::exists(lockFile)) << "released when the port object goes";
}

TEST_F(PortAccess, ALiveLockKeepsThePortAndAStaleOneIsTakenOver) {
    SleepingProcess minicom;
    writeFile(lockFile, lockContent(minicom.pid()));
    const PortStatus status = portStatus(5);
    EXPECT_EQ(status.state, PortState::InUse);
    EXPECT_STREQ(stateName(status.state), "in use");
    EXPECT_EQ(reasonText(status), "in use by sleep (PID " + std::to_string(minicom.pid()) + ")");
    TSerial serial;
    serial.ComNr = 5;
    EXPECT_FALSE(serial.Exists());
    serial.Open();
    EXPECT_TRUE(serial.Failed);
    EXPECT_EQ(serial.FailReason, reasonText(status));
    EXPECT_EQ(readFile(lockFile), lockContent(minicom.pid()));

    writeFile(lockFile, lockContent(endedProcessId()));
    EXPECT_TRUE(serial.Exists());
    serial.Open();
    ASSERT_FALSE(serial.Failed) << serial.FailReason;
    EXPECT_EQ(readFile(lockFile), lockContent(getpid()));
    serial.Close();

    // A lock naming no process may be another program's, being written: it is left alone.
    writeFile(lockFile, "");
    EXPECT_EQ(reasonText(portStatus(5)), "in use (lock file " + lockFile + ")");
    serial.Open();
    EXPECT_TRUE(serial.Failed);
    EXPECT_TRUE(fs::exists(lockFile));
}

// minicom and other programs write their name and user after the process id.
TEST_F(PortAccess, ALockWithTextAfterItsProcessIdNamesThatProcess) {
    const auto minicomLock = [](pid_t pid) {
        char text[64];
        std::snprintf(text, sizeof text, "%10d minicom alice\n", static_cast<int>(pid));
        return std::string(text);
    };
    SleepingProcess minicom;
    writeFile(lockFile, minicomLock(minicom.pid()));
    EXPECT_EQ(reasonText(portStatus(5)), heldBy(minicom.pid()));
    writeFile(lockFile, std::to_string(minicom.pid()) + "\tkermit\n");
    EXPECT_EQ(reasonText(portStatus(5)), heldBy(minicom.pid()));

    writeFile(lockFile, minicomLock(endedProcessId()));
    TSerial serial;
    serial.ComNr = 5;
    serial.Open();
    ASSERT_FALSE(serial.Failed) << serial.FailReason;
    EXPECT_EQ(readFile(lockFile), lockContent(getpid())) << "the stale lock is replaced";
    serial.Close();

    writeFile(lockFile, std::to_string(minicom.pid()) + "minicom\n");
    EXPECT_EQ(reasonText(portStatus(5)), "in use (lock file " + lockFile + ")")
        << "digits run into text name no process";
}

TEST_F(PortAccess, WithoutALockFolderThePortKeepsItsOtherLocks) {
    fs::remove_all(machine.lockFolder());
    TSerial serial;
    serial.ComNr = 5;
    serial.Open();
    ASSERT_FALSE(serial.Failed) << serial.FailReason;
    TSerial second;
    second.ComNr = 5;
    second.Open();
    EXPECT_TRUE(second.Failed);
    EXPECT_EQ(second.FailReason, heldBy(getpid())) << "the flock names its holder";
}

TEST_F(PortAccess, AProgramHoldingThePortWithoutAnyLockIsNamed) {
    SleepingProcess careless(node);
    EXPECT_EQ(reasonText(portStatus(5)),
              "in use by sleep (PID " + std::to_string(careless.pid()) + ")");
    TSerial serial;
    serial.ComNr = 5;
    serial.Open();
    EXPECT_TRUE(serial.Failed);
    EXPECT_EQ(serial.FailReason, reasonText(portStatus(5)));
}

TEST_F(PortAccess, TheProgramOnAPseudoTerminalsOtherSideIsNoUserOfIt) {
    // tev640-sim keeps its own end of the line open, as a serial port stays present.
    SimulatedInstrument sim(0, "serial=1\n");
    machine.plug(FakeMachine::ch340(), "1-4", "ttyUSB1", sim.process().device());
    EXPECT_EQ(portStatus(6).state, PortState::Present);
}

TEST_F(PortAccess, WhatIsMissingSaysSo) {
    ASSERT_EQ(portStatus(5).state, PortState::Present); // writes the link of the adapter
    machine.unplug("1-2");
    const PortStatus away = portStatus(5);
    EXPECT_EQ(away.state, PortState::NotConnected);
    EXPECT_EQ(reasonText(away), "not connected");
    TSerial serial;
    serial.ComNr = 5;
    serial.Open();
    EXPECT_TRUE(serial.Failed);
    EXPECT_EQ(serial.FailReason, "not connected");

    fs::create_symlink(sandboxFolder() + "/gone", portsFolder() + "/COM8");
    writeFile(sandboxFolder() + "/plain", "x");
    fs::create_symlink(sandboxFolder() + "/plain", portsFolder() + "/COM9");
    EXPECT_EQ(portStatus(8).state, PortState::Absent);
    EXPECT_EQ(reasonText(portStatus(8)), "not connected (" + sandboxFolder() + "/gone is missing)");
    EXPECT_EQ(portStatus(9).state, PortState::Absent) << "a plain file is no port";
    EXPECT_EQ(portStatus(42).state, PortState::NotConnected);
    EXPECT_EQ(portStatus(42).device, "");
}

} // namespace
} // namespace ovena
