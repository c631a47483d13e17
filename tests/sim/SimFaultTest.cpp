// The faults the simulator injects, as a client over the pseudo-terminal sees them.

#include "DeviceClient.h"
#include "support/SimProcess.h"
#include "support/TestEnvironment.h"
#include "support/Timing.h"

#include "platform/ConfigPaths.h"

#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>

namespace ovena::test {
namespace {

using testing::HasSubstr;

// The client waits this long for a reply the simulator says it withheld: far below the
// client's 2 s budget, far above the time a reply takes.
constexpr auto silence = 300ms;

std::string memoryWithRecords(int count) {
    std::string text = "serial=64000001\nfirmware=V3.02\nfuel=Erdgas H\n";
    for (int i = 0; i < count; ++i)
        text +=
            "record\n1;" + std::to_string(100 + i) + "\n2;line " + std::to_string(i) + "\nend\n";
    const std::string path = sandboxFolder() + "/memory.txt";
    writeFile(path, text);
    return path;
}

// Whether the simulator (started with --verbose) says it replied to the command, the next one
// in its output.
bool simReplied(SimProcess& sim, const std::string& command) {
    std::string line;
    do
        line = sim.nextLine();
    while (!line.empty() && line != "> " + command);
    EXPECT_EQ(line, "> " + command);
    return sim.nextLine().starts_with("< ");
}

// Whether the command is answered, as the simulator says, so that a reply delayed by a busy
// machine cannot pass for silence; the client must then see the reply complete, or no carriage
// return while it waits.
bool answered(SimProcess& sim, DeviceClient& client, const std::string& command) {
    client.send(command);
    const bool replies = simReplied(sim, command);
    const bool complete = client.reply(replies ? 2s : silence).complete;
    EXPECT_EQ(complete, replies) << command << ": the client sees what the simulator did";
    return complete;
}

// The reply to a command the simulator must answer.
std::string exchange(SimProcess& sim, DeviceClient& client, const std::string& command) {
    const std::string reply = client.exchange(command);
    EXPECT_TRUE(simReplied(sim, command)) << command;
    return reply;
}

TEST(SimFaults, SilentAtEachCommandOfTheProceduresLeavesOnlyThatOneUnanswered) {
    const std::vector<std::string> sequence{"",     "SERVICE001", "R002", "R004", "R402",
                                            "R301", "W307",       "W904", "W304"};
    for (const std::string& silent : sequence) {
        SCOPED_TRACE("silent at \"" + silent + "\"");
        SimProcess sim({"--records", "2", "--silent-at", silent, "--verbose"});
        ASSERT_TRUE(sim.started());
        DeviceClient client(sim.device());
        for (const std::string& command : sequence)
            EXPECT_EQ(answered(sim, client, command), command != silent) << command;
    }
}

TEST(SimFaults, SilentAtARecordOrTheNthContinuation) {
    SimProcess sim({"--memory", memoryWithRecords(8), "--silent-at", "R302005", "--silent-at",
                    "R303#2", "--verbose"});
    ASSERT_TRUE(sim.started());
    DeviceClient client(sim.device());
    EXPECT_EQ(exchange(sim, client, "R302004"), "1;104");
    EXPECT_FALSE(answered(sim, client, "R302005"));
    EXPECT_EQ(exchange(sim, client, "R302006"), "1;106");
    EXPECT_EQ(exchange(sim, client, "R303"), "2;line 6");
    EXPECT_FALSE(answered(sim, client, "R303")) << "the second R303";
    EXPECT_EQ(exchange(sim, client, "R303"), "X") << "the silenced command was never acted on";
    EXPECT_FALSE(answered(sim, client, "R302005")) << "every R302005, not only the first";
}

TEST(SimFaults, SilentFromTheKthCommandOnAcrossSessions) {
    SimProcess sim({"--records", "1", "--silent-from", "3", "--verbose"});
    ASSERT_TRUE(sim.started());
    {
        DeviceClient client(sim.device());
        EXPECT_TRUE(answered(sim, client, ""));
        EXPECT_TRUE(answered(sim, client, "R002"));
    }
    DeviceClient client(sim.device());
    EXPECT_FALSE(answered(sim, client, "R002"));
    EXPECT_FALSE(answered(sim, client, "R004"));
}

TEST(SimFaults, ReplyWithoutCarriageReturnJoinsTheNextReply) {
    SimProcess sim({"--memory", memoryWithRecords(1), "--no-cr-at", "R004"});
    ASSERT_TRUE(sim.started());
    DeviceClient client(sim.device());
    client.send("R004");
    std::string partial;
    for (const DeviceClient::TimedByte& b : client.timedBytes(8, 3s))
        partial += b.byte;
    EXPECT_EQ(partial, "64000001");
    EXPECT_FALSE(client.reply(silence).complete) << "no carriage return follows";
    client.send("R004");
    EXPECT_EQ(client.exchange("R301"), "640000011000;1;1;1") << "R004 again without its CR";
}

TEST(SimFaults, GarbledRepliesCarryNulFfAndLineFeedAfterTheFirstByte) {
    SimProcess sim({"--memory", memoryWithRecords(1), "--garble-at", "R002", "--garble-at", ""});
    ASSERT_TRUE(sim.started());
    DeviceClient client(sim.device());
    EXPECT_EQ(client.exchange(""), std::string("\x00\xFF\n", 3));
    EXPECT_EQ(client.exchange("R002"), std::string("V\x00\xFF\n3.02", 8));
    EXPECT_EQ(client.exchange("R004"), "64000001");

    SimProcess everyReply({"--memory", memoryWithRecords(1), "--garble"});
    ASSERT_TRUE(everyReply.started());
    DeviceClient second(everyReply.device());
    EXPECT_EQ(second.exchange("R004"), std::string("6\x00\xFF\n4000001", 11));
    EXPECT_EQ(second.exchange("R303"), std::string("X\x00\xFF\n", 4));
}

TEST(SimFaults, CrLfLineEndsLeaveTheLineFeedForTheNextReply) {
    SimProcess sim({"--memory", memoryWithRecords(1), "--crlf"});
    ASSERT_TRUE(sim.started());
    DeviceClient client(sim.device());
    EXPECT_EQ(client.exchange("R002"), "V3.02");
    EXPECT_EQ(client.exchange("R004"), "\n64000001");
    EXPECT_EQ(client.exchange(""), "\n");
}

TEST(SimFaults, DripSendsTheBytesApart) {
    SimProcess sim({"--memory", memoryWithRecords(1), "--drip", "60"});
    ASSERT_TRUE(sim.started());
    DeviceClient client(sim.device());
    const auto sent = DeviceClient::Clock::now();
    client.send("R004");
    const auto bytes = client.timedBytes(9, 3s);
    ASSERT_EQ(bytes.size(), 9u);
    EXPECT_EQ(bytes.back().byte, '\r');
    // Byte i cannot arrive before i drip intervals have passed.
    for (size_t i = 0; i < bytes.size(); ++i)
        EXPECT_GE(bytes[i].at - sent, static_cast<int>(i) * 60ms) << "byte " << i;
}

// Bounds the time a reply takes, so it runs alone.
TEST(SimFaultsTiming, LatencyComesBeforeEachReply) {
    SimProcess sim({"--memory", memoryWithRecords(1), "--latency", "250"});
    ASSERT_TRUE(sim.started());
    DeviceClient client(sim.device());
    for (int i = 0; i < 2; ++i) {
        const auto sent = DeviceClient::Clock::now();
        EXPECT_EQ(client.exchange("R004"), "64000001");
        const auto took = DeviceClient::Clock::now() - sent;
        EXPECT_GE(took, 250ms);
        EXPECT_LT(took, upTo(1s));
    }
}

TEST(SimFaults, HangUpAfterTheKthCommandClosesTheDeviceAfterItsReply) {
    SimProcess sim({"--memory", memoryWithRecords(1), "--hangup-after", "2", "--port", "4"});
    ASSERT_TRUE(sim.started());
    sim.nextLine(); // the port
    sim.nextLine(); // the summary
    DeviceClient client(sim.device());
    EXPECT_EQ(client.exchange("R002"), "V3.02");
    EXPECT_EQ(client.exchange("R004"), "64000001");
    EXPECT_TRUE(client.hangsUp(3s));
    EXPECT_THAT(sim.nextLine(), HasSubstr("Hung up after 2 commands"));
    EXPECT_EQ(sim.stop(SIGTERM), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(portsFolder() + "/COM4")));
}

TEST(SimFaults, FuelCountReportedByR402DiffersFromTheNamesHeld) {
    SimProcess sim({"--records", "0", "--fuels", "60", "--fuel-count", "75"});
    ASSERT_TRUE(sim.started());
    DeviceClient client(sim.device());
    EXPECT_EQ(client.exchange("R402"), "75;60");
    EXPECT_EQ(client.exchange("R40160"), "60;0;Brennstoff 60");
    EXPECT_EQ(client.exchange("R40161"), "61;0;");
}

TEST(SimFaults, BadFaultPatternIsRefused) {
    SimProcess sim({"--silent-at", "R303#0"});
    EXPECT_EQ(sim.exitStatus(), 1);
    EXPECT_THAT(sim.errorOutput(), HasSubstr("R303#0"));
}

} // namespace
} // namespace ovena::test
