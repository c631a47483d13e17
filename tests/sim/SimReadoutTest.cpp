// The simulator as a client program meets it: a full readout over the pseudo-terminal, the COM
// port link, sessions that open and close the device, the command log and the clear command.

#include "DeviceClient.h"
#include "support/SimProcess.h"
#include "support/TestEnvironment.h"

#include "platform/ConfigPaths.h"
#include "sim/MemoryFile.h"

#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <sys/ioctl.h>
#include <thread>

namespace ovena::test {
namespace {

namespace fs = std::filesystem;
using sim::InstrumentMemory;
using testing::ElementsAre;
using testing::HasSubstr;

// What the readout procedure collects, and every command it sent.
struct Readout {
    std::string serial;
    std::vector<std::string> fuelNames;
    std::vector<std::string> lines;
    std::vector<std::string> commands;
};

std::string item(const std::string& reply, int number) {
    size_t start = 0;
    for (int i = 1; i < number; ++i) {
        start = reply.find(';', start);
        if (start == std::string::npos)
            return {};
        ++start;
    }
    return reply.substr(start, reply.find(';', start) - start);
}

std::string threeDigits(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", n);
    return text;
}

// The command sequence of a readout, stopping at nothing.
Readout readOut(DeviceClient& client) {
    Readout result;
    auto exchange = [&](const std::string& command) {
        result.commands.push_back(command);
        return client.exchange(command);
    };
    exchange("");
    exchange("SERVICE001");
    exchange("R002");
    result.serial = exchange("R004");
    const int fuels = std::stoi(item(exchange("R402"), 1));
    for (int i = 1; i <= fuels; ++i) {
        char command[16];
        std::snprintf(command, sizeof command, "R401%02d", i);
        result.fuelNames.push_back(item(exchange(command), 3));
    }
    const int records = std::stoi(item(exchange("R301"), 3));
    for (int j = 0; j < records; ++j) {
        std::string line = exchange("R302" + threeDigits(j));
        while (!line.starts_with("X")) {
            result.lines.push_back(line);
            line = exchange("R303");
        }
    }
    exchange("W307");
    exchange("W904");
    return result;
}

TEST(SimReadout, FullReadoutOnComPortSevenMatchesTheDumpedMemoryAndTheLog) {
    const std::string dump = sandboxFolder() + "/memory.txt";
    const std::string log = sandboxFolder() + "/commands.log";
    SimProcess sim({"--records", "200", "--port", "7", "--dump-memory", dump, "--log", log});
    ASSERT_TRUE(sim.started());
    const std::string link = portsFolder() + "/COM7";
    EXPECT_EQ(sim.nextLine(), "Port: COM7 (" + link + ")");
    ASSERT_EQ(fs::read_symlink(link).string(), sim.device());

    const InstrumentMemory memory = sim::loadMemoryFile(dump);
    ASSERT_EQ(memory.records.size(), 200u);
    DeviceClient client(link);
    const Readout readout = readOut(client);

    EXPECT_EQ(readout.serial, memory.serial);
    EXPECT_EQ(readout.fuelNames, memory.fuelNames);
    std::vector<std::string> expectedLines;
    for (const sim::Record& record : memory.records)
        expectedLines.insert(expectedLines.end(), record.begin(), record.end());
    EXPECT_EQ(readout.lines, expectedLines);
    EXPECT_EQ(lines(readFile(log)), readout.commands);

    EXPECT_EQ(sim.stop(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(SimReadout, RepliesOfTheCommandSet) {
    const std::string memoryFile = sandboxFolder() + "/memory.txt";
    writeFile(memoryFile, "serial=SN 4711\nfirmware=V2.10\ncapacity=500\n"
                          "fuel=Heiz\xF6l EL\nfuel=Erdgas H\n"
                          "record\n1;4711\n2;2312241530;1;x\nend\n"
                          "record\nX already the end\nend\n");
    SimProcess sim({"--memory", memoryFile});
    ASSERT_TRUE(sim.started());
    DeviceClient client(sim.device());

    EXPECT_EQ(client.exchange(""), "");
    EXPECT_EQ(client.exchange("SERVICE002"), "OK");
    EXPECT_EQ(client.exchange("R002"), "V2.10");
    EXPECT_EQ(client.exchange("R004"), "SN 4711");
    EXPECT_EQ(client.exchange("R402"), "2;60");
    EXPECT_EQ(client.exchange("R40101"), "01;0;Heiz\xF6l EL");
    EXPECT_EQ(client.exchange("R40102"), "02;0;Erdgas H");
    EXPECT_EQ(client.exchange("R40103"), "03;0;");
    EXPECT_EQ(client.exchange("R301"), "500;2;2;1");
    EXPECT_EQ(client.exchange("R303"), "X") << "no record chosen yet";
    EXPECT_EQ(client.exchange("R302001"), "X already the end");
    EXPECT_EQ(client.exchange("R302000"), "1;4711");
    EXPECT_EQ(client.exchange("R303"), "2;2312241530;1;x");
    EXPECT_EQ(client.exchange("R303"), "X");
    EXPECT_EQ(client.exchange("R303"), "X");
    EXPECT_EQ(client.exchange("R302002"), "X") << "beyond the records";
    EXPECT_EQ(client.exchange("W307"), "OK");
    EXPECT_EQ(client.exchange("W904"), "OK");
    EXPECT_EQ(client.exchange("HELLO"), "?");
    EXPECT_EQ(client.exchange("R302abc"), "?");
}

TEST(SimReadout, ClearMemoryErasesTheRecordsAndTheCountersFollow) {
    SimProcess sim({"--records", "5"});
    ASSERT_TRUE(sim.started());
    {
        DeviceClient client(sim.device());
        EXPECT_THAT(client.exchange("R301"), testing::StartsWith("1000;5;5;"));
        EXPECT_EQ(client.exchange("R302000").substr(0, 2), "1;");
        EXPECT_EQ(client.exchange("W304"), "OK");
        EXPECT_EQ(client.exchange("W904"), "OK");
    }
    DeviceClient nextSession(sim.device());
    EXPECT_EQ(nextSession.exchange("R301"), "1000;0;0;0");
    EXPECT_EQ(nextSession.exchange("R302000"), "X");
    EXPECT_EQ(nextSession.exchange("R303"), "X");
}

TEST(SimReadout, TheDeviceSurvivesManySessionsAndKeepsItsState) {
    const std::string memoryFile = sandboxFolder() + "/memory.txt";
    writeFile(memoryFile, "record\n1;1\n12;a;b;c;d\n2;first\n2;second\nend\n");
    SimProcess sim({"--memory", memoryFile});
    ASSERT_TRUE(sim.started());
    {
        DeviceClient client(sim.device());
        EXPECT_EQ(client.exchange("R302000"), "1;1");
    }
    // Each session continues where the last one left the current record.
    for (const char* expected : {"12;a;b;c;d", "2;first", "2;second", "X"}) {
        DeviceClient client(sim.device());
        EXPECT_EQ(client.exchange("R303"), expected);
    }
    for (int session = 0; session < 20; ++session) {
        DeviceClient client(sim.device());
        EXPECT_EQ(client.exchange("R004"), "64000001");
    }
    EXPECT_EQ(sim.stop(SIGINT), 0);
}

TEST(SimReadout, RepliesLeftUnreadWhenASessionEndsAreLostLikeOnARealPort) {
    const std::string memoryFile = sandboxFolder() + "/memory.txt";
    writeFile(memoryFile, "serial=64000001\nfirmware=V3.02\n");
    SimProcess sim({"--memory", memoryFile, "--drip", "100", "--verbose"});
    ASSERT_TRUE(sim.started());
    sim.nextLine();
    {
        DeviceClient client(sim.device());
        client.send("R004");
        EXPECT_EQ(client.timedBytes(2, 1s).size(), 2u);
    }
    // The rest of the reply is sent to a closed port.
    EXPECT_EQ(sim.nextLine(), "Session 1: device opened");
    sim.nextLine(); // > R004
    sim.nextLine(); // < 64000001
    EXPECT_EQ(sim.nextLine(), "Session 1: device closed");
    // The last byte is due 0.8 s after the first; a loaded machine may still owe the new
    // session the last few, but never those due while the port was closed.
    std::this_thread::sleep_for(1s);
    DeviceClient client(sim.device());
    client.send("R002");
    std::string reply = client.reply(3s).text;
    if (reply != "V3.02") {
        EXPECT_LT(reply.size(), std::string("000001").size()) << reply;
        EXPECT_TRUE(std::string("000001").ends_with(reply)) << reply;
        reply = client.reply(3s).text;
    }
    EXPECT_EQ(reply, "V3.02");
}

TEST(SimReadout, AReplyNobodyReadBeforeTheCloseIsDropped) {
    SimProcess sim({"--records", "1", "--verbose"});
    ASSERT_TRUE(sim.started());
    sim.nextLine();
    {
        DeviceClient client(sim.device());
        client.send("R301");
        std::this_thread::sleep_for(200ms);
    }
    for (int i = 0; i < 4; ++i) // opened, command, reply, closed
        sim.nextLine();
    DeviceClient client(sim.device());
    EXPECT_THAT(client.exchange("R004"), testing::StartsWith("640"));
}

TEST(SimReadout, ExclusiveModeOfAClientEndsWithItsSession) {
    SimProcess sim({"--records", "1"});
    ASSERT_TRUE(sim.started());
    {
        DeviceClient client(sim.device());
        ASSERT_EQ(ioctl(client.fd(), TIOCEXCL), 0);
    }
    // Any user may open the device again (root could anyway): exclusive mode is off.
    int exclusive = 1;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (exclusive && std::chrono::steady_clock::now() < deadline) {
        try {
            DeviceClient client(sim.device());
            ASSERT_EQ(ioctl(client.fd(), TIOCGEXCL, &exclusive), 0);
        } catch (const std::runtime_error&) {
        }
        if (exclusive)
            std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(exclusive, 0);
}

TEST(SimReadout, CommandLogHoldsEveryCommandAsReceivedAcrossSessions) {
    const std::string log = sandboxFolder() + "/commands.log";
    SimProcess sim({"--records", "1", "--log", log, "--silent-at", "R002"});
    ASSERT_TRUE(sim.started());
    {
        DeviceClient client(sim.device());
        client.exchange("");
        client.send("R002");
        EXPECT_FALSE(client.reply(300ms).complete);
        client.exchange("Heiz\xF6l \x01");
    }
    DeviceClient client(sim.device());
    client.send("R004\r\nR301");
    client.reply();
    client.reply();
    // Each line is written as soon as its command arrives.
    EXPECT_THAT(lines(readFile(log)), ElementsAre("", "R002", "Heiz\xF6l \x01", "R004", "R301"));
}

TEST(SimReadout, VerboseShowsCommandsAndReplies) {
    SimProcess sim({"--records", "0", "--verbose", "--fuels", "1"});
    ASSERT_TRUE(sim.started());
    EXPECT_THAT(sim.nextLine(), HasSubstr("0 records, 1 fuel names"));
    {
        DeviceClient client(sim.device());
        client.exchange("R40101");
    }
    EXPECT_EQ(sim.nextLine(), "Session 1: device opened");
    EXPECT_EQ(sim.nextLine(), "> R40101");
    EXPECT_EQ(sim.nextLine(), "< 01;0;Heiz\\xF6l EL");
    EXPECT_EQ(sim.nextLine(), "Session 1: device closed");
    DeviceClient client(sim.device());
    EXPECT_EQ(sim.nextLine(), "Session 2: device opened");
}

} // namespace
} // namespace ovena::test
