// The measurement archive as ovena-cli users meet it: readouts against tev640-sim keep their
// records once, archive list, export, stats and check on a real SQLite file, and sync, list and
// export against a real PostgreSQL server started for the test; readouts killed at any moment
// and a full disk.

#include "InstrumentCli.h"
#include "support/PostgresServer.h"
#include "support/SimProcess.h"
#include "support/TestEnvironment.h"

#include "archive/Archive.h"
#include "archive/Workstation.h"
#include "platform/ConfigPaths.h"
#include "platform/SettingsStore.h"
#include "sim/MemoryFile.h"
#include "sim/MemoryGenerator.h"

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <signal.h>
#include <thread>

namespace ovena::test {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::Not;

class ArchiveCli : public ::testing::Test {
protected:
    void SetUp() override {
        // A decimal point, as the expected files are written.
        SettingsStore store(settingsFile());
        store.writeString("Control Panel\\International", "sDecimal", ".");
        ASSERT_TRUE(store.save());
    }

    // A simulated instrument with this memory on a COM port of its own (one that ran there
    // before is stopped, so it removes its port link).
    void startSim(const sim::InstrumentMemory& memory, int port = 6) {
        if (sims[port])
            sims[port]->stop(SIGTERM);
        const std::string file = sandboxFolder() + "/memory-" + std::to_string(port) + ".txt";
        sim::saveMemoryFile(file, memory);
        auto& sim = sims[port];
        sim = std::make_unique<SimProcess>(
            std::vector<std::string>{"--memory", file, "--port", std::to_string(port)});
        ASSERT_TRUE(sim->started()) << sim->errorOutput();
        sim->nextLine();
    }

    // A readout to CSV without a time stamp, into the test's archive file.
    CliResult readout(const std::string& output, int port = 6, std::vector<std::string> more = {}) {
        std::vector<std::string> args{
            "readout",  "--port", std::to_string(port), "--format",  "csv",
            "--output", output,   "--no-timestamp",     "--archive", archive};
        args.insert(args.end(), more.begin(), more.end());
        return runCli(args);
    }

    CliResult archiveCommand(std::vector<std::string> args, bool withFile = true) {
        args.insert(args.begin(), "archive");
        if (withFile)
            args.insert(args.end(), {"--archive", archive});
        return runCli(args);
    }

