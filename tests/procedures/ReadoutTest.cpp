// The readout against tev640-sim: the commands it sends (from the simulator's log), what it
// collects, and how it ends on every path.

#include "ProcedureRig.h"
#include "support/PtyPeer.h"

#include "platform/ConfigPaths.h"
#include "support/TestEnvironment.h"
#include "support/Timing.h"

#include <filesystem>
#include <gmock/gmock.h>

namespace ovena::test {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

const std::string Identity = "serial=64012345\nfirmware=V3.02\nfuel=Heiz\xF6l EL\nfuel=Erdgas H\n";
// Three records: the first of two lines, the others of one.
const std::vector<std::string> ThreeRecords = {"1;4711|2;0712241530;1;200", "1;4712", "1;4713"};

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::string> ThreeRecordCommands = {"R302000", "R303", "R303", "R302001", "R303",
                                                      "R302002", "R303", "W307", "W904"};

class Readout : public ::testing::Test {
protected:
    explicit Readout(std::chrono::milliseconds tick = ProcedureRig::FastTick) : rig(tick) {}

    void read() {
        const int descriptors = openDescriptorCount();
        ReadInstrument(rig.host);
        // However it ended: the port closed and no descriptor left, the dialog closed last, the
        // cursor back to normal.
        EXPECT_EQ(rig.komm.Serial.Handle, -1);
        EXPECT_FALSE(rig.komm.Serial.Active);
        EXPECT_EQ(openDescriptorCount(), descriptors);
        ASSERT_FALSE(rig.progress.events.empty());
        EXPECT_EQ(rig.progress.events.back(), "close");
        EXPECT_THAT(rig.ui.cursors, ElementsAre(CursorShape::Hourglass, CursorShape::Default));
    }

    void expectCommunicationError() {
        ASSERT_EQ(rig.ui.boxes.size(), 1u);
        EXPECT_EQ(rig.ui.boxes[0].caption, "Fehler");
        EXPECT_EQ(rig.ui.boxes[0].text, "Error TEV 640 communication");
        EXPECT_EQ(rig.buildTableCalls, 0);
    }

    void expectTableBuilt() {
        EXPECT_THAT(rig.ui.boxes, IsEmpty());
        EXPECT_EQ(rig.buildTableCalls, 1);
    }

