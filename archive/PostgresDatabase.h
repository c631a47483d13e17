#pragma once

#include "archive/Database.h"

#include <chrono>
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

// The wait for the server ended early because its caller asked so.
class ArchiveCancelled : public ArchiveError {
public:
    ArchiveCancelled() : ArchiveError("the wait for the company server was cancelled") {}
};

// How long the server may keep the program waiting, and what ends a wait early. A server that
// does not answer in time, or a cancel, closes the connection (the server rolls back what was
// open) and throws: ArchiveError "the company server did not answer within 30 s", or
// ArchiveCancelled.
struct ServerWaits {
    // Connecting, when the connection string sets no connect_timeout.
    std::chrono::milliseconds connect = std::chrono::seconds(10);
    // Each statement, from sending it to its last row.
    std::chrono::milliseconds statement = std::chrono::seconds(30);
    // Readable when the wait is to end (a CancelSignal's descriptor); -1 for none.
    int cancelFd = -1;
};

// An archive on a PostgreSQL server, through libpq. The connection string is libpq's own
// ("host=archive.example.com dbname=ovena user=tech sslmode=verify-full"); passwords come from
// libpq's password file or its environment, never from the program. Results are read in
// binary form, rows one at a time, so large exports stream. Unless the connection string says
// otherwise, TCP keepalives are on, so a server that went away is noticed on an idle connection.
class PostgresDatabase : public Database {
public:
    // Connects; throws ArchiveError with libpq's reason when the server cannot be reached.
    explicit PostgresDatabase(const std::string& conninfo, ServerWaits waits = {});
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
    using Deadline = std::chrono::steady_clock::time_point;

    void send(std::string_view sql, Params params, bool rowByRow);
    void flush(Deadline deadline);
    void awaitResult(Deadline deadline);
    // Waits until the socket is ready for `events` (poll's); past the deadline or on a cancel
    // it closes the connection and throws.
    void awaitSocket(short events, Deadline deadline, std::chrono::milliseconds limit);
    void connected() const;
    [[noreturn]] void failConnection(const std::string& what) const;

    pg_conn* conn_ = nullptr;
    ServerWaits waits_;
    std::string location_;
};

} // namespace ovena::archive
