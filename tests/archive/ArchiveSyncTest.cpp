// Synchronising workstations' archive files with a PostgreSQL server that the test starts.

#include "ArchiveFixture.h"

#include "support/Locales.h"

#include "archive/Sync.h"
#include "platform/BackgroundWorker.h"
#include "support/TcpForwarder.h"

#include <gmock/gmock.h>

#include <chrono>
#include <thread>

namespace ovena::test {
namespace {

using namespace archive;
using testing::HasSubstr;

class ArchiveSync : public testing::Test {
protected:
    void SetUp() override {
        if (!server.running())
            GTEST_SKIP() << "no PostgreSQL server could start: " << server.failure();
    }

    Archive serverArchive(const std::string& user = PostgresServer::Superuser) {
        return Archive::openServer(server.conninfo({}, user));
    }

    PostgresServer server;
};

// Every record with its lines and fuel names, as read.
std::vector<std::string> contents(Archive& archive) {
    std::vector<std::string> all;
    archive.forEachRecord({}, {RecordColumn::FirstRead, false}, [&](const ArchivedRecord& r) {
        all.push_back(r.summary.instrumentSerial + "|" + joinLines(r.lines) + "|" +
                      joinLines(*r.fuelNames) + "|" + r.summary.workstation);
    });
    return all;
}

// Every table row with its date and values, in the store's order.
std::vector<std::string> tableRows(Archive& archive) {
    std::vector<std::string> rows;
    for (const ArchivedMeasurement& m : archive.listMeasurements({}, {})) {
        std::string row = std::to_string(m.row.position) + ":" + std::to_string(m.row.lineType) +
                          ":" + m.row.measuredAt.value_or("-");
        for (const std::optional<double>& value : m.row.values)
            row += value ? ";" + std::to_string(*value) : ";-";
        rows.push_back(row + (m.row.draft ? ";" + std::to_string(*m.row.draft) : ";-"));
    }
    return rows;
}

TEST_F(ArchiveSync, OnlyWhatTheServerLacksIsSentAndBothListTheSame) {
    Archive local = Archive::openFile(archiveFile(), true);
    const std::string hostile("1;\0'\";--\x80\xFF", 10);
    local.store(readoutOf("64000001"),
                recordsOf({customerRecord("1", "2312241530"), customerRecord("2", "2312241600"),
                           hostile + "|" + std::string(10000, '\xE4')}));
    local.store(readoutOf("64000001", {"Holz"}, "2024-05-02T08:00:00Z"),
                recordsOf({customerRecord("1", "2312241530"), customerRecord("3", "2312251000")}));

    Archive remote = serverArchive();
    SyncResult first = pushToServer(local, remote);
    EXPECT_EQ(first.readouts, 2);
    EXPECT_EQ(first.records, 4);
    EXPECT_EQ(first.newRecords, 4);
    EXPECT_EQ(contents(remote), contents(local));
    EXPECT_EQ(tableRows(remote), tableRows(local));
    EXPECT_EQ(remote.stats().readouts, 2);
    EXPECT_THAT(remote.check(), testing::IsEmpty());

    SyncResult again = pushToServer(local, remote);
    EXPECT_EQ(again.readouts, 0);
    EXPECT_EQ(again.records, 0);

    local.store(readoutOf("64000002", {"Holz"}, "2024-05-03T08:00:00Z"),
                recordsOf({customerRecord("1", "2312241530"), customerRecord("4", "2312271000")}));
    SyncResult third = pushToServer(local, remote);
    EXPECT_EQ(third.readouts, 1);
    EXPECT_EQ(third.newRecords, 2);
    EXPECT_EQ(contents(remote), contents(local));
    EXPECT_EQ(tableRows(remote), tableRows(local));
    const ArchiveStats stats = local.stats();
    EXPECT_FALSE(stats.lastSync.empty());
    EXPECT_EQ(stats.lastSyncServer, remote.location());

    // The same listing, filters and order from either store.
    RecordFilter filter;
    filter.customer = "1";
    const auto ids = [](const std::vector<RecordSummary>& records) {
        std::vector<std::string> keys;
        for (const auto& r : records)
            keys.push_back(r.instrumentSerial + r.measuredAt + r.firstReadAt);
        return keys;
    };
    EXPECT_EQ(ids(remote.listRecords(filter, {})), ids(local.listRecords(filter, {})));
    EXPECT_EQ(remote.countRecords(filter), 2);
}

// The window program runs in the desktop's C library locale, where printf writes "194,2" on a
// German one; the values of the table rows must still reach the server as the numbers they are.
TEST_F(ArchiveSync, ValuesReachTheServerExactlyInAProcessWithACommaDecimalCLocale) {
    const CommaDecimalProcessLocale german;
    if (!german.available())
        GTEST_SKIP() << german.failure();
    Archive local = Archive::openFile(archiveFile(), true);
    local.store(readoutOf("64000001"), recordsOf({customerRecord("1", "2312241530"),
                                                  customerRecord("2", "2312241600", 1, "0.1")}));
    Archive remote = serverArchive();
    EXPECT_EQ(pushToServer(local, remote).newRecords, 2);
    const std::vector<ArchivedMeasurement> sent = remote.listMeasurements({}, {});
    const std::vector<ArchivedMeasurement> kept = local.listMeasurements({}, {});
    ASSERT_EQ(sent.size(), kept.size());
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(sent[i].row.values, kept[i].row.values) << "row " << i;
}

TEST_F(ArchiveSync, TwoWorkstationsSyncingAtOnceGiveTheUnion) {
    // Both read the same instrument again and again; each also reads one of its own.
    const auto fill = [](const std::string& file, const std::string& own) {
        Archive archive = Archive::openFile(file, true);
        for (int readout = 0; readout < 12; ++readout) {
            std::vector<std::string> records;
            for (int i = 0; i < 40 * (readout + 1); ++i)
                records.push_back(customerRecord(std::to_string(i), "2312241530"));
            archive.store(readoutOf("64000001"), recordsOf(records));
            records.clear();
            for (int i = 0; i < 150; ++i)
                records.push_back(customerRecord(std::to_string(readout * 1000 + i), "2401011200"));
            archive.store(readoutOf(own), recordsOf(records));
        }
    };
    fill(archiveFile("a.sqlite"), "64000002");
    fill(archiveFile("b.sqlite"), "64000003");

    std::string errors[2];
    std::thread workstations[2];
    const char* files[2] = {"a.sqlite", "b.sqlite"};
    for (int w = 0; w < 2; ++w)
        workstations[w] = std::thread([&, w] {
            try {
                Archive local = Archive::openFile(archiveFile(files[w]), false);
                Archive remote = serverArchive();
                pushToServer(local, remote);
            } catch (const std::exception& e) {
                errors[w] = e.what();
            }
        });
    for (std::thread& t : workstations)
        t.join();
    EXPECT_EQ(errors[0], "");
    EXPECT_EQ(errors[1], "");

    Archive remote = serverArchive();
    EXPECT_EQ(remote.countRecords({}), 480 + 2 * 12 * 150);
    EXPECT_EQ(remote.stats().readouts, 2 * 24);
    EXPECT_THAT(remote.check(), testing::IsEmpty());
    RecordFilter shared;
    shared.instrument = "64000001";
    EXPECT_EQ(remote.countRecords(shared), 480);
}

TEST_F(ArchiveSync, ARoleThatMaySelectAndInsertIsEnough) {
    const std::string technician = server.database() + "_technician";
    server.sql("CREATE ROLE " + technician + " LOGIN");
    // Tables only the database's owner may create.
    try {
        serverArchive(technician);
        FAIL() << "a role without the right to create tables made them";
    } catch (const ArchiveError& e) {
        EXPECT_THAT(e.what(), HasSubstr("permission denied"));
    }
    serverArchive(); // the owner's first connection makes the tables
    server.sql("GRANT SELECT, INSERT ON ALL TABLES IN SCHEMA public TO " + technician);

    Archive local = Archive::openFile(archiveFile(), true);
    local.store(readoutOf("64000001"),
                recordsOf({customerRecord("1", "2312241530"), customerRecord("2", "2312241600")}));
    Archive remote = serverArchive(technician);
    EXPECT_EQ(pushToServer(local, remote).newRecords, 2);
    EXPECT_EQ(pushToServer(local, remote).readouts, 0);
    EXPECT_EQ(remote.countRecords({}), 2);
    EXPECT_THROW(remote.database().execute("DELETE FROM record"), ArchiveError);
}

TEST_F(ArchiveSync, AServerOutOfReachIsOneLineAndChangesNothing) {
    Archive local = Archive::openFile(archiveFile(), true);
    local.store(readoutOf("64000001"), recordsOf({customerRecord("1", "2312241530")}));
    try {
        Archive::openServer("host=" + server.socketFolder() + "/missing dbname=ovena user=ovena");
        FAIL() << "connected to no server";
    } catch (const ArchiveError& e) {
        const std::string message = e.what();
        EXPECT_THAT(message, HasSubstr("cannot connect to the server"));
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
    EXPECT_EQ(local.stats().lastSync, "");
    EXPECT_THAT(local.check(), testing::IsEmpty());
}

// A server that stops answering: before the connection is made, inside a sync, or while a
// cancel is asked for. Each wait ends at its deadline (or at the cancel) in words, and the
// workstation's archive stays as it was.
enum class Silence { BeforeConnecting, DuringSync, Cancelled };

std::string silenceName(Silence silence) {
    switch (silence) {
    case Silence::BeforeConnecting:
        return "BeforeConnecting";
    case Silence::DuringSync:
        return "DuringSync";
    case Silence::Cancelled:
        break;
    }
    return "Cancelled";
}

class SilentServer : public ArchiveSync, public testing::WithParamInterface<Silence> {};

TEST_P(SilentServer, EndsTheWaitInWordsAndKeepsTheArchive) {
    Archive local = Archive::openFile(archiveFile(), true);
    local.store(readoutOf("64000001"), recordsOf({customerRecord("1", "2312241530")}));
    TcpForwarder forwarder(postgresSocket(server.socketFolder()));
    CancelSignal cancel;
    const ServerWaits waits{std::chrono::milliseconds(400), std::chrono::milliseconds(400),
                            cancel.fd()};
    const std::string conninfo =
        forwarder.hostAndPort() + " dbname=" + server.database() + " user=ovena";
    if (GetParam() == Silence::BeforeConnecting)
        forwarder.stopAnswering();
    std::string message;
    std::thread canceller;
    const auto start = std::chrono::steady_clock::now();
    try {
        Archive remote = Archive::openServer(conninfo, waits);
        pushToServer(local, remote, [&](std::int64_t records) {
            EXPECT_EQ(records, 1);
            forwarder.stopAnswering();
            if (GetParam() == Silence::Cancelled)
                canceller = std::thread([&] { cancel.cancel(); });
        });
    } catch (const ArchiveError& e) {
        message = e.what();
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    if (canceller.joinable())
        canceller.join();
    EXPECT_EQ(message, GetParam() == Silence::Cancelled
                           ? "the wait for the company server was cancelled"
                           : "the company server did not answer within 0.4 s");
    EXPECT_LT(waited, std::chrono::seconds(5)) << "the wait has an end";
    EXPECT_EQ(local.stats().lastSync, "");
    EXPECT_THAT(local.check(), testing::IsEmpty());
    if (GetParam() != Silence::BeforeConnecting) {
        EXPECT_EQ(server.sql("SELECT count(*) FROM readout"), "0\n") << "nothing was kept there";
    }
}

INSTANTIATE_TEST_SUITE_P(, SilentServer,
                         testing::Values(Silence::BeforeConnecting, Silence::DuringSync,
                                         Silence::Cancelled),
                         [](const auto& info) { return silenceName(info.param); });

} // namespace
} // namespace ovena::test
