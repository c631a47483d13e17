#pragma once

#include <string>

namespace ovena::test {

// A database of its own, for one test case, on a private PostgreSQL server that the cases of
// one test program share. The first case of the program makes the cluster with initdb in a
// folder under /tmp named after the program and the user and starts the server; the cases
// after it, in this process or in others running at the same time, find it running. A watcher
// process stops the server and removes the cluster once no case of the program uses it any
// more, also when cases crashed. The server is reached only through a Unix socket in that
// folder (no TCP port), with trusted local logins. When the tests run as root (as CI does), the
// server runs as an unprivileged user ("postgres", else "nobody"), since PostgreSQL refuses to
// run as root; the tests connect over its socket all the same. The database goes when the
// object goes. Roles belong to the whole server: a case names its own after its database.
class PostgresServer {
public:
    // The superuser's name.
    static constexpr const char* Superuser = "ovena";

    // `durable` keeps PostgreSQL's fsync on (for benchmarks), on a server of its own; tests
    // leave it off.
    explicit PostgresServer(bool durable = false);
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Whether the server runs and the database is made; when not, why (for the test's skip
    // message).
    bool running() const { return failure_.empty(); }
    const std::string& failure() const { return failure_; }

    // The database made for this object.
    const std::string& database() const { return database_; }
    // A libpq connection string for the database (this object's when empty) as the user.
    std::string conninfo(const std::string& database = {},
                         const std::string& user = Superuser) const;
    // The folder of the socket.
    const std::string& socketFolder() const { return socketFolder_; }

    // Runs SQL with psql as the superuser in the database (this object's when empty); answers
    // its output, throws with psql's messages when it fails.
    std::string sql(const std::string& statements, const std::string& database = {}) const;

private:
    void join(bool durable);
    void startServer(bool durable);

    std::string bin_;
    std::string socketFolder_;
    std::string database_;
    std::string failure_;
    int users_ = -1; // the lock file every user holds shared
};

} // namespace ovena::test
