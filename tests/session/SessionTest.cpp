// The instrument session against tev640-sim: what a readout tells its listeners and in which
// order, the archive behind it, one procedure at a time, the typed settings reaching the
// instrument, the sync policy, and the settings loaded with one warning.

#include "session/Session.h"
#include "session/Settings.h"

#include "export/EC_Choice.h"
#include "link/komm.h"
#include "platform/ConfigPaths.h"
#include "platform/LocaleSettings.h"
#include "procedures/MainExport.h"
#include "support/ChoiceDialog.h"
#include "support/FakeShell.h"
#include "support/FakeUi.h"
#include "support/PseudoPorts.h"
#include "support/SilentProgress.h"
#include "support/SimulatedInstrument.h"
#include "support/TestEnvironment.h"
#include "table/OutputSettings.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <gmock/gmock.h>

namespace ovena {
namespace {

using namespace test;
using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::IsEmpty;

constexpr int Port = 5;
const std::string Memory = "serial=64012345\nfirmware=V3.02\nfuel=Erdgas H\n"
                           "record\n1;4711\n"
                           "2;0712241530;1;21.5;180.2;60.0;3.5;12;40;1013.2;1.20;10.8;15;7.3;0;0;"
                           "0;0;0;1;0;41\nend\n";

// A front end of the session without a window: the export's choice dialog answered with CSV
// into a file, every event written down as it comes.
class SessionTest : public testing::Test {
protected:
    explicit SessionTest(SessionOptions options = {sandboxFolder() + "/a.sqlite", false})
        : options_(std::move(options)) {
        ui.onShowModal = [](Form& form) {
            return chooseFileExport(dynamic_cast<TExportChoiceForm&>(form),
                                    "Comma-Delimited Text (CSV)");
        };
        session.OnBusy.Add([this](bool busy) { events.push_back(busy ? "busy" : "idle"); });
        session.OnReadoutEnded.Add([this] { events.push_back("readout ended"); });
        session.OnArchiveChanged.Add([this] { events.push_back("archive changed"); });
    }

    void readOut() {
        ui.saveDialogAnswers.push_back(sandboxFolder() + "/readout.csv");
        session.ReadInstrument();
    }

    PseudoPorts ports{};
    SimulatedInstrument sim{Port, Memory};
    FakeUi ui;
    FakeShell shell;
    SettingsStore store{settingsFile()};
    ExportServices services{ui, shell, store, LocaleSettings{}};
    StringGrid grid;
    MainExport exporter{services, nullptr, grid};
    OutputSettings settings;
    TFormKomm komm{ui, 25ms};
    SilentProgress progress;
    int port = Port;
    std::vector<std::string> infoBox;
    SessionOptions options_;
    Session session{ui,
                    store,
                    settings,
                    komm,
                    progress,
                    exporter,
                    {[this] { return port; }, [this](const std::vector<std::string>& lines,
                                                     const std::string&) { infoBox = lines; }},
                    options_};
    std::vector<std::string> events;
};

TEST_F(SessionTest, AReadoutKeepsItsRecordsExportsThemAndTellsItsListenersInOrder) {
    readOut();
    EXPECT_THAT(events, ElementsAre("busy", "readout ended", "idle", "archive changed"));
    EXPECT_THAT(ui.boxes, IsEmpty());
    ASSERT_TRUE(session.Stored);
    EXPECT_EQ(session.Stored->records, 1);
    EXPECT_EQ(session.ArchiveStatus, "Archive: 1 records kept, 1 of them new.");
    EXPECT_EQ(session.ServerStatus(), "");
    EXPECT_EQ(session.Exported, true);
    EXPECT_EQ(session.OpenArchive().countRecords({}), 1) << "the archive the options name";
    EXPECT_EQ(session.Readout.InstrumentSerial, "64012345");
}

TEST_F(SessionTest, NoProcedureStartsWhileTheSessionIsBusy) {
    session.OnReadoutEnded.Add([this] {
        session.ShowInstrumentInfo();
        session.ClearInstrumentMemory();
        session.ReadInstrument();
        session.SyncWithServer();
    });
    readOut();
    EXPECT_THAT(infoBox, IsEmpty());
    EXPECT_THAT(ui.boxes, IsEmpty()) << "no confirmation of the clear was asked";
    const std::vector<std::string> sent = sim.commands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "R004"), 1) << "one serial number asked";
    EXPECT_EQ(session.OpenArchive().stats().readouts, 1);
    EXPECT_FALSE(session.Busy());
}

TEST_F(SessionTest, AnArchiveThatCannotBeKeptIsToldAndTheExportGoesOn) {
    std::filesystem::create_directories(session.ArchiveFile()); // a folder in the file's place
    readOut();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_THAT(ui.boxes[0].text, testing::StartsWith(std::string(ArchiveFailedText)));
    EXPECT_EQ(session.ArchiveStatus, "Archive: the measurements could not be archived.");
    EXPECT_FALSE(session.Stored);
    EXPECT_EQ(session.Exported, true);
    EXPECT_THAT(events, ElementsAre("busy", "readout ended", "idle", "archive changed"));
}

