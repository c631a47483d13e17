// The memory file: what a technician writes, what the simulator dumps, and the errors.

#include "support/SimProcess.h"
#include "support/TestEnvironment.h"

#include "sim/MemoryFile.h"
#include "sim/MemoryGenerator.h"

#include <gmock/gmock.h>

namespace ovena::test {
namespace {

using sim::InstrumentMemory;
using sim::MemoryFileError;
using sim::parseMemoryFile;
using testing::ElementsAre;
using testing::HasSubstr;

TEST(MemoryFile, ReadsSettingsFuelsAndRecordLinesAsTheyAre) {
    const InstrumentMemory memory = parseMemoryFile("# a workshop instrument\r\n"
                                                    "serial=640 12345\r\n"
                                                    "firmware=V2.2;a\n"
                                                    "  capacity = 500\n"
                                                    "\n"
                                                    "fuel=Heiz\xF6l EL\n"
                                                    "fuel=\n"
                                                    "record\n"
                                                    "1;4711\n"
                                                    "# not a comment inside a record\n"
                                                    "\n"
                                                    "2;0712241530;1\n"
                                                    "21;x\n"
                                                    "end\n"
                                                    "record\n"
                                                    "2\n"
                                                    "end",
                                                    "test.mem");
    EXPECT_EQ(memory.serial, "640 12345");
    EXPECT_EQ(memory.firmware, "V2.2;a");
    EXPECT_EQ(memory.capacity, 500);
    EXPECT_THAT(memory.fuelNames, ElementsAre("Heiz\xF6l EL", ""));
    ASSERT_EQ(memory.records.size(), 2u);
    EXPECT_THAT(memory.records[0], ElementsAre("1;4711", "# not a comment inside a record", "",
                                               "2;0712241530;1", "21;x"));
    EXPECT_THAT(memory.records[1], ElementsAre("2"));
    // Counted from the records: measurement lines only, not test lines.
    EXPECT_EQ(memory.used, 2);
    EXPECT_EQ(memory.toRead, 2);
    EXPECT_EQ(memory.measurements, 2);
}

TEST(MemoryFile, GivenCountersWinOverTheCountedOnes) {
    const InstrumentMemory memory =
        parseMemoryFile("used=12\ntoread=3\nmeasurements=7\nrecord\n1;1\nend\n", "test.mem");
    EXPECT_EQ(memory.capacity, 1000);
    EXPECT_EQ(memory.used, 12);
    EXPECT_EQ(memory.toRead, 3);
    EXPECT_EQ(memory.measurements, 7);
}

TEST(MemoryFile, FormattedMemoryReadsBackTheSame) {
    InstrumentMemory memory = sim::generateMemory(30, 7, 12);
    memory.toRead = 3; // counters that differ from the records survive too
    const std::string text = sim::formatMemoryFile(memory);
    EXPECT_EQ(parseMemoryFile(text, "dump"), memory);
    EXPECT_EQ(sim::formatMemoryFile(parseMemoryFile(text, "dump")), text);
}

TEST(MemoryFile, BadFilesNameTheLineAndTheReason) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"serial=1\ncolour=red\n", "bad.mem:2: unknown key \"colour\""},
        {"serial=1\nserial=2\n", "bad.mem:2: \"serial\" given twice"},
        {"capacity=12a\n", "bad.mem:1: \"capacity\" needs a whole number from 0 to 99999999"},
        {"\nused=-1\n", "bad.mem:2: \"used\" needs a whole number"},
        {"toread=\n", "bad.mem:1: \"toread\" needs a whole number"},
        {"just words\n", "bad.mem:1: expected key=value, \"record\" or a comment"},
        {"# x\nrecord\n1;1\n", "bad.mem:2: record block without \"end\""},
        {"record\nend\n", "bad.mem:2: record block without lines"},
        {"end\n", "bad.mem:1: \"end\" outside a record block"},
        {"fuel=a;b\n", "bad.mem:1: a fuel name cannot contain \";\""},
        {"record\n1;1\r2;2\nend\n", "bad.mem:2: carriage return inside a line"},
    };
    for (const auto& [text, message] : cases) {
        try {
            parseMemoryFile(text, "bad.mem");
            ADD_FAILURE() << "accepted: " << text;
        } catch (const MemoryFileError& e) {
            EXPECT_THAT(e.what(), HasSubstr(message)) << text;
        }
    }
}

TEST(MemoryFile, LimitsOfTheInstrument) {
    std::string fuels;
    for (int i = 0; i < 61; ++i)
        fuels += "fuel=f\n";
    EXPECT_THROW(parseMemoryFile(fuels, "f"), MemoryFileError);
    std::string records;
    for (int i = 0; i < 1001; ++i)
        records += "record\n1;1\nend\n";
    try {
        parseMemoryFile(records, "r");
        ADD_FAILURE();
    } catch (const MemoryFileError& e) {
        EXPECT_STREQ(e.what(), "r:3001: more than 1000 records");
    }
}

TEST(MemoryFile, ProgramDumpsTheMemoryItLoaded) {
    const std::string in = sandboxFolder() + "/in.mem";
    const std::string out = sandboxFolder() + "/out.mem";
    writeFile(in, "serial=7\nfuel=Heiz\xF6l EL\nrecord\n1;1\n12;a;b;c;-3.5\n2;x\nend\n");
    SimProcess sim({"--memory", in, "--dump-memory", out});
    ASSERT_TRUE(sim.started());
    EXPECT_EQ(sim::loadMemoryFile(out), sim::loadMemoryFile(in));
    EXPECT_THAT(readFile(out),
                HasSubstr("fuel=Heiz\xF6l EL\nrecord\n1;1\n12;a;b;c;-3.5\n2;x\nend\n"));
}

TEST(MemoryFile, ProgramRefusesABadFileWithItsLine) {
    const std::string path = sandboxFolder() + "/bad.mem";
    writeFile(path, "serial=1\n\ncapacity=lots\n");
    SimProcess sim({"--memory", path});
    EXPECT_EQ(sim.exitStatus(), 1);
    EXPECT_THAT(sim.errorOutput(),
                HasSubstr("tev640-sim: " + path + ":3: \"capacity\" needs a whole number"));

    SimProcess missing({"--memory", sandboxFolder() + "/none.mem"});
    EXPECT_EQ(missing.exitStatus(), 1);
    EXPECT_THAT(missing.errorOutput(), HasSubstr("none.mem: cannot open the file"));
}

} // namespace
} // namespace ovena::test