    ProcedureRig rig;
};

TEST_F(Readout, UndisturbedReadoutSendsTheWholeSequenceAndCollectsEverything) {
    rig.startSim(memoryFile(Identity, ThreeRecords));
    read();

    EXPECT_THAT(rig.commands(), ElementsAreArray(concat(readoutStart(2), ThreeRecordCommands)));
    EXPECT_EQ(rig.data.InstrumentSerial, "64012345");
    EXPECT_EQ(rig.data.FuelCount, 2);
    EXPECT_EQ(rig.data.FuelNames[1], "Heiz\xF6l EL");
    EXPECT_EQ(rig.data.FuelNames[2], "Erdgas H");
    EXPECT_THAT(rig.data.Memo1.Lines,
                ElementsAre("1;4711", "2;0712241530;1;200", "1;4712", "1;4713"));
    expectTableBuilt();
    EXPECT_THAT(rig.progress.events,
                ElementsAre("start Read TEV 640 Database (cancellable)", "status Open TEV 640",
                            "status Read fuel text", "max 2", "pos 1", "pos 2", "pos 0",
                            "status Read database", "max 3", "pos 0", "pos 1", "pos 2", "close"));
}

TEST_F(Readout, SeventyFiveFuelNamesSetTheBarToSeventyFiveAndReadSixty) {
    rig.startSim(memoryFile(Identity, {}), {"--fuel-count", "75"});
    read();

    EXPECT_THAT(rig.commands(), ElementsAreArray(concat(readoutStart(60), {"W307", "W904"})));
    EXPECT_EQ(rig.progress.events[3], "max 75");
    EXPECT_EQ(rig.data.FuelCount, 60);
    EXPECT_EQ(rig.data.FuelNames[2], "Erdgas H");
    EXPECT_EQ(rig.data.FuelNames[60], "") << "names the instrument does not hold are empty";
    expectTableBuilt();
}

TEST_F(Readout, LongFuelNameIsCutToThirtyCharactersAndOlderEntriesStay) {
    const std::string name35 = "Heiz\xF6l extra leicht schwefelarm 012";
    ASSERT_EQ(name35.size(), 35u);
    rig.data.FuelNames[2] = "from an earlier readout";
    rig.startSim(memoryFile("fuel=" + name35 + "\n", {}));
    read();

    EXPECT_EQ(rig.data.FuelCount, 1);
    EXPECT_EQ(rig.data.FuelNames[1], name35.substr(0, 30));
    EXPECT_EQ(rig.data.FuelNames[2], "from an earlier readout");
    expectTableBuilt();
}

TEST_F(Readout, TheThirdCounterIsTheNumberOfRecordsRead) {
    // "R301" answers 1000;12;3;2 while five records are held.
    rig.startSim(memoryFile("capacity=1000\nused=12\ntoread=3\nmeasurements=2\n",
                            {"1;1", "1;2", "1;3", "1;4", "1;5"}));
    read();

    EXPECT_THAT(rig.commands(),
                ElementsAreArray(concat(readoutStart(0), {"R302000", "R303", "R302001", "R303",
                                                          "R302002", "R303", "W307", "W904"})));
    EXPECT_THAT(rig.data.Memo1.Lines, ElementsAre("1;1", "1;2", "1;3"));
    expectTableBuilt();
}

TEST_F(Readout, RecordWhoseFirstReplyBeginsWithXIsOneLineWithoutContinuation) {
    rig.startSim(memoryFile(Identity, {"1;1|2;a", "X already the end", "1;3"}));
    read();

    EXPECT_THAT(rig.commands(),
                ElementsAreArray(concat(readoutStart(2), {"R302000", "R303", "R303", "R302001",
                                                          "R302002", "R303", "W307", "W904"})));
    EXPECT_THAT(rig.data.Memo1.Lines, ElementsAre("1;1", "2;a", "X already the end", "1;3"));
    expectTableBuilt();
}

TEST_F(Readout, NoRecordsStillClosesTheSessionAndBuildsAnEmptyTable) {
    rig.data.Memo1.Lines = {"1;from an earlier readout"};
    rig.startSim(memoryFile(Identity, {}));
    read();

    EXPECT_THAT(rig.commands(), ElementsAreArray(concat(readoutStart(2), {"W307", "W904"})));
    EXPECT_THAT(rig.data.Memo1.Lines, IsEmpty());
    expectTableBuilt();
}

TEST_F(Readout, SilenceOnTheWakeUpCommandDoesNotMatter) {
    rig.startSim(memoryFile(Identity, ThreeRecords), {"--silent-at", ""});
    read();

    EXPECT_THAT(rig.commands(), ElementsAreArray(concat(readoutStart(2), ThreeRecordCommands)));
    expectTableBuilt();
}

// A time-out anywhere but inside the record phase ends the readout with the message at once.
class ReadoutTimeOut : public Readout, public ::testing::WithParamInterface<std::string> {};

TEST_P(ReadoutTimeOut, EndsWithTheMessageAndNoTable) {
    const std::vector<std::string> all = concat(readoutStart(2), ThreeRecordCommands);
    const auto silent = std::find(all.begin(), all.end(), GetParam());
    ASSERT_NE(silent, all.end());
    rig.startSim(memoryFile(Identity, ThreeRecords), {"--silent-at", GetParam()});
    read();

    EXPECT_THAT(rig.commands(), ElementsAreArray(all.begin(), silent + 1));
    expectCommunicationError();
}

INSTANTIATE_TEST_SUITE_P(AtEachCommand, ReadoutTimeOut,
                         testing::Values("SERVICE001", "R002", "R004", "R402", "R40102", "R301",
                                         "W307", "W904"));

TEST_F(Readout, LostRecordEndsTheRecordPhaseAndTheTableHoldsWhatWasRead) {
    rig.startSim(memoryFile(Identity, ThreeRecords), {"--silent-at", "R302001"});
    read();

    EXPECT_THAT(rig.commands(),
                ElementsAreArray(concat(readoutStart(2),
                                        {"R302000", "R303", "R303", "R302001", "W307", "W904"})));
    EXPECT_THAT(rig.data.Memo1.Lines, ElementsAre("1;4711", "2;0712241530;1;200"));
    expectTableBuilt();
}

TEST_F(Readout, LostContinuationEndsThatRecordOnly) {
    rig.startSim(memoryFile(Identity, {"1;1|2;a|2;b", "1;2|2;c"}), {"--silent-at", "R303#2"});
    read();

    EXPECT_THAT(rig.commands(),
                ElementsAreArray(concat(readoutStart(2), {"R302000", "R303", "R303", "R302001",
                                                          "R303", "R303", "W307", "W904"})));
    EXPECT_THAT(rig.data.Memo1.Lines, ElementsAre("1;1", "2;a", "1;2", "2;c"));
    expectTableBuilt();
}

TEST_F(Readout, LostLastContinuationIsForgottenOnceTheClosingCommandsAnswer) {
    rig.startSim(memoryFile(Identity, {"1;1|2;a|2;b"}), {"--silent-at", "R303#2"});
    read();

    EXPECT_THAT(rig.commands(), ElementsAreArray(concat(
                                    readoutStart(2), {"R302000", "R303", "R303", "W307", "W904"})));
    EXPECT_THAT(rig.data.Memo1.Lines, ElementsAre("1;1", "2;a"));
    expectTableBuilt();
}

TEST_F(Readout, CancelDuringTheFuelNamesStopsBeforeTheFirstRecordRequest) {
    rig.progress.cancelAt = "pos 2";
    rig.startSim(memoryFile(Identity + "fuel=Propan\nfuel=Holz\nfuel=Pellets\n", ThreeRecords));
    read();

    // The fuel phase runs to its end; the record phase stops at its first check, and the
    // closing commands are not sent.
    EXPECT_THAT(rig.commands(), ElementsAreArray(readoutStart(5)));
    EXPECT_EQ(rig.data.FuelCount, 5);
    EXPECT_THAT(rig.data.Memo1.Lines, IsEmpty());
    expectTableBuilt();
}

TEST_F(Readout, CancelDropsTheRecordItCutShortAndKeepsTheCompleteOnes) {
    std::string endless = "1;2";
    for (int i = 0; i < 50; ++i)
        endless += "|2;" + std::to_string(i);
    rig.startSim(memoryFile(Identity, {"1;1|2;x", endless, "1;3"}));
    // The user presses cancel while the second line of the endless record's successor is
    // awaited.
    rig.ui.onProcessEvents = [this] {
        if (rig.data.Memo1.Lines.size() >= 4)
            rig.progress.cancel();
    };
    read();

    EXPECT_THAT(rig.commands(),
                ElementsAreArray(concat(readoutStart(2),
                                        {"R302000", "R303", "R303", "R302001", "R303", "R303"})));
    EXPECT_THAT(rig.data.Memo1.Lines, ElementsAre("1;1", "2;x"));
    expectTableBuilt();
}

TEST_F(Readout, RecordCountBeyondThreeDigitsStopsAtTheLastRecordNumber) {
    rig.startSim(memoryFile("toread=1500\n", {"1;1"}));
    read();

    const std::vector<std::string> commands = rig.commands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands[commands.size() - 3], "R302999");
    EXPECT_EQ(std::count_if(commands.begin(), commands.end(),
                            [](const std::string& c) { return c.starts_with("R302"); }),
              1000);
    EXPECT_EQ(rig.progress.events[6], "max 1000");
    expectTableBuilt();
}

