#include "archive/RegisterSync.h"

#include "archive/RegisterVersions.h"
#include "archive/RowInserts.h"
#include "archive/Schema.h"

#include <vector>

namespace ovena::archive {

namespace {

// Versions taken from the server per workstation transaction.
constexpr std::int64_t ReceiveBatch = 5000;

struct Progress {
    std::int64_t lastSent = 0;     // the last local version looked at for sending
    std::int64_t lastReceived = 0; // the last server version received
};

Progress progressWith(Database& local, const std::string& serverArchive) {
    Progress progress;
    local.query("SELECT last_sent, last_received FROM register_sync WHERE server_archive = $1",
                {Text{serverArchive}}, [&](const SqlRow& row) {
                    progress = {row.integer(0), row.integer(1)};
                });
    return progress;
}

void remember(Database& local, const std::string& serverArchive, const Progress& progress) {
    local.execute("INSERT INTO register_sync (server_archive, last_sent, last_received)"
                  " VALUES ($1, $2, $3) ON CONFLICT (server_archive) DO UPDATE SET"
                  " last_sent = excluded.last_sent, last_received = excluded.last_received",
                  {Text{serverArchive}, progress.lastSent, progress.lastReceived});
}

// Sends the versions made or received here after `progress.lastSent`, except those that came
// from this server; answers how many the server did not hold.
int send(Database& local, Database& server, const std::string& serverArchive, Progress& progress) {
    std::vector<StoredVersion> versions;
    std::int64_t lastSeen = progress.lastSent;
    local.query("SELECT id, origin, " + std::string(VersionColumns) +
                    " FROM register_version WHERE id > $1 ORDER BY id",
                {progress.lastSent}, [&](const SqlRow& row) {
                    lastSeen = row.integer(0);
                    if (row.bytes(1) != serverArchive)
                        versions.push_back(versionOf(row, 2));
                });
    std::int64_t sent = 0;
    if (!versions.empty()) {
        Transaction transaction(server);
        lockVersions(server);
        sent = insertRows(
            server,
            "WITH sent AS (INSERT INTO register_version (" + std::string(VersionColumns) +
                ") VALUES ",
            " ON CONFLICT (uid) DO NOTHING RETURNING 1) SELECT count(*) FROM sent",
            {"text", "text", "bytea", "text", "text", "text", "integer", "text", "text", "text"},
            versions, [](const StoredVersion& v, std::vector<SqlValue>& p) {
                p.insert(p.end(), {Text{v.uid}, Text{v.entity}, Bytes{v.key}, Text{v.changedAt},
                                   Text{v.workstation}, Text{v.user}, std::int64_t{v.deleted},
                                   Text{v.content}, Text{v.nameKey}, Text{v.addressKey}});
            });
        transaction.commit();
    }
    progress.lastSent = lastSeen;
    remember(local, serverArchive, progress);
    return static_cast<int>(sent);
}

// Takes the server's versions after `progress.lastReceived`; answers how many were new here.
int receive(Database& local, Database& server, const std::string& serverArchive,
            Progress& progress) {
    int received = 0;
    for (;;) {
        std::vector<StoredVersion> versions;
        std::int64_t last = progress.lastReceived;
        server.query("SELECT id, " + std::string(VersionColumns) +
                         " FROM register_version WHERE id > $1 ORDER BY id LIMIT $2",
                     {progress.lastReceived, ReceiveBatch}, [&](const SqlRow& row) {
                         last = row.integer(0);
                         versions.push_back(versionOf(row, 1));
                     });
        if (versions.empty())
            return received;
        Transaction transaction(local);
        for (const StoredVersion& v : versions)
            received += insertVersion(local, v, serverArchive) ? 1 : 0;
        progress.lastReceived = last;
        remember(local, serverArchive, progress);
        transaction.commit();
    }
}

} // namespace

RegisterSyncResult syncRegister(Database& local, Database& server) {
    if (local.dialect() != Dialect::SQLite || server.dialect() != Dialect::PostgreSQL)
        throw ArchiveError("an archive file synchronises with a server, not otherwise");
    const std::string serverArchive = archiveIdentity(server);
    Progress progress = progressWith(local, serverArchive);
    RegisterSyncResult result;
    result.sent = send(local, server, serverArchive, progress);
    result.received = receive(local, server, serverArchive, progress);
    return result;
}

} // namespace ovena::archive
