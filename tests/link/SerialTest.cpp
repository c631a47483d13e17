#include "link/Serobj.h"

#include "platform/ConfigPaths.h"
#include "platform/PortMap.h"
#include "support/PtyPeer.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using namespace ovena;
using ovena::test::openDescriptorCount;
using ovena::test::PtyPeer;

namespace fs = std::filesystem;

// A port opened and configured the way the command exchange does it.
void openActive(TSerial& serial, int comNr) {
    serial.ComNr = comNr;
    serial.Open();
    ASSERT_FALSE(serial.Failed);
    ASSERT_TRUE(serial.HasConfig());
    serial.Configure();
    ASSERT_FALSE(serial.Failed);
    ASSERT_TRUE(serial.Active);
    serial.SetDTR(true);
}

// Waits until the receive queue holds `count` bytes (the pseudo-terminal delivers at once, but
// through the kernel's work queue).
void awaitIncoming(TSerial& serial, int count) {
    for (int i = 0; i < 1000 && serial.InCount() < count; ++i)
        std::this_thread::sleep_for(5ms);
}

TEST(Serial, ConfiguredLineIs9600EightNoParityOneStopRawWithoutFlowControl) {
    PtyPeer peer(7);
    TSerial serial;
    openActive(serial, 7);

    termios line{};
    ASSERT_EQ(tcgetattr(serial.Handle, &line), 0);
    EXPECT_EQ(cfgetospeed(&line), B9600);
    EXPECT_EQ(cfgetispeed(&line), B9600);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(line.c_cflag & PARENB);
    EXPECT_FALSE(line.c_cflag & CSTOPB);
    EXPECT_FALSE(line.c_cflag & CRTSCTS);
    EXPECT_TRUE(line.c_cflag & CREAD);
    EXPECT_TRUE(line.c_cflag & CLOCAL);
    EXPECT_TRUE(line.c_cflag & HUPCL) << "DTR drops when the port closes";
    EXPECT_FALSE(line.c_iflag & (IXON | IXOFF | IXANY));
    EXPECT_FALSE(line.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | INPCK));
    EXPECT_FALSE(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(line.c_oflag & OPOST);
    EXPECT_EQ(line.c_cc[VMIN], 0);
    EXPECT_EQ(line.c_cc[VTIME], 0);

    EXPECT_EQ(serial.Dcb.BaudRate, 9600u);
    EXPECT_EQ(serial.Dcb.ByteSize, 8);
    EXPECT_EQ(serial.Dcb.Flags, DeviceControlBlock::Binary | DeviceControlBlock::DtrControlEnable);
    serial.SetDTR(false);
    EXPECT_EQ(serial.Dcb.Flags, DeviceControlBlock::Binary);
    serial.Configure();
    EXPECT_EQ(serial.Dcb.Flags, DeviceControlBlock::Binary) << "Configure leaves DTR low";
}

TEST(Serial, BytesPassUnchangedBothWaysAndNothingBlocks) {
    PtyPeer peer(7);
    TSerial serial;
    openActive(serial, 7);

    const std::string frame("R302\x00\xFF\n\r", 8);
    serial.Write(frame.data(), 4);
    for (char c : frame.substr(4))
        serial.WriteChar(c);
    EXPECT_EQ(peer.receive(), frame);
    EXPECT_EQ(serial.OutCount(), 0);

    EXPECT_FALSE(serial.CharReady());
    EXPECT_EQ(serial.ReadChar(), 0) << "nothing received";
    EXPECT_EQ(serial.InCount(), 0);

    peer.send(std::string("ab\r\n\x00\xE4", 6));
    awaitIncoming(serial, 6);
    EXPECT_EQ(serial.InCount(), 6);
    EXPECT_TRUE(serial.CharReady());
    EXPECT_EQ(serial.ReadChar(), 'a');
    char buffer[8] = {};
    EXPECT_EQ(serial.Read(buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 2), "b\r");
    EXPECT_EQ(serial.InCount(), 3);
    EXPECT_EQ(serial.Read(buffer, 8), 3);
    EXPECT_EQ(std::string(buffer, 3), std::string("\n\x00\xE4", 3));
    EXPECT_EQ(serial.Read(buffer, 8), 0);
    EXPECT_FALSE(serial.HungUp());
}

TEST(Serial, ReadsAnswerNothingWhileNotActive) {
    PtyPeer peer(7);
    TSerial serial;
    serial.ComNr = 7;
    serial.Open();
    ASSERT_FALSE(serial.Failed);
    EXPECT_FALSE(serial.Active) << "only Configure makes the port active";
    // Raw mode is not set yet, so send a byte the line discipline passes unchanged.
    peer.send("x");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(serial.InCount(), 0);
    EXPECT_FALSE(serial.CharReady());
    EXPECT_EQ(serial.ReadChar(), 0);
    serial.Close();
    EXPECT_EQ(serial.Handle, -1);
    EXPECT_EQ(serial.OutCount(), 0);
}