    std::string archive = sandboxFolder() + "/data/archive.sqlite";
    std::map<int, std::unique_ptr<SimProcess>> sims;
};

sim::InstrumentMemory memoryOf(int records, std::uint64_t seed, int fuels = 8) {
    sim::InstrumentMemory memory = sim::generateMemory(records, seed, fuels);
    memory.countRecords();
    return memory;
}

std::string statsValue(const std::string& stats, const std::string& name) {
    for (const std::string& line : lines(stats))
        if (line.starts_with(name + ":"))
            return line.substr(line.find_first_not_of(' ', name.size() + 1));
    return "?";
}

// The lines of a CSV file after its caption line.
std::vector<std::string> dataRows(const std::string& csv) {
    std::vector<std::string> rows = lines(csv);
    if (!rows.empty())
        rows.erase(rows.begin());
    return rows;
}

TEST_F(ArchiveCli, TheSameMemoryReadAgainAddsOnlyWhatIsNew) {
    sim::InstrumentMemory memory = memoryOf(50, 7);
    startSim(memory);
    CliResult first = readout(sandboxFolder() + "/first.csv");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_THAT(first.err, HasSubstr("50 records archived (50 new) in " + archive));
    CliResult second = readout(sandboxFolder() + "/second.csv");
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_THAT(second.err, HasSubstr("50 records archived (0 new)"));

    // The memory gained five records.
    const sim::InstrumentMemory more = memoryOf(55, 8);
    memory.records.insert(memory.records.end(), more.records.begin(), more.records.begin() + 5);
    memory.countRecords();
    startSim(memory);
    CliResult third = readout(sandboxFolder() + "/third.csv");
    ASSERT_EQ(third.status, 0) << third.err;
    EXPECT_THAT(third.err, HasSubstr("55 records archived (5 new)"));

    const CliResult stats = archiveCommand({"stats"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    EXPECT_EQ(statsValue(stats.out, "Records"), "55");
    EXPECT_EQ(statsValue(stats.out, "Readouts"), "3");
    EXPECT_EQ(statsValue(stats.out, "Instruments"), "1");
    EXPECT_EQ(statsValue(stats.out, "Last sync"), "never");
    EXPECT_EQ(archiveCommand({"check"}).out, "ok\n");
    const CliResult list = archiveCommand({"list"});
    ASSERT_EQ(lines(list.out).size(), 56u);
    EXPECT_EQ(lines(list.out)[0], "Instrument\tCustomer\tDate\tLines");
}

TEST_F(ArchiveCli, AnExportOfOneReadoutIsThatReadoutsFile) {
    startSim(memoryOf(120, 3, 12));
    const std::vector<std::string> settings{
        "--headline", "--number-rows", "--units", "--date-layout", "2", "--decimal", "point"};
    const std::string readoutFile = sandboxFolder() + "/readout.csv";
    ASSERT_EQ(readout(readoutFile, 6, settings).status, 0);

    const std::string exported = sandboxFolder() + "/exported.csv";
    std::vector<std::string> args{"export",   "--format", "csv",
                                  "--output", exported,   "--no-timestamp"};
    args.insert(args.end(), settings.begin(), settings.end());
    const CliResult run = archiveCommand(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(exported), readFile(readoutFile));
    EXPECT_THAT(run.err, HasSubstr("rows exported to " + exported));
}

TEST_F(ArchiveCli, RecordsOfTwoInstrumentsExportTogetherWithTheirOwnSerialsAndFuels) {
    sim::InstrumentMemory a = memoryOf(30, 11, 3);
    sim::InstrumentMemory b = memoryOf(30, 12, 9);
    a.serial = "64000011";
    b.serial = "64000012";
    a.fuelNames = {"Heiz\xF6l EL", "Erdgas H", "Propan"};
    startSim(a, 6);
    startSim(b, 7);
    const std::vector<std::string> fields{"--fields", "0,1,2,3", "--headline", "--no-number-rows"};
    ASSERT_EQ(readout(sandboxFolder() + "/a.csv", 6, fields).status, 0);
    ASSERT_EQ(readout(sandboxFolder() + "/b.csv", 7, fields).status, 0);

    const std::string both = sandboxFolder() + "/both.csv";
    std::vector<std::string> args{"export", "--format", "csv", "--output", both};
    args.insert(args.end(), fields.begin(), fields.end());
    ASSERT_EQ(archiveCommand(args).status, 0);
    // Both readouts' rows, in the order they were read, each with its own serial and fuels.
    std::vector<std::string> expected = dataRows(readFile(sandboxFolder() + "/a.csv"));
    const std::vector<std::string> rowsB = dataRows(readFile(sandboxFolder() + "/b.csv"));
    expected.insert(expected.end(), rowsB.begin(), rowsB.end());
    EXPECT_EQ(dataRows(readFile(both)), expected);
    EXPECT_THAT(readFile(both), HasSubstr(",64000011,"));
    EXPECT_THAT(readFile(both), HasSubstr(",64000012,"));
    EXPECT_THAT(readFile(both), HasSubstr("\"Heiz\xF6l EL\""));

    // One instrument's records alone.
    const std::string onlyB = sandboxFolder() + "/only-b.csv";
    args = {"export", "--format", "csv", "--output", onlyB, "--instrument", "64000012"};
    args.insert(args.end(), fields.begin(), fields.end());
    ASSERT_EQ(archiveCommand(args).status, 0);
    EXPECT_EQ(dataRows(readFile(onlyB)), rowsB);
}

TEST_F(ArchiveCli, ListFiltersMatchLiterallyAndBadDatesAreUsageErrors) {
    sim::InstrumentMemory memory = memoryOf(40, 5);
    memory.records.push_back({"1;47%", "2;2312241530;1;1"});
    memory.records.push_back({"1;' OR '1'='1", "2;2312241531;1;1"});
    memory.countRecords();
    startSim(memory);
    ASSERT_EQ(readout(sandboxFolder() + "/r.csv").status, 0);

    CliResult list = archiveCommand({"list", "--customer", "47%"});
    EXPECT_EQ(list.out, "Instrument\tCustomer\tDate\tLines\n" + memory.serial +
                            "\t47%\t2023-12-24T15:30\t2\n");
    for (const char* nothing : {"47", "%", "' OR 1=1 --", "_"}) {
        list = archiveCommand({"list", "--customer", nothing});
        EXPECT_EQ(lines(list.out).size(), 1u) << nothing;
    }
    list = archiveCommand({"list", "--customer", "' OR '1'='1", "--instrument", memory.serial});
    EXPECT_EQ(lines(list.out).size(), 2u);

    list = archiveCommand({"list", "--from", "2023-12-24", "--to", "2023-12-24T15:30"});
    EXPECT_EQ(lines(list.out).size(), 2u);
    list = archiveCommand({"list", "--to", "2023-12-32"});
    EXPECT_EQ(list.status, 2);
    EXPECT_THAT(list.err, HasSubstr("is not a date"));

    list = archiveCommand({"list", "--archive", sandboxFolder() + "/none.sqlite"}, false);
    EXPECT_EQ(list.status, 5);
    EXPECT_THAT(list.err, HasSubstr("no archive there"));
    EXPECT_FALSE(fs::exists(sandboxFolder() + "/none.sqlite"));
}

TEST_F(ArchiveCli, ReadoutsKilledAtAnyMomentLeaveWholeReadoutsOnly) {
    startSim(memoryOf(400, 21));
    const CliResult whole = readout(sandboxFolder() + "/whole.csv");
    ASSERT_EQ(whole.status, 0) << whole.err;
    std::mt19937 random(17);
    int readouts = 1;
    for (int round = 0; round < 12; ++round) {
        CliProcess run({"readout", "--port", "6", "--format", "csv", "--output",
                        sandboxFolder() + "/killed.csv", "--archive", archive});
        if (round % 2 == 0) {
            // At a random moment of the readout.
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 1200));
        } else {
            // Once the archive's log has begun to grow: inside the archiving transaction.
            // The log may go between two looks at it (SQLite removes it at the end), so its
            // size is asked without an exception.
            const auto logSize = [&] {
                std::error_code gone;
                const std::uintmax_t size = fs::file_size(archive + "-wal", gone);
                return gone ? 0 : size;
            };
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (std::chrono::steady_clock::now() < deadline && logSize() <= 64 * 1024)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        kill(run.pid(), SIGKILL);
        run.finish();

        const CliResult check = archiveCommand({"check"});
        ASSERT_EQ(check.status, 0) << check.out << check.err;
        const CliResult stats = archiveCommand({"stats"});
        EXPECT_EQ(statsValue(stats.out, "Records"), "400");
        const int now = std::stoi(statsValue(stats.out, "Readouts"));
        EXPECT_TRUE(now == readouts || now == readouts + 1) << now;
        readouts = now;
    }
}

TEST_F(ArchiveCli, AFullDiskWhileArchivingLeavesTheExportWorkingAndSaysSo) {
    startSim(memoryOf(10, 31));
    ASSERT_EQ(readout(sandboxFolder() + "/small.csv").status, 0);
    startSim(memoryOf(300, 32));

    const std::string output = sandboxFolder() + "/full.csv";
    CliProcess run({"readout", "--port", "6", "--format", "csv", "--output", output, "--fields",
                    "1,2", "--archive", archive},
                   48 * 1024);
    const CliResult result = run.finish();
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string message = "Fehler: The measurements could not be archived: " + archive;
    ASSERT_THAT(result.err, HasSubstr(message));
    EXPECT_EQ(result.err.find(message), result.err.rfind(message)) << "told once";
    EXPECT_THAT(result.err, Not(HasSubstr("records archived")));
    EXPECT_THAT(result.err, HasSubstr("rows exported to " + output));
    EXPECT_GT(dataRows(readFile(output)).size(), 300u);

    EXPECT_EQ(archiveCommand({"check"}).out, "ok\n");
    EXPECT_EQ(statsValue(archiveCommand({"stats"}).out, "Records"), "10");
}

TEST_F(ArchiveCli, CheckAndStatsReportDamage) {
    startSim(memoryOf(5, 41));
    ASSERT_EQ(readout(sandboxFolder() + "/r.csv").status, 0);
    archive::Archive::openFile(archive, false)
        .database()
        .execute("UPDATE record SET lines = CAST('1;0' AS BLOB) WHERE id = 3");
    CliResult check = archiveCommand({"check"});
    EXPECT_EQ(check.status, 5);
    EXPECT_EQ(check.out, "record 3: its lines do not match its identity\n");

    writeFile(archive, std::string(10000, 'x'));
    check = archiveCommand({"check"});
    EXPECT_EQ(check.status, 5);
    EXPECT_THAT(check.err, HasSubstr("file is not a database"));
}

// A named archive file that is not there is a mistake (a mistyped path, a stick not mounted):
// sync says so before it reaches for the server and makes nothing.
TEST_F(ArchiveCli, SyncRefusesANamedArchiveThatIsNotThere) {
    const std::string nowhere = "host=" + sandboxFolder() + "/no-server dbname=ovena";
    const std::string missing = sandboxFolder() + "/stick/archive.sqlite";
    const CliResult sync = runCli({"archive", "sync", "--archive", missing, "--server", nowhere});
    EXPECT_EQ(sync.status, 5);
    EXPECT_EQ(sync.err, "ovena-cli archive sync: " + missing + ": no archive there\n");
    EXPECT_FALSE(fs::exists(sandboxFolder() + "/stick"));

    // The workstation's own archive is made on first use, as before.
    const CliResult own = runCli({"archive", "sync", "--server", nowhere});
    EXPECT_EQ(own.status, 5);
    EXPECT_THAT(own.err, HasSubstr("cannot connect to the server"));
    EXPECT_TRUE(fs::exists(archive::defaultArchiveFile()));
}

class ArchiveServerCli : public ArchiveCli {
protected:
    void SetUp() override {
        ArchiveCli::SetUp();
        if (!server.running())
            GTEST_SKIP() << "no PostgreSQL server could start: " << server.failure();
    }

    PostgresServer server;
};

// An archive of many readouts, made directly.
void fillArchive(const std::string& file, int readouts, int records) {
    archive::Archive a = archive::Archive::openFile(file, true);
    for (int r = 0; r < readouts; ++r) {
        const sim::InstrumentMemory memory = memoryOf(records, 100 + r);
        archive::ReadoutInfo info;
        info.startedAt = "2024-05-01T10:00:00Z";
        info.instrumentSerial = memory.serial;
        info.fuelNames = memory.fuelNames;
        a.store(info, memory.records);
    }
}

TEST_F(ArchiveServerCli, ASyncCutOffRunsAgainToCompletion) {
    fillArchive(archive, 30, 1000);
    const std::string conninfo = server.conninfo();
    {
        CliProcess sync({"archive", "sync", "--server", conninfo, "--archive", archive});
        // Until the server holds part of it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string count =
                server.sql("SELECT count(*) FROM pg_tables WHERE tablename = 'record'");
            if (count == "1\n" && server.sql("SELECT count(*) > 0 FROM record") == "t\n")
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill(sync.pid(), SIGKILL);
        sync.finish();
    }
    const int part = std::stoi(server.sql("SELECT count(*) FROM record"));
    EXPECT_GT(part, 0);

    const CliResult again = archiveCommand({"sync", "--server", conninfo});
    ASSERT_EQ(again.status, 0) << again.err;
    archive::Archive local = archive::Archive::openFile(archive, false);
    archive::Archive remote = archive::Archive::openServer(conninfo);
    EXPECT_EQ(remote.countRecords({}), local.countRecords({}));
    EXPECT_EQ(remote.stats().readouts, 30);
    EXPECT_THAT(remote.check(), testing::IsEmpty());
    EXPECT_THAT(archiveCommand({"sync", "--server", conninfo}).err,
                HasSubstr("0 readouts and 0 records sent"));
}

TEST_F(ArchiveServerCli, ListAndExportRunAgainstTheServerOfTheSettings) {
    startSim(memoryOf(60, 51));
    ASSERT_EQ(readout(sandboxFolder() + "/r.csv").status, 0);
    SettingsStore store(settingsFile());
    store.load();
    store.writeString("Software\\TEV\\Ovena\\Archive", "Server", server.conninfo());
    ASSERT_TRUE(store.save());

    CliResult sync = archiveCommand({"sync"});
    ASSERT_EQ(sync.status, 0) << sync.err;
    EXPECT_THAT(sync.err, HasSubstr("1 readout and 60 records sent to " + server.database() +
                                    " on " + server.socketFolder() + " (60 new there)"));

    const CliResult local = archiveCommand({"list"});
    const CliResult remote = archiveCommand({"list", "--server"}, false);
    ASSERT_EQ(remote.status, 0) << remote.err;
    EXPECT_EQ(remote.out, local.out);

    const std::string fromServer = sandboxFolder() + "/server.csv";
    ASSERT_EQ(runCli({"archive", "export", "--server", "--format", "csv", "--output", fromServer,
                      "--no-timestamp"})
                  .status,
              0);
    EXPECT_EQ(readFile(fromServer), readFile(sandboxFolder() + "/r.csv"));

    // A server out of reach: one line, nothing changed.
    const CliResult away = archiveCommand(
        {"sync", "--server", "host=" + server.socketFolder() + "/gone dbname=ovena"});
    EXPECT_EQ(away.status, 5);
    EXPECT_EQ(lines(away.err).size(), 1u) << away.err;
    EXPECT_THAT(away.err, HasSubstr("cannot connect to the server"));
    EXPECT_THAT(statsValue(archiveCommand({"stats"}).out, "Last sync"),
                HasSubstr("with " + server.database() + " on " + server.socketFolder()));
}

} // namespace
} // namespace ovena::test