// The generation check box and the port reach the instrument as a generation and a number.
struct ProcedureSetting {
    bool secondGeneration;
    int port;
    const char* serviceCommand; // the service command sent; none when the port is refused
    const char* name;
};

class SessionSettings : public SessionTest, public testing::WithParamInterface<ProcedureSetting> {};

TEST_P(SessionSettings, ReachTheInstrument) {
    settings.cbsvers.Checked = GetParam().secondGeneration;
    port = GetParam().port;
    session.ShowInstrumentInfo();
    const std::vector<std::string> sent = sim.commands();
    if (!*GetParam().serviceCommand) {
        EXPECT_THAT(sent, IsEmpty());
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(ui.boxes[0].text, "Comport not available");
        return;
    }
    EXPECT_THAT(ui.boxes, IsEmpty());
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[1], GetParam().serviceCommand);
    EXPECT_EQ(infoBox.size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Session, SessionSettings,
                         testing::Values(ProcedureSetting{false, Port, "SERVICE001", "First"},
                                         ProcedureSetting{true, Port, "SERVICE002", "Second"},
                                         ProcedureSetting{false, 0, "", "PortZero"},
                                         ProcedureSetting{true, MaxPort + 1, "", "PortTooHigh"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The window syncs after every readout, ovena-cli only when asked; the sync runs in the
// background, the session not busy, and a server out of reach is only the status line.
class SyncPolicy : public SessionTest, public testing::WithParamInterface<bool> {
protected:
    SyncPolicy() : SessionTest({"", GetParam()}) {
        store.writeString(archive::ArchiveKey, "Server",
                          "host=" + sandboxFolder() + "/no-server dbname=ovena connect_timeout=2");
    }
};

TEST_P(SyncPolicy, FollowsTheOptionsAndAServerOutOfReachIsOnlyTheStatus) {
    int told = 0;
    session.OnServerChanged.Add([&] { ++told; });
    const auto awaitSync = [&] {
        EXPECT_TRUE(ui.serviceUntil([&] { return !session.Sync().Running(); }));
    };
    readOut();
    EXPECT_EQ(session.ArchiveFile(), archive::defaultArchiveFile());
    EXPECT_EQ(session.Sync().Running(), GetParam());
    awaitSync();
    EXPECT_THAT(ui.boxes, IsEmpty());
    if (GetParam())
        EXPECT_THAT(session.ServerStatus(),
                    testing::StartsWith("Server not reached: cannot connect to the server: "));
    else
        EXPECT_EQ(session.ServerStatus(), "");
    EXPECT_EQ(told, GetParam() ? 2 : 0) << "started and ended";

    session.SyncWithServer();
    EXPECT_EQ(session.ServerStatus(), "Connecting to the company server...");
    awaitSync();
    EXPECT_THAT(session.ServerStatus(), testing::StartsWith("Server not reached: "));
    EXPECT_THAT(events, ElementsAre("busy", "readout ended", "idle", "archive changed"));
}

INSTANTIATE_TEST_SUITE_P(Session, SyncPolicy, testing::Bool());

TEST(Listeners, AListenerRemovedWhileTheEventIsToldIsNotToldAnyMore) {
    Listeners<int> listeners;
    std::vector<std::string> told;
    Listeners<int>::Id second = 0;
    listeners.Add([&](int n) {
        told.push_back("first " + std::to_string(n));
        listeners.Remove(second);
        listeners.Add([&](int m) { told.push_back("added " + std::to_string(m)); });
    });
    second = listeners.Add([&](int n) { told.push_back("second " + std::to_string(n)); });
    listeners.Notify(1);
    listeners.Notify(2);
    EXPECT_THAT(told, ElementsAre("first 1", "first 2", "added 2"));
}

TEST(LoadSettings, ReadsTheStoreAndWarnsOnceOfWhatItCannotRead) {
    std::filesystem::create_directories(std::filesystem::path(settingsFile()).parent_path());
    std::ofstream(settingsFile()) << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\TEV\\Ovena]\n"
                                     "\"GroupBox2_Tag\"=\"7\"\nnot a value\nnor this\n";
    testing::internal::CaptureStderr();
    const SettingsStore store = loadSettings("ovena-cli");
    const std::string warned = testing::internal::GetCapturedStderr();
    EXPECT_EQ(store.readString("Software\\TEV\\Ovena", "GroupBox2_Tag"), "7");
    EXPECT_THAT(warned, testing::StartsWith("ovena-cli: "));
    EXPECT_EQ(std::count(warned.begin(), warned.end(), '\n'), 1);
}

} // namespace
} // namespace ovena
