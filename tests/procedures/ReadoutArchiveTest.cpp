// What the readout hands to the archive against tev640-sim: whole records as they are read,
// how the readout ended, before the table is built; and a failing archive never stops it.

#include "ProcedureRig.h"

#include <gmock/gmock.h>

namespace ovena::test {
namespace {

using testing::ElementsAre;

const std::string Identity = "serial=64012345\nfuel=Heiz\xF6l EL\nfuel=Erdgas H\n";

// Writes down what it is handed, as "start", "record <lines joined by |>" and
// "end <how> <serial> <fuel count>", and answers `failure` at the end.
class RecordingSink : public ReadoutSink {
public:
    explicit RecordingSink(const int& buildTableCalls) : buildTableCalls_(buildTableCalls) {}

    std::vector<std::string> events;
    std::string failure;
    int tablesBuiltBeforeTheEnd = -1;

    void ReadoutStarted() override { events.push_back("start"); }
    void RecordRead(std::span<const std::string> lines) override {
        std::string joined;
        for (const std::string& line : lines)
            joined += (joined.empty() ? "" : "|") + line;
        events.push_back("record " + joined);
    }
    Outcome ReadoutEnded(const InstrumentData& data, ReadoutEnd end) override {
        events.push_back("end " + std::string(ReadoutEndText(end)) + " " + data.InstrumentSerial +
                         " " + std::to_string(data.FuelCount));
        tablesBuiltBeforeTheEnd = buildTableCalls_;
        return failure.empty() ? Outcome() : Outcome::Failed(failure);
    }

private:
    const int& buildTableCalls_;
};

class ReadoutArchive : public ::testing::Test {
protected:
    ReadoutArchive() { rig.host.Archive = &sink; }

    ProcedureRig rig;
    RecordingSink sink{rig.buildTableCalls};
};

TEST_F(ReadoutArchive, WholeRecordsAreHandedOverAsReadAndKeptBeforeTheTable) {
    // Four records reported, three held: the fourth request brings only the end mark.
    rig.startSim(memoryFile(Identity + "toread=4\n", {"1;4711|2;0712241530;1;200", "1;4712",
                                                      "1;4713|12;a;b;c;4|2;0712241600;2;1"}));
    ReadInstrument(rig.host);

    EXPECT_THAT(sink.events,
                ElementsAre("start", "record 1;4711|2;0712241530;1;200", "record 1;4712",
                            "record 1;4713|12;a;b;c;4|2;0712241600;2;1",
                            "end complete 64012345 2"));
    EXPECT_EQ(sink.tablesBuiltBeforeTheEnd, 0);
    EXPECT_EQ(rig.buildTableCalls, 1);
    EXPECT_THAT(rig.ui.boxes, testing::IsEmpty());
}

TEST_F(ReadoutArchive, ARecordCutByALostContinuationIsNotHandedOver) {
    rig.startSim(memoryFile(Identity, {"1;1|2;a|2;b", "1;2|2;c"}), {"--silent-at", "R303#2"});
    ReadInstrument(rig.host);

    // The table still shows the cut record, as the readout's rules keep it.
    EXPECT_THAT(rig.data.Memo1.Lines, ElementsAre("1;1", "2;a", "1;2", "2;c"));
    EXPECT_THAT(sink.events,
                ElementsAre("start", "record 1;2|2;c", "end communication error 64012345 2"));
    EXPECT_EQ(rig.buildTableCalls, 1);
}

TEST_F(ReadoutArchive, ALostRecordEndsTheRecordPhaseWithACommunicationError) {
    rig.startSim(memoryFile(Identity, {"1;1|2;a", "1;2|2;c"}), {"--silent-at", "R302001"});
    ReadInstrument(rig.host);

    EXPECT_THAT(sink.events,
                ElementsAre("start", "record 1;1|2;a", "end communication error 64012345 2"));
    EXPECT_EQ(rig.buildTableCalls, 1);
}

TEST_F(ReadoutArchive, ACancelKeepsTheWholeRecordsReadBeforeIt) {
    std::string endless = "1;2";
    for (int i = 0; i < 50; ++i)
        endless += "|2;" + std::to_string(i);
    rig.startSim(memoryFile(Identity, {"1;1|2;x", endless, "1;3"}));
    rig.ui.onProcessEvents = [this] {
        if (rig.data.Memo1.Lines.size() >= 4)
            rig.progress.cancel();
    };
    ReadInstrument(rig.host);

    EXPECT_THAT(sink.events, ElementsAre("start", "record 1;1|2;x", "end cancelled 64012345 2"));
}

TEST_F(ReadoutArchive, RecordsAreKeptAlsoWhenTheClosingCommandIsLost) {
    rig.startSim(memoryFile(Identity, {"1;1|2;a", "1;2"}), {"--silent-at", "W307"});
    ReadInstrument(rig.host);

    EXPECT_THAT(sink.events, ElementsAre("start", "record 1;1|2;a", "record 1;2",
                                         "end communication error 64012345 2"));
    EXPECT_THAT(boxTexts(rig.ui), ElementsAre("Error TEV 640 communication"));
    EXPECT_EQ(rig.buildTableCalls, 0);
}

TEST_F(ReadoutArchive, NothingIsKeptWhenTheRecordPhaseWasNotReached) {
    rig.startSim(memoryFile(Identity, {"1;1"}), {"--silent-at", "R402"});
    ReadInstrument(rig.host);

    EXPECT_THAT(sink.events, ElementsAre("start"));
    EXPECT_THAT(boxTexts(rig.ui), ElementsAre("Error TEV 640 communication"));
}

TEST_F(ReadoutArchive, AnArchiveThatFailsIsToldOnceAndTheExportGoesOn) {
    sink.failure = "archive.sqlite: database or disk is full";
    rig.startSim(memoryFile(Identity, {"1;1|2;a"}));
    ReadInstrument(rig.host);

    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].caption, "Fehler");
    EXPECT_EQ(rig.ui.boxes[0].text,
              "The measurements could not be archived: archive.sqlite: database or disk is full");
    EXPECT_EQ(rig.buildTableCalls, 1);
}

} // namespace
} // namespace ovena::test
