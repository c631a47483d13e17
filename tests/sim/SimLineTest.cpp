// The line as the client meets it: pacing at a baud rate, and the COM port link.

#include "DeviceClient.h"
#include "support/SimProcess.h"
#include "support/TestEnvironment.h"
#include "support/Timing.h"

#include "platform/ConfigPaths.h"

#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace ovena::test {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

TEST(SimLineTiming, BaudRatePacesEveryByteAtTenBitTimes) {
    // One reply of 480 bytes plus its carriage return.
    const std::string longLine = "2;" + std::string(478, '7');
    const std::string memory = sandboxFolder() + "/memory.txt";
    writeFile(memory, "record\n" + longLine + "\nend\n");
    SimProcess sim({"--memory", memory, "--baud", "9600"});
    ASSERT_TRUE(sim.started());
    DeviceClient client(sim.device());
    const auto sent = DeviceClient::Clock::now();
    client.send("R302000");
    const auto bytes = client.timedBytes(481, 3s);
    ASSERT_EQ(bytes.size(), 481u);
    EXPECT_EQ(bytes.back().byte, '\r');

    // Byte i leaves i byte times of 10/9600 s after the reply began, never earlier: the last
    // one 500 ms after the first, the middle one half-way.
    for (size_t i : {1u, 100u, 240u, 479u, 480u})
        EXPECT_GE(bytes[i].at - sent, std::chrono::nanoseconds(i * 10'000'000'000LL / 9600))
            << "byte " << i;
    // Generous upper bounds: the machine may be busy, but not twice as slow as the line.
    EXPECT_LE(bytes[240].at - sent, upTo(450ms));
    EXPECT_LE(bytes[480].at - sent, upTo(900ms));
}

// Processor time of the simulator so far, from /proc.
std::chrono::milliseconds processorTime(pid_t pid) {
    std::istringstream stat(readFile("/proc/" + std::to_string(pid) + "/stat"));
    std::string field;
    long ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i)
        if (i == 14 || i == 15) // utime, stime
            ticks += std::stol(field);
    return std::chrono::milliseconds(ticks * 1000 / sysconf(_SC_CLK_TCK));
}

TEST(SimLineTiming, WaitingCostsNoProcessorTimeBetweenSessionsAndAfterAHangUp) {
    SimProcess sim({"--records", "1", "--hangup-after", "3"});
    ASSERT_TRUE(sim.started());
    {
        DeviceClient client(sim.device());
        client.exchange("R002");
    }
    std::this_thread::sleep_for(1s);
    EXPECT_LT(processorTime(sim.pid()), upTo(100ms)) << "with no client on the device";
    {
        DeviceClient client(sim.device());
        client.exchange("R002");
        client.exchange("R004");
        EXPECT_TRUE(client.hangsUp(3s));
    }
    std::this_thread::sleep_for(1s);
    EXPECT_LT(processorTime(sim.pid()), upTo(150ms)) << "after the hang-up";
}

TEST(SimLine, PortLinkIsRemovedOnSigintAndAStaleOneIsReplaced) {
    fs::create_directories(portsFolder());
    const std::string link = portsFolder() + "/COM12";
    fs::create_symlink("/dev/pts/no-such-device", link);
    SimProcess sim({"--port", "12", "--records", "1"});
    ASSERT_TRUE(sim.started());
    EXPECT_EQ(fs::read_symlink(link).string(), sim.device());
    DeviceClient client(link);
    EXPECT_EQ(client.exchange("R302000").substr(0, 2), "1;");
    EXPECT_EQ(sim.stop(SIGINT), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(SimLine, PortInUseByALiveDeviceIsRefused) {
    SimProcess first({"--port", "3", "--records", "1"});
    ASSERT_TRUE(first.started());
    const std::string link = portsFolder() + "/COM3";

    SimProcess second({"--port", "3", "--records", "1"});
    EXPECT_EQ(second.exitStatus(), 1);
    EXPECT_THAT(second.errorOutput(),
                HasSubstr("COM3 is in use: " + link + " points at " + first.device()));
    EXPECT_EQ(fs::read_symlink(link).string(), first.device());
    DeviceClient client(link);
    EXPECT_EQ(client.exchange("R301").substr(0, 5), "1000;");
}

TEST(SimLine, PortNameHeldByAFileIsLeftAlone) {
    fs::create_directories(portsFolder());
    const std::string path = portsFolder() + "/COM9";
    writeFile(path, "not a link");
    SimProcess sim({"--port", "9"});
    EXPECT_EQ(sim.exitStatus(), 1);
    EXPECT_THAT(sim.errorOutput(), HasSubstr("exists and is not a link"));
    EXPECT_EQ(readFile(path), "not a link");
}

TEST(SimLine, PortOutsideOneToNinetyNineIsAnOptionError) {
    for (const char* port : {"0", "100"}) {
        SimProcess sim({"--port", port});
        EXPECT_NE(sim.exitStatus(), 0) << port;
        EXPECT_THAT(sim.errorOutput(), HasSubstr("--port")) << port;
    }
}

TEST(SimLine, HelpDescribesTheOptions) {
    SimProcess sim({"--help"});
    const std::string help = sim.remainingOutput();
    EXPECT_EQ(sim.exitStatus(), 0);
    for (const char* option : {"--port", "--memory", "--records", "--dump-memory", "--baud",
                               "--latency", "--log", "--silent-at", "--silent-from", "--no-cr-at",
                               "--garble", "--crlf", "--drip", "--hangup-after", "--fuel-count"})
        EXPECT_THAT(help, HasSubstr(option));
}

} // namespace
} // namespace ovena::test
