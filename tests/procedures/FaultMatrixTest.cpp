// Every instrument procedure against tev640-sim under every kind of line fault, in one table.
// For each: the messages shown, the port given back (no descriptor left), no exchange waiting
// beyond its budget, what the instrument received, and what reaches the table and the export
// file, which keeps its earlier contents whenever nothing is exported.

#include "ExportingRig.h"

#include "platform/PortMap.h"
#include "support/PtyPeer.h"
#include "support/TestEnvironment.h"
#include "table/TableBuilder.h"

#include <algorithm>
#include <csignal>
#include <gmock/gmock.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace ovena::test {
namespace {

using testing::ElementsAreArray;
using Clock = std::chrono::steady_clock;

enum class Run { Readout, Info, Clear };

// What the procedure ends with.
enum class Result {
    Exported,  // readout: the table built from `lines` and written to the file
    NoData,    // readout: the table has no rows; nothing is written
    InfoShown, // info: the box with `lines`
    Done,      // clear: finished without a message
    Failed,    // the communication error; no table, no box
};

enum class Line { Simulator, HeldByAnotherProgram, Missing };

const std::string Serial = "64012345";
const std::string Firmware = "V3.02";
const std::string M1 =
    "2;0712241530;2;21.5;180.2;60.0;3.5;12;40;1013.2;1.20;10.8;15;7.3;0;0;0;0;0;1;0;41";
const std::string M2 =
    "2;0712251000;1;20.0;150.0;55.0;4.0;8;35;1001.0;1.24;12.1;9;0.05;1;0;0;0;0;0;0;35";
const std::string M3 =
    "2;0712271415;2;18.0;160.5;58.0;3.2;5;30;1020.0;1.18;10.9;6;7.0;0;0;0;0;0;2;0;32";
// Three records of a customer line and a measurement line each; "R301" answers 1000;3;3;3.
const std::string Memory = "serial=" + Serial + "\nfirmware=" + Firmware +
                           "\nfuel=Heiz\xF6l EL\nfuel=Erdgas H\n" +
                           memoryFile("", {"1;4711|" + M1, "1;4712|" + M2, "1;4713|" + M3});
const std::vector<std::string> AllLines = {"1;4711", M1, "1;4712", M2, "1;4713", M3};
const std::vector<std::string> Counters = {"003", "003", "1000"};

// The identity replies are the longest of this memory: a slow line hits them first.
const std::string LongSerial = "6401234500000000000000000000000000000001";
const std::string LongFirmware = "V3.02 0000000000000000000000000000000001";
const std::string LongIdentityMemory =
    "serial=" + LongSerial + "\nfirmware=" + LongFirmware + "\nfuel=Heiz\xF6l EL\nfuel=Erdgas H\n" +
    memoryFile("", {"1;4711|2;0712241530;2", "1;4712|2;0712251000;1", "1;4713|2;0712271415;2"});
const std::vector<std::string> ShortLines = {"1;4711",         "2;0712241530;2", "1;4712",
                                             "2;0712251000;1", "1;4713",         "2;0712271415;2"};

// Commands of the undisturbed procedures on this memory.
constexpr int ReadoutCommands = 19; // 8 to R301, 3 per record, W307, W904
constexpr int InfoCommands = 5;
constexpr int ClearCommands = 5;

const std::string Garbage = std::string("\0\xFF\n", 3);

std::string garbled(const std::string& reply) {
    return reply.substr(0, 1) + Garbage + reply.substr(1);
}
std::vector<std::string> garbled(const std::vector<std::string>& replies) {
    std::vector<std::string> result;
    for (const std::string& reply : replies)
        result.push_back(garbled(reply));
    return result;
}
std::vector<std::string> afterLineFeed(const std::vector<std::string>& replies) {
    std::vector<std::string> result;
    for (const std::string& reply : replies)
        result.push_back("\n" + reply);
    return result;
}

struct Case {
    std::string name;
    Run run;
    std::vector<std::string> simOptions;
    Result result;
    int commands;                   // how many the instrument received
    std::vector<std::string> lines; // the readout's record lines, or the info box's counters
    std::string serial = Serial;    // as collected (readout) or shown (info)
    std::string firmware = Firmware;
    std::string memory = Memory;
    Line line = Line::Simulator;

