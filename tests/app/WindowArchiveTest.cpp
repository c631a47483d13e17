// The window's readout and the measurement archive, against tev640-sim: the records kept in the
// workstation's archive file, a file that cannot be written, and the company's server (a real
// PostgreSQL server started for the test) reached or out of reach at the end of the readout.

#include "TwoRecords.h"
#include "app/FormArchive.h"
#include "app/OvenaForms.h"
#include "archive/Archive.h"
#include "archive/Workstation.h"
#include "export/EC_Choice.h"
#include "platform/LocaleSettings.h"
#include "platform/Shell.h"
#include "support/ChoiceDialog.h"
#include "support/FakeUi.h"
#include "support/PostgresServer.h"
#include "support/PseudoPorts.h"
#include "support/SimulatedInstrument.h"
#include "support/TcpForwarder.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gmock/gmock.h>
#include <memory>

namespace ovena {
namespace {

namespace fs = std::filesystem;
using namespace test;
using testing::HasSubstr;
using testing::IsEmpty;

class WindowArchive : public testing::Test {
protected:
    WindowArchive() {
        store.load();
        store.writeString(SettingsKey, "GroupBox2_Tag", std::to_string(TwoRecordsPort));
        store.writeString(archive::ArchiveKey, "Workstation", "Werkstatt 2");
    }

    void showWindow() {
        forms = std::make_unique<OvenaForms>(ui, shell, store);
        forms->FormMain.Show();
    }

    // Reads the instrument, answering the choice dialog with CSV into `file`.
    void readInto(const std::string& file) {
        ui.saveDialogAnswers.push_back(file);
        ui.onShowModal = [](Form& form) {
            return chooseFileExport(dynamic_cast<TExportChoiceForm&>(form),
                                    "Comma-Delimited Text (CSV)");
        };
        forms->FormMain.BtExecuteExportClick();
    }

    const std::string& status() { return forms->FormMain.ArchiveStatus.Caption; }
    // Waits for the company server's sync to end, as an idle window does.
    void awaitSync() {
        EXPECT_TRUE(ui.serviceUntil([&] { return !forms->FormMain.session().Sync().Running(); }));
    }

    PseudoPorts ports{};
    SimulatedInstrument sim{TwoRecordsPort, TwoRecordsMemory};
    FakeUi ui;
    GioShell shell;
    SettingsStore store{settingsFile()};
    std::unique_ptr<OvenaForms> forms;
};

TEST_F(WindowArchive, EachReadoutKeepsItsRecordsOnceInTheWorkstationsArchive) {
    showWindow();
    readInto(sandboxFolder() + "/first.csv");
    EXPECT_EQ(status(), "Archive: 2 records kept, 2 of them new.");
    readInto(sandboxFolder() + "/second.csv");
    EXPECT_EQ(status(), "Archive: 2 records kept, 0 of them new.");
    EXPECT_THAT(ui.boxes, IsEmpty());
    EXPECT_TRUE(fs::exists(sandboxFolder() + "/second.csv"));

    archive::Archive kept = archive::Archive::openFile(archive::defaultArchiveFile(), false);
    EXPECT_EQ(kept.countRecords({}), 2);
    EXPECT_EQ(kept.stats().readouts, 2);
    const auto records = kept.listRecords({}, {});
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].instrumentSerial, "64012345");
    EXPECT_EQ(records[0].customer, "4711");
    EXPECT_EQ(records[0].fuel, "Erdgas H");
    EXPECT_EQ(records[0].workstation, "Werkstatt 2");
}

TEST_F(WindowArchive, AnArchiveThatCannotBeWrittenIsToldOnceAndTheExportGoesOn) {
    // A folder where the archive file should be.
    fs::create_directories(archive::defaultArchiveFile());
    showWindow();
    const std::string file = sandboxFolder() + "/readout.csv";
    readInto(file);

    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Fehler");
    EXPECT_THAT(ui.boxes[0].text, testing::StartsWith("The measurements could not be archived: " +
                                                      archive::defaultArchiveFile()));
    EXPECT_TRUE(fs::exists(file)) << "the export went on";
    EXPECT_EQ(status(), "Archive: the measurements could not be archived.");
    EXPECT_TRUE(forms->FormMain.BtExecuteExport.Enabled);
}

// The archive window follows the session: a readout's records show at its end, and an archive
// that cannot be opened is told in the window's message line, the count line staying empty.
TEST_F(WindowArchive, TheArchiveWindowShowsEachReadoutsRecordsAtItsEnd) {
    showWindow();
    TFormArchive& archiveWindow = forms->FormArchive;
    archiveWindow.Open();
    EXPECT_EQ(archiveWindow.CountText, "0 measurements of 0 customers");
    readInto(sandboxFolder() + "/readout.csv");
    EXPECT_EQ(archiveWindow.CountText, "2 measurements of 2 customers");
    EXPECT_EQ(archiveWindow.Message, "");
    EXPECT_TRUE(archiveWindow.ExportAllowed());
}

TEST_F(WindowArchive, AnArchiveThatCannotBeOpenedIsToldInTheMessageLine) {
    fs::create_directories(archive::defaultArchiveFile());
    showWindow();
    TFormArchive& archiveWindow = forms->FormArchive;
    archiveWindow.Open();
    EXPECT_THAT(archiveWindow.Message, HasSubstr(archive::defaultArchiveFile()));
    EXPECT_EQ(archiveWindow.CountText, "");
    EXPECT_FALSE(archiveWindow.ExportAllowed());
    EXPECT_THAT(ui.boxes, IsEmpty());
}

