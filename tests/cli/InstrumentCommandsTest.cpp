// ovena-cli info, clear and ports against tev640-sim.

#include "InstrumentCli.h"
#include "support/SimulatedInstrument.h"
#include "support/TestEnvironment.h"

#include "platform/ConfigPaths.h"
#include "platform/Version.h"

#include <filesystem>
#include <gmock/gmock.h>

namespace ovena::test {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

class Commands : public ::testing::Test {
protected:
    // The simulator on COM8 with a memory whose "R301" answers 1000;12;3;7.
    void startSim(std::vector<std::string> options = {}) {
        sim = std::make_unique<SimulatedInstrument>(
            8,
            "serial=64012345\nfirmware=V3.02\ncapacity=1000\nused=12\ntoread=3\n"
            "measurements=7\nrecord\n1;4711\nend\n",
            std::move(options));
    }
    std::vector<std::string> commands() const { return sim->commands(); }

    std::unique_ptr<SimulatedInstrument> sim;
};

TEST_F(Commands, InfoPrintsTheTenLinesAsTheBoxShowsThem) {
    startSim();
    const CliResult run = runCli({"info", "--port", "8"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string rule(32, '-');
    EXPECT_THAT(lines(run.out),
                ElementsAre("www.halvor-safety-tev.de", "Halvor Safety TEV GmbH", rule,
                            std::string("OVENA    Version : ") + VersionText,
                            "TEV640   Sernr   : 64012345", "TEV640   Version : V3.02", rule,
                            "Capacity records :       1000", "Used data records:       012",
                            "Meas.data records:       007"));
    EXPECT_THAT(commands(), ElementsAre("", "SERVICE001", "R002", "R004", "R301"));
}

TEST_F(Commands, InfoOfTheSecondGenerationAndItsTimeOut) {
    startSim({"--silent-at", "R301"});
    const CliResult run = runCli({"info", "--port", "8", "--second-generation"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, IsEmpty());
    EXPECT_THAT(run.err, HasSubstr("Fehler: Error TEV 640 communication"));
    EXPECT_THAT(commands(), ElementsAre("", "SERVICE002", "R002", "R004", "R301"));
}

TEST_F(Commands, ClearWithYesErasesTheMemory) {
    startSim();
    const CliResult run = runCli({"clear", "--port", "8", "--yes"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("Clear data memory in Instrument?"));
    EXPECT_THAT(commands(), ElementsAre("", "SERVICE001", "R002", "W304", "W904"));
    EXPECT_THAT(runCli({"info", "--port", "8"}).out, HasSubstr("Used data records:       000"));
}

TEST_F(Commands, ClearRefusesWithoutATerminalAndWithoutYes) {
    startSim();
    const CliResult run = runCli({"clear", "--port", "8"});
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr("--yes"));
    EXPECT_THAT(commands(), IsEmpty());
}

TEST_F(Commands, ClearAsksOnTheTerminal) {
    startSim();
    CliResult run = runCliOnTerminal({"clear", "--port", "8"}, "[j/N]", "n\n");
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_THAT(run.err, HasSubstr("Best\xC3\xA4tigen: Clear data memory in Instrument? [j/N]"));
    EXPECT_THAT(commands(), IsEmpty()) << "declined: nothing sent";

    run = runCliOnTerminal({"clear", "--port", "8"}, "[j/N]", "j\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(commands(), ElementsAre("", "SERVICE001", "R002", "W304", "W904"));
}

TEST_F(Commands, PortsListsEachNumberWithItsDeviceAndWhetherItIsPresent) {
    startSim();
    // The first four numbers point at devices of the sandbox, so no real port is touched.
    fs::create_directories(portsFolder());
    for (int n = 1; n <= 4; ++n)
        fs::create_symlink(sandboxFolder() + "/ttyMissing" + std::to_string(n),
                           portsFolder() + "/COM" + std::to_string(n));
    const CliResult run = runCli({"ports"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> listed = lines(run.out);
    ASSERT_GE(listed.size(), 5u);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(listed[static_cast<std::size_t>(n - 1)],
                  "COM" + std::to_string(n) + "\t" + sandboxFolder() + "/ttyMissing" +
                      std::to_string(n) + "\tabsent\t\t\t");
    EXPECT_THAT(listed, testing::Contains("COM8\t" + sim->process().device() + "\tpresent\t\t\t"));
}

} // namespace
} // namespace ovena::test