    friend void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }
};

std::vector<Case> readoutCases() {
    const auto& L = AllLines;
    std::vector<Case> cases = {
        {"Undisturbed", Run::Readout, {}, Result::Exported, ReadoutCommands, L},
        {"SilentWakeUp", Run::Readout, {"--silent-at", ""}, Result::Exported, ReadoutCommands, L},
        // A lost record ends the record phase; what was read before is exported.
        {"SilentFirstRecord", Run::Readout, {"--silent-at", "R302000"}, Result::NoData, 11, {}},
        {"SilentSecondRecord",
         Run::Readout,
         {"--silent-at", "R302001"},
         Result::Exported,
         14,
         {L[0], L[1]}},
        {"SilentThirdRecord",
         Run::Readout,
         {"--silent-at", "R302002"},
         Result::Exported,
         17,
         {L[0], L[1], L[2], L[3]}},
        // A lost continuation ends that record only.
        {"SilentContinuation",
         Run::Readout,
         {"--silent-at", "R303#1"},
         Result::Exported,
         ReadoutCommands - 1,
         {L[0], L[2], L[3], L[4], L[5]}},
        {"SilentThirdContinuation",
         Run::Readout,
         {"--silent-at", "R303#3"},
         Result::Exported,
         ReadoutCommands - 1,
         {L[0], L[1], L[2], L[4], L[5]}},
        {"SilentFifthContinuation",
         Run::Readout,
         {"--silent-at", "R303#5"},
         Result::Exported,
         ReadoutCommands - 1,
         {L[0], L[1], L[2], L[3], L[4]}},
        // A lost end mark is forgotten once the next exchange answers.
        {"SilentEndMark",
         Run::Readout,
         {"--silent-at", "R303#2"},
         Result::Exported,
         ReadoutCommands,
         L},
        {"SilentEndMarkOfSecondRecord",
         Run::Readout,
         {"--silent-at", "R303#4"},
         Result::Exported,
         ReadoutCommands,
         L},
        {"SilentLastEndMark",
         Run::Readout,
         {"--silent-at", "R303#6"},
         Result::Exported,
         ReadoutCommands,
         L},
        // A reply without its line end: the exchange times out and its bytes begin the next
        // reply ("1;4712" + "OK" answers W307).
        {"PartialIdentity", Run::Readout, {"--no-cr-at", "R004"}, Result::Failed, 4, {}},
        {"PartialRecord",
         Run::Readout,
         {"--no-cr-at", "R302001"},
         Result::Exported,
         14,
         {L[0], L[1]}},
        {"PartialClosingReply",
         Run::Readout,
         {"--no-cr-at", "W307"},
         Result::Failed,
         ReadoutCommands - 1,
         L},
        // NUL, 0xFF and LF are reply bytes like any other and reach the table unchanged.
        {"GarbledReplies",
         Run::Readout,
         {"--garble"},
         Result::Exported,
         ReadoutCommands,
         garbled(L),
         garbled(Serial)},
        {"GarbledRecord",
         Run::Readout,
         {"--garble-at", "R302001"},
         Result::Exported,
         ReadoutCommands,
         {L[0], L[1], garbled(L[2]), L[3], L[4], L[5]}},
        // With CR LF ends every reply begins with the line feed of the one before; the end
        // marks still end the records.
        {"CrLfLineEnds",
         Run::Readout,
         {"--crlf"},
         Result::Exported,
         ReadoutCommands,
         afterLineFeed(L),
         "\n" + Serial},
        {"DripInsideTheBudget",
         Run::Readout,
         {"--drip", "8"},
         Result::Exported,
         ReadoutCommands,
         ShortLines,
         LongSerial,
         LongFirmware,
         LongIdentityMemory},
        {"DripBeyondTheBudget",
         Run::Readout,
         {"--drip", "20"},
         Result::Failed,
         3,
         {},
         LongSerial,
         LongFirmware,
         LongIdentityMemory},
    };
    // A time-out anywhere outside the record phase ends the readout with the message.
    const char* commands[] = {"SERVICE001", "R002", "R004", "R402", "R40101", "R40102", "R301"};
    for (int i = 0; i < 7; ++i)
        cases.push_back({std::string("Silent") + commands[i],
                         Run::Readout,
                         {"--silent-at", commands[i]},
                         Result::Failed,
                         i + 2,
                         {}});
    cases.push_back({"SilentW307",
                     Run::Readout,
                     {"--silent-at", "W307"},
                     Result::Failed,
                     ReadoutCommands - 1,
                     L});
    cases.push_back(
        {"SilentW904", Run::Readout, {"--silent-at", "W904"}, Result::Failed, ReadoutCommands, L});
    // The adapter unplugged after the K-th command: in service mode, identity, fuel names,
    // record phase, closing.
    for (int k : {1, 4, 6, 9, 18})
        cases.push_back({"HangUpAfter" + std::to_string(k),
                         Run::Readout,
                         {"--hangup-after", std::to_string(k)},
                         Result::Failed,
                         k,
                         {}});
    return cases;
}

