#pragma once

#include <string>
#include <sys/types.h>

namespace ovena::test {

// A private PostgreSQL server for one test process: a cluster made with initdb in a new folder
// under /tmp, reached only through a Unix socket in that folder (no TCP port), trusted local
// logins. When the tests run as root (as CI does), the server runs as an unprivileged user
// ("postgres", else "nobody"), since PostgreSQL refuses to run as root; the tests connect over
// its socket all the same. It stops (immediately) and its folder goes when the object goes,
// and it stops too when the test process dies.
class PostgresServer {
public:
    // The superuser's name and the database made for the tests.
    static constexpr const char* Superuser = "ovena";
    static constexpr const char* Database = "ovena";

    // `durable` keeps PostgreSQL's fsync on (for benchmarks); tests leave it off.
    explicit PostgresServer(bool durable = false);
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Whether the server runs; when not, why (for the test's skip message).
    bool running() const { return pid_ > 0; }
    const std::string& failure() const { return failure_; }

    // A libpq connection string for the database as the user.
    std::string conninfo(const std::string& database = Database,
                         const std::string& user = Superuser) const;
    // The folder of the socket.
    const std::string& socketFolder() const { return folder_; }

    // Runs SQL with psql as the superuser; answers its output, throws with psql's messages
    // when it fails.
    std::string sql(const std::string& statements, const std::string& database = Database) const;

private:
    void start(bool durable);

    std::string bin_;
    std::string folder_;
    std::string failure_;
    pid_t pid_ = -1;
};

} // namespace ovena::test
