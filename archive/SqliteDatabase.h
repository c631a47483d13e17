#pragma once

#include "archive/Database.h"

#include <memory>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace ovena::archive {

// The archive file on the workstation: SQLite in write-ahead-log mode with full synchronous
// commits, so a crash or a power loss keeps every committed transaction and none in part;
// foreign keys enforced; a busy time-out, so the window and ovena-cli can use the file at the
// same time. Prepared statements are kept for the life of the connection.
class SqliteDatabase : public Database {
public:
    enum class Mode {
        Create,   // creates the file (and its folder) when missing
        Existing, // fails when the file does not exist
    };

    // How long a statement waits for another program's lock before it fails as "locked".
    static constexpr int BusyTimeoutMs = 10000;

    SqliteDatabase(const std::string& path, Mode mode);
    ~SqliteDatabase() override;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    Dialect dialect() const override { return Dialect::SQLite; }
    std::string location() const override { return path_; }

    void executeWith(std::string_view sql, Params params) override;
    void queryWith(std::string_view sql, Params params, const RowHandler& onRow) override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;

    // The file and its write-ahead log, in bytes.
    std::int64_t sizeOnDisk() const;

private:
    sqlite3_stmt* prepared(std::string_view sql);
    void run(sqlite3_stmt* statement, Params params, const RowHandler* onRow);
    [[noreturn]] void fail(int code) const;

    std::string path_;
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

} // namespace ovena::archive