std::vector<Case> infoAndClearCases() {
    std::vector<Case> cases = {
        {"InfoUndisturbed", Run::Info, {}, Result::InfoShown, InfoCommands, Counters},
        {"InfoPartialVersion", Run::Info, {"--no-cr-at", "R002"}, Result::Failed, 3, {}},
        {"InfoGarbledReplies",
         Run::Info,
         {"--garble"},
         Result::InfoShown,
         InfoCommands,
         {"003", "003", "1" + Garbage + "000"},
         garbled(Serial),
         garbled(Firmware)},
        {"InfoCrLfLineEnds",
         Run::Info,
         {"--crlf"},
         Result::InfoShown,
         InfoCommands,
         {"003", "003", "\n1000"},
         "\n" + Serial,
         "\n" + Firmware},
        {"InfoDripInsideTheBudget",
         Run::Info,
         {"--drip", "8"},
         Result::InfoShown,
         InfoCommands,
         Counters,
         LongSerial,
         LongFirmware,
         LongIdentityMemory},
        {"InfoDripBeyondTheBudget",
         Run::Info,
         {"--drip", "20"},
         Result::Failed,
         3,
         {},
         LongSerial,
         LongFirmware,
         LongIdentityMemory},
        {"ClearUndisturbed", Run::Clear, {}, Result::Done, ClearCommands, {}},
        {"ClearPartialReply", Run::Clear, {"--no-cr-at", "W304"}, Result::Failed, 4, {}},
        {"ClearGarbledReplies", Run::Clear, {"--garble"}, Result::Done, ClearCommands, {}},
        {"ClearCrLfLineEnds", Run::Clear, {"--crlf"}, Result::Done, ClearCommands, {}},
        {"ClearDripInsideTheBudget",
         Run::Clear,
         {"--drip", "8"},
         Result::Done,
         ClearCommands,
         {},
         LongSerial,
         LongFirmware,
         LongIdentityMemory},
        {"ClearDripBeyondTheBudget",
         Run::Clear,
         {"--drip", "20"},
         Result::Failed,
         3,
         {},
         LongSerial,
         LongFirmware,
         LongIdentityMemory},
    };
    const std::pair<Run, std::vector<const char*>> sequences[] = {
        {Run::Info, {"SERVICE001", "R002", "R004", "R301"}},
        {Run::Clear, {"SERVICE001", "R002", "W304", "W904"}}};
    for (const auto& [run, commands] : sequences) {
        const std::string procedure = run == Run::Info ? "Info" : "Clear";
        for (std::size_t i = 0; i < commands.size(); ++i)
            cases.push_back({procedure + "Silent" + commands[i],
                             run,
                             {"--silent-at", commands[i]},
                             Result::Failed,
                             static_cast<int>(i) + 2,
                             {}});
        // Unplugged in service mode, after the version, after the last command but one.
        for (int k : {1, 3, 4})
            cases.push_back({procedure + "HangUpAfter" + std::to_string(k),
                             run,
                             {"--hangup-after", std::to_string(k)},
                             Result::Failed,
                             k,
                             {}});
    }
    return cases;
}

std::vector<Case> portCases() {
    std::vector<Case> cases;
    for (Run run : {Run::Readout, Run::Info, Run::Clear}) {
        const std::string procedure = run == Run::Readout ? "Readout"
                                      : run == Run::Info  ? "Info"
                                                          : "Clear";
        cases.push_back({procedure + "PortHeldByAnotherProgram", run, {}, Result::Failed, 0, {}});
        cases.back().line = Line::HeldByAnotherProgram;
        cases.push_back({procedure + "PortMissing", run, {}, Result::Failed, 0, {}});
        cases.back().line = Line::Missing;
    }
    return cases;
}

