#include "archive/Sync.h"

#include "archive/Measurements.h"
#include "archive/RegisterSync.h"
#include "archive/RowInserts.h"
#include "archive/Schema.h"
#include "archive/Workstation.h"

#include <algorithm>
#include <optional>

namespace ovena::archive {

namespace {

// Records per server transaction.
constexpr std::int64_t BatchRecords = 5000;
// A transaction that lost a race (a deadlock between two workstations) runs again.
constexpr int Attempts = 5;

struct ReadoutRow {
    std::string uid, startedAt, workstation, user, port, serial, fuelNames, outcome;
    std::int64_t recordCount = 0;
};

struct RecordRow {
    std::string digest, serial, customer;
    std::optional<std::string> measuredAt;
    std::string fuel, lineTypes;
    std::int64_t lineCount = 0;
    std::string lines, readoutUid;
    std::int64_t firstPosition = 0;
};

struct LinkRow {
    std::string uid;
    std::int64_t position = 0;
    std::string digest;
};

struct Batch {
    std::int64_t lastReadout = 0;
    std::vector<ReadoutRow> readouts;
    std::vector<RecordRow> records; // by digest, so concurrent workstations insert in one order
    std::vector<LinkRow> links;
};

// The readouts after `after`, up to about BatchRecords records (at least one readout); no
// value when there is none.
std::optional<Batch> nextBatch(Database& local, std::int64_t after) {
    std::int64_t upTo = 0, records = 0;
    bool full = false;
    local.query("SELECT id, record_count FROM readout WHERE id > $1 ORDER BY id LIMIT 1000",
                {after}, [&](const SqlRow& row) {
                    full = full || (upTo != 0 && records + row.integer(1) > BatchRecords);
                    if (full)
                        return;
                    upTo = row.integer(0);
                    records += row.integer(1);
                });
    if (upTo == 0)
        return std::nullopt;

    Batch batch;
    batch.lastReadout = upTo;
    local.query("SELECT uid, started_at, workstation, user_name, port, instrument_serial,"
                " fuel_names, outcome, record_count FROM readout"
                " WHERE id > $1 AND id <= $2 ORDER BY id",
                {after, upTo}, [&](const SqlRow& row) {
                    batch.readouts.push_back({row.text(0), row.text(1), row.text(2), row.text(3),
                                              row.text(4), row.text(5), row.text(6), row.text(7),
                                              row.integer(8)});
                });
    local.query("SELECT r.digest, r.instrument_serial, r.customer, r.measured_at, r.fuel,"
                " r.line_types, r.line_count, r.lines, ro.uid, r.first_position"
                " FROM record r JOIN readout ro ON ro.id = r.first_readout"
                " WHERE r.first_readout > $1 AND r.first_readout <= $2 ORDER BY r.digest",
                {after, upTo}, [&](const SqlRow& row) {
                    batch.records.push_back(
                        {row.text(0), row.text(1), row.text(2),
                         row.isNull(3) ? std::nullopt : std::optional<std::string>(row.text(3)),
                         row.text(4), row.text(5), row.integer(6), row.text(7), row.text(8),
                         row.integer(9)});
                });
    local.query("SELECT ro.uid, l.position, r.digest FROM readout_record l"
                " JOIN readout ro ON ro.id = l.readout JOIN record r ON r.id = l.record"
                " WHERE l.readout > $1 AND l.readout <= $2",
                {after, upTo}, [&](const SqlRow& row) {
                    batch.links.push_back({row.text(0), row.integer(1), row.text(2)});
                });
    return batch;
}

// Sends one batch in one transaction; answers how many of its records were new there.
std::int64_t sendBatch(Database& server, const Batch& batch) {
    Transaction transaction(server);
    insertRows(server,
               "INSERT INTO readout (uid, started_at, workstation, user_name, port,"
               " instrument_serial, fuel_names, outcome, record_count) VALUES ",
               " ON CONFLICT (uid) DO NOTHING",
               {"text", "text", "text", "text", "text", "bytea", "bytea", "text", "integer"},
               batch.readouts, [](const ReadoutRow& r, std::vector<SqlValue>& p) {
                   p.insert(p.end(), {Text{r.uid}, Text{r.startedAt}, Text{r.workstation},
                                      Text{r.user}, Text{r.port}, Bytes{r.serial},
                                      Bytes{r.fuelNames}, Text{r.outcome}, r.recordCount});
               });
    const std::int64_t newRecords = insertRows(
        server,
        "WITH sent AS (INSERT INTO record (digest, instrument_serial, customer, measured_at, fuel,"
        " line_types, line_count, lines, first_readout, first_position)"
        " SELECT v.digest, v.serial, v.customer, v.measured_at, v.fuel, v.line_types,"
        " v.line_count, v.lines, ro.id, v.first_position FROM (VALUES ",
        ") AS v (digest, serial, customer, measured_at, fuel, line_types, line_count, lines,"
        " readout_uid, first_position) JOIN readout ro ON ro.uid = v.readout_uid"
        " ORDER BY v.digest ON CONFLICT (digest) DO NOTHING RETURNING 1)"
        " SELECT count(*) FROM sent",
        {"bytea", "bytea", "bytea", "text", "bytea", "text", "integer", "bytea", "text", "integer"},
        batch.records, [](const RecordRow& r, std::vector<SqlValue>& p) {
            p.insert(p.end(), {Bytes{r.digest}, Bytes{r.serial}, Bytes{r.customer},
                               r.measuredAt ? SqlValue{Text{*r.measuredAt}} : SqlValue{nullptr},
                               Bytes{r.fuel}, Text{r.lineTypes}, r.lineCount, Bytes{r.lines},
                               Text{r.readoutUid}, r.firstPosition});
        });
    insertRows(server,
               "INSERT INTO readout_record (readout, position, record)"
               " SELECT ro.id, v.position, r.id FROM (VALUES ",
               ") AS v (uid, position, digest) JOIN readout ro ON ro.uid = v.uid"
               " JOIN record r ON r.digest = v.digest ON CONFLICT DO NOTHING",
               {"text", "integer", "bytea"}, batch.links,
               [](const LinkRow& l, std::vector<SqlValue>& p) {
                   p.insert(p.end(), {Text{l.uid}, l.position, Bytes{l.digest}});
               });

    std::string uids = "{";
    for (const ReadoutRow& r : batch.readouts)
        uids += (uids.size() > 1 ? "," : "") + r.uid;
    uids += "}";
    // The records new on the server get their table rows there.
    const SqlValue batchReadouts[] = {Text{uids}};
    addMissingMeasurementRows(
        server, "r.first_readout IN (SELECT id FROM readout WHERE uid = ANY($1::text[]))",
        batchReadouts);

    // Every readout sent must be whole on the server, or nothing of the batch is kept.
    const std::int64_t incomplete = server.queryInteger(
        "SELECT count(*) FROM readout ro WHERE ro.uid = ANY($1::text[]) AND ro.record_count <>"
        " (SELECT count(*) FROM readout_record l WHERE l.readout = ro.id)",
        {Text{uids}});
    if (incomplete > 0)
        throw ArchiveError(server.location() + ": " + std::to_string(incomplete) +
                           " readouts would be incomplete on the server; nothing was sent");
    transaction.commit();
    return newRecords;
}

void remember(Database& local, const std::string& serverArchive, const std::string& server,
              std::int64_t lastReadout) {
    const std::string now = utcTimestamp();
    local.execute("INSERT INTO server_sync (server_archive, server, last_readout, synced_at)"
                  " VALUES ($1, $2, $3, $4) ON CONFLICT (server_archive) DO UPDATE SET"
                  " server = excluded.server, last_readout = excluded.last_readout,"
                  " synced_at = excluded.synced_at",
                  {Text{serverArchive}, Text{server}, lastReadout, Text{now}});
}

} // namespace

std::string SyncResult::text() const {
    const auto counted = [](int n, const char* what) {
        return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    return counted(readouts, "readout") + " and " + counted(records, "record") + " sent to " +
           server + " (" + std::to_string(newRecords) + " new there)" +
           (registerSent + registerReceived > 0
                ? "; " + counted(registerSent, "register change") + " sent, " +
                      std::to_string(registerReceived) + " received"
                : "");
}

SyncResult pushToServer(Archive& localArchive, Archive& serverArchive,
                        const std::function<void(std::int64_t records)>& sending) {
    Database& local = localArchive.database();
    Database& server = serverArchive.database();
    if (local.dialect() != Dialect::SQLite || server.dialect() != Dialect::PostgreSQL)
        throw ArchiveError("an archive file synchronises with a server, not otherwise");
    SyncResult result;
    result.server = server.location();
    const std::string serverId = archiveIdentity(server);
    std::int64_t last = local.queryInteger(
        "SELECT last_readout FROM server_sync WHERE server_archive = $1", {Text{serverId}});
    if (sending)
        sending(local.queryInteger("SELECT count(*) FROM record WHERE first_readout > $1", {last}));
    while (std::optional<Batch> batch = nextBatch(local, last)) {
        for (int attempt = 1;; ++attempt) {
            try {
                result.newRecords += static_cast<int>(sendBatch(server, *batch));
                break;
            } catch (const ServerError& e) {
                if (!e.canRetry() || attempt == Attempts)
                    throw;
            }
        }
        last = batch->lastReadout;
        remember(local, serverId, result.server, last);
        result.readouts += static_cast<int>(batch->readouts.size());
        result.records += static_cast<int>(batch->records.size());
    }
    remember(local, serverId, result.server, last);
    const RegisterSyncResult plants = syncRegister(local, server);
    result.registerSent = plants.sent;
    result.registerReceived = plants.received;
    return result;
}

} // namespace ovena::archive
