// The info and clear-memory procedures against tev640-sim (and, for a reply the simulator never
// gives, a scripted peer): their commands, the info box's lines and how they end on every path.

#include "ProcedureRig.h"
#include "support/PtyPeer.h"

#include "platform/ConfigPaths.h"
#include "platform/Version.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <gmock/gmock.h>

namespace ovena::test {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::IsEmpty;

const std::string Rule(32, '-');
// "R301" answers 1000;12;3;7.
const std::string Counters =
    "serial=64012345\nfirmware=V3.02\ncapacity=1000\nused=12\ntoread=3\nmeasurements=7\n";

class Procedure : public ::testing::Test {
protected:
    // Runs the procedure and checks how it ended: port closed, no descriptor left, cursor back.
    template <typename Run> void run(Run procedure) {
        const int descriptors = openDescriptorCount();
        procedure(rig.host);
        EXPECT_EQ(rig.komm.Serial.Handle, -1);
        EXPECT_EQ(openDescriptorCount(), descriptors);
        EXPECT_EQ(rig.ui.cursor(), CursorShape::Default);
    }

    void unpluggedPort() {
        fs::create_directories(portsFolder());
        fs::create_symlink(sandboxFolder() + "/unplugged-adapter", portsFolder() + "/COM9");
        rig.port = 9;
    }