TEST_F(WindowArchive, TheCompanysServerGetsTheReadoutAtItsEnd) {
    PostgresServer server;
    if (!server.running())
        GTEST_SKIP() << "no PostgreSQL server could start: " << server.failure();
    store.writeString(archive::ArchiveKey, "Server", server.conninfo());
    showWindow();
    readInto(sandboxFolder() + "/readout.csv");
    // The readout is over: the window is usable while the server is awaited.
    EXPECT_TRUE(forms->FormMain.BtExecuteExport.Enabled);
    EXPECT_EQ(status(), "Archive: 2 records kept, 2 of them new.\nConnecting to the company "
                        "server...");
    awaitSync();

    EXPECT_EQ(status(), "Archive: 2 records kept, 2 of them new.\nServer: 1 readout and 2 "
                        "records sent to " +
                            server.database() + " on " + server.socketFolder() + " (2 new there).");
    archive::Archive remote = archive::Archive::openServer(server.conninfo());
    EXPECT_EQ(remote.countRecords({}), 2);
    EXPECT_EQ(remote.listRecords({}, {})[0].workstation, "Werkstatt 2");
    EXPECT_THAT(ui.boxes, IsEmpty());
}

// While a sync runs, "Sync now" is greyed and does nothing; a readout may run, and its records
// follow in a sync of their own once the first one ended.
TEST_F(WindowArchive, OneSyncRunsAtATimeAndAReadoutMeanwhileIsSentAfterIt) {
    PostgresServer server;
    if (!server.running())
        GTEST_SKIP() << "no PostgreSQL server could start: " << server.failure();
    showWindow();
    readInto(sandboxFolder() + "/first.csv");
    store.writeString(archive::ArchiveKey, "Server", server.conninfo());
    TFormArchive& archiveWindow = forms->FormArchive;
    archiveWindow.Open();
    ASSERT_TRUE(archiveWindow.SyncAllowed());

    archiveWindow.SyncClick();
    EXPECT_TRUE(forms->FormMain.session().Sync().Running());
    EXPECT_FALSE(archiveWindow.SyncAllowed());
    EXPECT_EQ(archiveWindow.SyncStatus, "Connecting to the company server...");
    archiveWindow.SyncClick();
    readInto(sandboxFolder() + "/second.csv");
    EXPECT_TRUE(fs::exists(sandboxFolder() + "/second.csv"));
    awaitSync();

    // The first sync may have found the second readout already; the last one sends the rest.
    EXPECT_THAT(archiveWindow.SyncStatus,
                HasSubstr("records sent to " + server.database() + " on"));
    EXPECT_TRUE(archiveWindow.SyncAllowed());
    archive::Archive remote = archive::Archive::openServer(server.conninfo());
    EXPECT_EQ(remote.stats().readouts, 2);
    EXPECT_EQ(remote.countRecords({}), 2);
}

// A server that accepts the connection and then says nothing: the sync ends at its deadline
// with a message, or when the window closes, and the window stays usable all the while.
enum class SilentEnd { Deadline, WindowClosed };

class SilentServerWindow : public WindowArchive, public testing::WithParamInterface<SilentEnd> {};

TEST_P(SilentServerWindow, TheSyncEndsWhileTheWindowStaysUsableAndClosable) {
    PostgresServer server;
    if (!server.running())
        GTEST_SKIP() << "no PostgreSQL server could start: " << server.failure();
    TcpForwarder forwarder(postgresSocket(server.socketFolder()));
    forwarder.stopAnswering();
    store.writeString(archive::ArchiveKey, "Server",
                      forwarder.hostAndPort() + " dbname=" + server.database() + " user=ovena");
    showWindow();
    TFormMain& main = forms->FormMain;
    main.session().Sync().Waits.connect = std::chrono::milliseconds(1500);
    readInto(sandboxFolder() + "/readout.csv");
    EXPECT_TRUE(fs::exists(sandboxFolder() + "/readout.csv")) << "the export did not wait";
    ASSERT_TRUE(main.session().Sync().Running());
    EXPECT_FALSE(main.session().Busy());
    EXPECT_TRUE(main.btClose.Enabled);
    EXPECT_THAT(status(), HasSubstr("\nConnecting to the company server..."));

    const auto start = std::chrono::steady_clock::now();
    if (GetParam() == SilentEnd::WindowClosed) {
        main.btCloseClick();
        EXPECT_FALSE(main.Visible);
        forms.reset(); // the program ends: the sync's thread with it
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    } else {
        awaitSync();
        EXPECT_EQ(status(), "Archive: 2 records kept, 2 of them new.\nServer not reached: the "
                            "company server did not answer within 1.5 s");
        EXPECT_THAT(ui.boxes, IsEmpty());
    }
    EXPECT_EQ(archive::Archive::openFile(archive::defaultArchiveFile(), false).stats().lastSync,
              "");
}

INSTANTIATE_TEST_SUITE_P(, SilentServerWindow,
                         testing::Values(SilentEnd::Deadline, SilentEnd::WindowClosed),
                         [](const auto& info) {
                             return info.param == SilentEnd::Deadline ? "Deadline" : "WindowClosed";
                         });

TEST_F(WindowArchive, AServerOutOfReachIsOnlyTheStatusLine) {
    store.writeString(archive::ArchiveKey, "Server",
                      "host=" + sandboxFolder() + "/no-server dbname=ovena connect_timeout=2");
    showWindow();
    readInto(sandboxFolder() + "/readout.csv");
    awaitSync();

    EXPECT_THAT(ui.boxes, IsEmpty());
    EXPECT_THAT(status(), testing::StartsWith("Archive: 2 records kept, 2 of them new.\nServer "
                                              "not reached: cannot connect to the server: "));
    EXPECT_EQ(std::count(status().begin(), status().end(), '\n'), 1);
    EXPECT_EQ(archive::Archive::openFile(archive::defaultArchiveFile(), false).stats().lastSync,
              "");
}

} // namespace
} // namespace ovena
