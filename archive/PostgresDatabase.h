#pragma once

#include "archive/Database.h"

#include <chrono>
#include <functional>
#include <string>

struct pg_conn;

namespace ovena::archive {

// A failure the server reported, with its SQLSTATE code ("40P01" a deadlock, "42P01" a missing
// table, "42501" a missing privilege).
class ServerError : public ArchiveError {
public:
    ServerError(const std::string& message, std::string state)
        : ArchiveError(message), state_(std::move(state)) {}
    const std::string& state() const { return state_; }
    // The transaction lost a race with another one and may simply run again.
    bool canRetry() const { return state_ == "40P01" || state_ == "40001"; }

private:
    std::string state_;
};

// Waits until the descriptor can be read (or written, when `forWrite`), or a moment has passed.
// The window passes one that keeps its events serviced while the server answers.
using SocketWait = std::function<void(int fd, bool forWrite)>;

// An archive on a PostgreSQL server, through libpq. The connection string is libpq's own
// ("host=archive.example.com dbname=ovena user=tech sslmode=verify-full"); passwords come from
// libpq's password file or its environment, never from the program. Results are read in
// binary form, rows one at a time, so large exports stream.
class PostgresDatabase : public Database {
public:
    // How long connecting may take when the connection string sets no connect_timeout.
    static constexpr std::chrono::seconds DefaultConnectTimeout{10};

    // Connects; throws ArchiveError with libpq's reason when the server cannot be reached.
    explicit PostgresDatabase(const std::string& conninfo, SocketWait wait = {});
    ~PostgresDatabase() override;
    PostgresDatabase(const PostgresDatabase&) = delete;
    PostgresDatabase& operator=(const PostgresDatabase&) = delete;

    Dialect dialect() const override { return Dialect::PostgreSQL; }
    std::string location() const override;

    void executeWith(std::string_view sql, Params params) override;
    void queryWith(std::string_view sql, Params params, const RowHandler& onRow) override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;

private:
    void send(std::string_view sql, Params params, bool rowByRow);
    void awaitResult();
    [[noreturn]] void failConnection(const std::string& what) const;

    pg_conn* conn_ = nullptr;
    SocketWait wait_;
};

} // namespace ovena::archive