    ProcedureRig rig;
};

TEST_F(Procedure, InfoShowsTenLinesWhileThePortStaysOpen) {
    rig.startSim(memoryFile(Counters, {}));
    run(ShowInstrumentInfo);

    EXPECT_THAT(rig.commands(), ElementsAre("", "SERVICE001", "R002", "R004", "R301"));
    EXPECT_THAT(rig.infoLines,
                ElementsAre("Meas.data records:       007", "Used data records:       012",
                            "Capacity records :       1000", Rule, "TEV640   Version : V3.02",
                            "TEV640   Sernr   : 64012345",
                            std::string("OVENA    Version : ") + VersionText, Rule,
                            "Halvor Safety TEV GmbH", "www.halvor-safety-tev.de"));
    EXPECT_EQ(rig.infoCaption, "Ovena");
    EXPECT_TRUE(rig.portOpenDuringInfo) << "the port is closed only after the box";
    EXPECT_EQ(rig.cursorDuringInfo, CursorShape::Default);
    EXPECT_THAT(rig.ui.cursors,
                ElementsAre(CursorShape::Hourglass, CursorShape::Default, CursorShape::Default));
    EXPECT_THAT(rig.ui.boxes, IsEmpty());
    EXPECT_THAT(rig.progress.events, IsEmpty()) << "the progress dialog is not used";
}

TEST_F(Procedure, InfoShowsDoubleZeroForAMissingCounter) {
    PtyPeer peer(ProcedureRig::Port);
    peer.respond([](const std::string& command) -> std::vector<PtyPeer::Piece> {
        if (command == "R002")
            return {{0ms, "V2.10\r"}};
        if (command == "R004")
            return {{0ms, "SN 7\r"}};
        if (command == "R301")
            return {{0ms, "1000;12\r"}};
        return {{0ms, "OK\r"}};
    });
    run(ShowInstrumentInfo);

    ASSERT_EQ(rig.infoLines.size(), 10u);
    EXPECT_EQ(rig.infoLines[0], "Meas.data records:       00");
    EXPECT_EQ(rig.infoLines[1], "Used data records:       012");
    EXPECT_EQ(rig.infoLines[2], "Capacity records :       1000");
    EXPECT_EQ(rig.infoLines[4], "TEV640   Version : V2.10");
    EXPECT_EQ(rig.infoLines[5], "TEV640   Sernr   : SN 7");
}

class InfoTimeOut : public Procedure, public ::testing::WithParamInterface<std::string> {};

TEST_P(InfoTimeOut, ShowsTheMessageAndNoBox) {
    rig.startSim(memoryFile(Counters, {}), {"--silent-at", GetParam()});
    run(ShowInstrumentInfo);

    EXPECT_EQ(rig.commands().back(), GetParam());
    EXPECT_THAT(rig.infoLines, IsEmpty());
    EXPECT_THAT(boxTexts(rig.ui), ElementsAre("Error TEV 640 communication"));
}

INSTANTIATE_TEST_SUITE_P(AtEachCommand, InfoTimeOut,
                         testing::Values("SERVICE001", "R002", "R004", "R301"));

TEST_F(Procedure, ClearAfterYesSendsTheEraseSequenceSilently) {
    rig.startSim(memoryFile(Counters, {"1;1|2;a", "1;2"}));
    run(ClearInstrumentMemory);

    EXPECT_THAT(rig.commands(), ElementsAre("", "SERVICE001", "R002", "W304", "W904"));
    ASSERT_EQ(rig.ui.boxes.size(), 1u) << "a successful erase shows no message";
    EXPECT_EQ(rig.ui.boxes[0].caption, "Best\xE4tigen");
    EXPECT_EQ(rig.ui.boxes[0].text, "Clear data memory in Instrument?");
    EXPECT_EQ(rig.ui.boxes[0].buttons[0].text, "&Ja");
    EXPECT_EQ(rig.ui.boxes[0].buttons[1].text, "&Nein");

    // The instrument's counters follow the erase.
    run(ShowInstrumentInfo);
    EXPECT_EQ(rig.infoLines[1], "Used data records:       000");
}

TEST_F(Procedure, ClearAfterNoSendsNothingAndOpensNothing) {
    rig.startSim(memoryFile(Counters, {"1;1"}));
    rig.ui.boxAnswers.push_back(ModalResult::No);
    rig.komm.Port = 0;
    run(ClearInstrumentMemory);

    EXPECT_THAT(rig.commands(), IsEmpty());
    EXPECT_EQ(rig.komm.Port, 0) << "not even the port was chosen";
    EXPECT_THAT(rig.ui.cursors, IsEmpty());
    EXPECT_THAT(boxTexts(rig.ui), ElementsAre("Clear data memory in Instrument?"));
}

TEST_F(Procedure, ClearTimeOutStopsBeforeTheNextCommand) {
    rig.startSim(memoryFile(Counters, {"1;1"}), {"--silent-at", "W304"});
    run(ClearInstrumentMemory);

    EXPECT_THAT(rig.commands(), ElementsAre("", "SERVICE001", "R002", "W304"));
    EXPECT_THAT(boxTexts(rig.ui),
                ElementsAre("Clear data memory in Instrument?", "Error TEV 640 communication"));
}

TEST_F(Procedure, PortThatCannotBeOpenedGivesBothErrors) {
    unpluggedPort();
    run(ShowInstrumentInfo);
    EXPECT_THAT(boxTexts(rig.ui),
                ElementsAre("Error : Init RS232 on COM9", "Error TEV 640 communication"));
    EXPECT_THAT(rig.infoLines, IsEmpty());

    rig.ui.boxes.clear();
    run(ClearInstrumentMemory);
    EXPECT_THAT(boxTexts(rig.ui),
                ElementsAre("Clear data memory in Instrument?", "Error : Init RS232 on COM9",
                            "Error TEV 640 communication"));
}

TEST_F(Procedure, NewerGenerationUsesTheSecondServiceCommandEverywhere) {
    rig.newGeneration = true;
    rig.startSim(memoryFile(Counters, {"1;1"}));
    run(ReadInstrument);
    run(ShowInstrumentInfo);
    run(ClearInstrumentMemory);

    std::vector<std::string> services;
    for (const std::string& command : rig.commands())
        if (command.starts_with("SERVICE"))
            services.push_back(command);
    EXPECT_THAT(services, ElementsAre("SERVICE002", "SERVICE002", "SERVICE002"));
}

TEST(PadCounter, PadsToThreeDigitsAndKeepsLongerCounters) {
    EXPECT_EQ(PadCounter("5"), "005");
    EXPECT_EQ(PadCounter("12"), "012");
    EXPECT_EQ(PadCounter(""), "00");
    EXPECT_EQ(PadCounter("1000"), "1000");
    EXPECT_EQ(PadCounter("123"), "123");
}

} // namespace
} // namespace ovena::test