TEST(Serial, ExistsAnswersForFreeDevicesOnlyAndLeavesNoDescriptor) {
    PtyPeer peer(7);
    fs::create_directories(portsFolder());
    const std::string plainFile = ovena::test::sandboxFolder() + "/not-a-port";
    ovena::test::writeFile(plainFile, "x");
    fs::create_symlink(plainFile, portsFolder() + "/COM8");
    fs::create_symlink("/dev/ovena-no-such-device", portsFolder() + "/COM9");

    const int before = openDescriptorCount();
    TSerial probe;
    probe.ComNr = 7;
    EXPECT_TRUE(probe.Exists());
    EXPECT_EQ(openDescriptorCount(), before);
    EXPECT_FALSE(probe.Active);
    EXPECT_FALSE(probe.Failed);
    EXPECT_EQ(probe.Handle, -1);
    for (int missing : {8, 9, 0, 100, -1}) {
        probe.ComNr = missing;
        EXPECT_FALSE(probe.Exists()) << "COM" << missing;
        EXPECT_FALSE(probe.HasConfig()) << "COM" << missing;
    }
    EXPECT_EQ(openDescriptorCount(), before);

    // Held by another program that locked the device.
    const int holder = open(peer.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    probe.ComNr = 7;
    EXPECT_FALSE(probe.Exists());
    EXPECT_EQ(openDescriptorCount(), before + 1);
    close(holder);
    EXPECT_TRUE(probe.Exists());

    // Held by a port object of this program.
    TSerial user;
    openActive(user, 7);
    EXPECT_FALSE(probe.Exists());
    TSerial second;
    second.ComNr = 7;
    second.Open();
    EXPECT_TRUE(second.Failed) << "no sharing";
    EXPECT_EQ(second.Handle, -1);
    int exclusive = 0;
    ASSERT_EQ(ioctl(user.Handle, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1) << "the refused open leaves the holder's exclusive mode alone";
    user.Close();
    EXPECT_TRUE(probe.Exists());
    EXPECT_EQ(openDescriptorCount(), before);
}

TEST(Serial, OpenWhileActiveFailsAndKeepsTheConnection) {
    PtyPeer peer(7);
    TSerial serial;
    openActive(serial, 7);
    const int handle = serial.Handle;
    serial.Open();
    EXPECT_TRUE(serial.Failed);
    EXPECT_TRUE(serial.Active);
    EXPECT_EQ(serial.Handle, handle);
    serial.WriteChar('Z');
    EXPECT_EQ(peer.receive(), "Z");
}

TEST(Serial, ConfigureWithoutOpenFails) {
    TSerial serial;
    serial.Configure();
    EXPECT_TRUE(serial.Failed);
    EXPECT_FALSE(serial.Active);

    serial.ComNr = 33; // no link, no adapter of that number
    serial.Open();
    EXPECT_TRUE(serial.Failed);
    EXPECT_EQ(serial.FailReason, "not connected");
    EXPECT_EQ(serial.Handle, -1);
    serial.Configure();
    EXPECT_TRUE(serial.Failed);
    EXPECT_FALSE(serial.Active);
    serial.SetDTR(true);
    serial.WriteChar('x');
    EXPECT_EQ(serial.ReadChar(), 0);
    serial.Close();
}

TEST(Serial, RejectedSettingsLeaveNoDescriptorBehindAfterClose) {
    PtyPeer peer(7);
    const int before = openDescriptorCount();
    TSerial serial;
    serial.ComNr = 7;
    serial.Baud = 12345;
    serial.Open();
    ASSERT_FALSE(serial.Failed);
    serial.Configure();
    EXPECT_TRUE(serial.Failed);
    EXPECT_FALSE(serial.Active);
    serial.Close();
    EXPECT_EQ(openDescriptorCount(), before);

    // The failed connection holds nothing: the next one opens.
    serial.Baud = 9600;
    serial.Open();
    ASSERT_FALSE(serial.Failed);
    serial.Configure();
    EXPECT_TRUE(serial.Active);

    // Settings rejected while active keep the port active.
    serial.DataBits = 9;
    serial.Configure();
    EXPECT_TRUE(serial.Failed);
    EXPECT_TRUE(serial.Active);
    serial.Close();
    EXPECT_FALSE(serial.Active);
    EXPECT_EQ(openDescriptorCount(), before);
}

TEST(Serial, PortNumbersAreUsedWithoutLeadingZeros) {
    PtyPeer twelve(12);
    fs::create_symlink(twelve.device(), portsFolder() + "/COM012");
    TSerial serial;
    openActive(serial, 12);
    serial.WriteChar('!');
    EXPECT_EQ(twelve.receive(), "!");
    EXPECT_EQ(deviceForPort(12), twelve.device());
}

TEST(Serial, ADeviceThatDisappearsIsSilenceNeverACrash) {
    PtyPeer peer(7);
    TSerial serial;
    openActive(serial, 7);
    EXPECT_FALSE(serial.HungUp());
    peer.send("ab");
    peer.hangUp();
    for (int i = 0; i < 1000 && !serial.HungUp(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(serial.HungUp());
    char buffer[4];
    for (int i = 0; i < 3; ++i)
        serial.Read(buffer, 4); // whatever was left, then nothing
    EXPECT_EQ(serial.ReadChar(), 0);
    EXPECT_EQ(serial.InCount(), 0);
    EXPECT_EQ(serial.OutCount(), 0);
    serial.WriteChar('x');
    serial.SetDTR(true);
    serial.Configure();
    EXPECT_TRUE(serial.Failed);
    serial.Close();
    EXPECT_FALSE(serial.Active);
    EXPECT_EQ(serial.Handle, -1);
    EXPECT_FALSE(serial.HungUp()) << "a closed port starts afresh";
}

} // namespace