// Another program holding the device: flock(1) with the exclusive lock every program that
// opens a serial port this way takes, for as long as the object lives.
class PortHolder {
public:
    explicit PortHolder(const std::string& device) {
        const char* argv[] = {"flock", "--exclusive", device.c_str(), "sleep", "60", nullptr};
        // A process group of its own, so that flock's child goes with it.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        if (posix_spawnp(&pid_, "flock", nullptr, &attributes, const_cast<char**>(argv), environ) !=
            0)
            pid_ = -1;
        posix_spawnattr_destroy(&attributes);
    }
    ~PortHolder() {
        if (pid_ > 0) {
            kill(-pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    // Waits until the lock is held.
    bool holding(int comNr) const {
        TSerial probe;
        probe.ComNr = comNr;
        for (auto deadline = Clock::now() + 5s; Clock::now() < deadline;
             std::this_thread::sleep_for(10ms))
            if (!probe.Exists())
                return pid_ > 0;
        return false;
    }

private:
    pid_t pid_ = -1;
};

// The ticks of the exchange's interval that pass while each command waits (from one monitor
// log "<" line to the next): a count, so that a loaded machine, which only makes ticks late,
// cannot push an exchange beyond its budget.
class ExchangeTicks {
public:
    ~ExchangeTicks() {
        if (ui_)
            ui_->stopTimer(timer_);
    }
    void watch(TFormKomm& komm, FakeUi& ui, std::chrono::milliseconds tick) {
        ui_ = &ui;
        timer_ = ui.startTimer(tick, [this] { ++ticks_; });
        komm.Visible = true;
        ui.onProcessEvents = [this, &komm] {
            for (; seen_ < komm.Memo.Lines.size(); ++seen_)
                if (komm.Memo.Lines[seen_].starts_with("<"))
                    starts_.push_back(ticks_);
        };
    }
    // The most ticks one exchange waited, the last one ending now.
    int longest() const {
        int result = 0;
        for (std::size_t i = 0; i < starts_.size(); ++i)
            result =
                std::max(result, (i + 1 < starts_.size() ? starts_[i + 1] : ticks_) - starts_[i]);
        return result;
    }

private:
    FakeUi* ui_ = nullptr;
    TimerId timer_{};
    int ticks_ = 0;
    std::size_t seen_ = 0;
    std::vector<int> starts_;
};

const std::string EarlierExport = "an export of an earlier readout\r\n";

class FaultMatrix : public ::testing::TestWithParam<Case>, protected ExportingRig {
protected:
    FaultMatrix() {
        rig.host.BuildTable = [this] {
            ++tablesBuilt;
            mainExport.BuildTable(rig.data, settings);
        };
        chooseFile("Comma-Delimited Text (CSV)");
        settings.CBHeader.Checked = true;
    }

    // What the file holds when exactly these lines, serial number and fuel names are exported.
    std::string exportOf(const InstrumentData& data) {
        const std::string reference = sandboxFolder() + "/reference.csv";
        rig.ui.saveDialogAnswers.push_back(reference);
        ClearTable(grid);
        mainExport.BuildTable(data, settings);
        return readFile(reference);
    }

    int tablesBuilt = 0;
};

TEST_P(FaultMatrix, EndsAsPrescribed) {
    const Case& c = GetParam();
    std::unique_ptr<PortHolder> holder;
    if (c.line == Line::Missing) {
        rig.port = 9;
    } else {
        rig.startSim(c.memory, c.simOptions);
        if (c.line == Line::HeldByAnotherProgram) {
            holder = std::make_unique<PortHolder>(deviceForPort(ProcedureRig::Port));
            ASSERT_TRUE(holder->holding(ProcedureRig::Port));
        }
    }
    const std::string file = sandboxFolder() + "/readout.csv";
    writeFile(file, EarlierExport);
    rig.ui.saveDialogAnswers.push_back(file);
    rig.data.FuelNames[3] = "from an earlier readout";

    ExchangeTicks exchanges;
    exchanges.watch(rig.komm, rig.ui, ProcedureRig::FastTick);
    const int descriptors = openDescriptorCount();
    switch (c.run) {
    case Run::Readout:
        ClearTable(grid);
        ReadInstrument(rig.host);
        break;
    case Run::Info:
        ShowInstrumentInfo(rig.host);
        break;
    case Run::Clear:
        ClearInstrumentMemory(rig.host);
        break;
    }

    // The port is given back however it ended, and no exchange waited beyond its budget.
    EXPECT_EQ(rig.komm.Serial.Handle, -1);
    EXPECT_FALSE(rig.komm.Serial.Active);
    EXPECT_EQ(openDescriptorCount(), descriptors);
    EXPECT_EQ(rig.ui.cursor(), CursorShape::Default);
    // A few ticks more than the budget: the two timers need not tick in the same pass, and
    // what runs between two commands may take a tick or two on a busy machine.
    EXPECT_LE(exchanges.longest(), TFormKomm::BudgetTicks + TFormKomm::BudgetTicks / 4);

    std::vector<std::string> boxes;
    if (c.run == Run::Clear)
        boxes.push_back("Clear data memory in Instrument?");
    if (c.line != Line::Simulator)
        boxes.push_back("Error : Init RS232 on COM" + std::to_string(rig.port));
    if (c.result == Result::Failed)
        boxes.push_back("Error TEV 640 communication");
    if (c.result == Result::NoData)
        boxes.push_back("There is no Data to Export.");
    EXPECT_THAT(boxTexts(rig.ui), ElementsAreArray(boxes));
    if (c.line != Line::Missing) {
        EXPECT_EQ(static_cast<int>(rig.commands().size()), c.commands);
    }

    EXPECT_EQ(tablesBuilt, c.result == Result::Exported || c.result == Result::NoData ? 1 : 0);
    if (c.result == Result::Exported || c.result == Result::NoData) {
        EXPECT_THAT(rig.data.Memo1.Lines, ElementsAreArray(c.lines));
        EXPECT_EQ(rig.data.InstrumentSerial, c.serial);
        EXPECT_EQ(rig.data.FuelCount, 2);
        EXPECT_EQ(rig.data.FuelNames[1], "Heiz\xF6l EL");
        EXPECT_EQ(rig.data.FuelNames[2], "Erdgas H");
        EXPECT_EQ(rig.data.FuelNames[3], "from an earlier readout");
    }
    if (c.result == Result::Exported) {
        const std::string exported = readFile(file);
        EXPECT_NE(exported, EarlierExport);
        EXPECT_EQ(exported, exportOf(rig.data));
    } else {
        EXPECT_EQ(readFile(file), EarlierExport) << "an earlier export stays as it was";
    }

    if (c.result == Result::InfoShown) {
        ASSERT_EQ(rig.infoLines.size(), 10u);
        EXPECT_EQ(rig.infoLines[0], "Meas.data records:       " + c.lines[0]);
        EXPECT_EQ(rig.infoLines[1], "Used data records:       " + c.lines[1]);
        EXPECT_EQ(rig.infoLines[2], "Capacity records :       " + c.lines[2]);
        EXPECT_EQ(rig.infoLines[4], "TEV640   Version : " + c.firmware);
        EXPECT_EQ(rig.infoLines[5], "TEV640   Sernr   : " + c.serial);
        EXPECT_TRUE(rig.portOpenDuringInfo);
    } else {
        EXPECT_TRUE(rig.infoLines.empty()) << "no info box";
    }

    if (c.result == Result::Done) {
        // The instrument's counters follow the erase.
        ShowInstrumentInfo(rig.host);
        ASSERT_EQ(rig.infoLines.size(), 10u);
        EXPECT_EQ(rig.infoLines[1], "Used data records:       000");
    }
}

std::string caseName(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Readout, FaultMatrix, testing::ValuesIn(readoutCases()), caseName);
INSTANTIATE_TEST_SUITE_P(InfoAndClear, FaultMatrix, testing::ValuesIn(infoAndClearCases()),
                         caseName);
INSTANTIATE_TEST_SUITE_P(Port, FaultMatrix, testing::ValuesIn(portCases()), caseName);

} // namespace
} // namespace ovena::test