TEST_F(Readout, PortThatCannotBeOpenedShowsItsOwnErrorThenTheCommunicationError) {
    fs::create_directories(portsFolder());
    fs::create_symlink(sandboxFolder() + "/unplugged-adapter", portsFolder() + "/COM9");
    rig.port = 9;
    read();

    EXPECT_THAT(boxTexts(rig.ui),
                ElementsAre("Error : Init RS232 on COM9", "Error TEV 640 communication"));
    EXPECT_EQ(rig.buildTableCalls, 0);
    EXPECT_THAT(rig.progress.events, ElementsAre("start Read TEV 640 Database (cancellable)",
                                                 "status Open TEV 640", "close"));
}

// On the real 100 ms ticks: an exchange waits two seconds before it counts as lost.
class ReadoutOnRealTicks : public Readout {
protected:
    ReadoutOnRealTicks() : Readout(TFormKomm::TickInterval) {}
};

// Bounds the readout's wall-clock time, so it runs alone.
class ReadoutTiming : public ReadoutOnRealTicks {};

TEST_F(ReadoutTiming, LostClosingCommandAfterTwoSeconds) {
    rig.startSim(memoryFile(Identity, ThreeRecords), {"--silent-at", "W904"});
    const auto start = std::chrono::steady_clock::now();
    read();
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_GE(elapsed, 1900ms);
    EXPECT_LT(elapsed, upTo(5s));
    EXPECT_THAT(rig.commands(), ElementsAreArray(concat(readoutStart(2), ThreeRecordCommands)));
    expectCommunicationError();
}

TEST_F(ReadoutOnRealTicks, LostRecordAfterTwoSecondsStillGivesTheTable) {
    rig.startSim(memoryFile(Identity, ThreeRecords), {"--silent-at", "R302002"});
    const auto start = std::chrono::steady_clock::now();
    read();

    EXPECT_GE(std::chrono::steady_clock::now() - start, 1900ms);
    EXPECT_THAT(rig.data.Memo1.Lines, ElementsAre("1;4711", "2;0712241530;1;200", "1;4712"));
    expectTableBuilt();
}

} // namespace
} // namespace ovena::test
