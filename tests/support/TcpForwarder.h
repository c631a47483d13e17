#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace ovena::test {

// A TCP port on 127.0.0.1 that forwards every connection to a Unix socket (a private
// PostgreSQL server's), on a thread of its own, until it is told to stop answering: from then on
// it keeps every connection open, new ones too, and forwards nothing, as a server that hangs or
// a network that drops everything.
class TcpForwarder {
public:
    explicit TcpForwarder(std::string unixSocket);
    ~TcpForwarder();
    TcpForwarder(const TcpForwarder&) = delete;
    TcpForwarder& operator=(const TcpForwarder&) = delete;

    int port() const { return port_; }
    // "host=127.0.0.1 port=N"
    std::string hostAndPort() const;
    void stopAnswering();

private:
    void run();

    std::string target_;
    int listener_ = -1;
    int wake_ = -1;
    int port_ = 0;
    std::atomic<bool> silent_{false};
    std::thread thread_;
};

// The Unix socket of a PostgresServer in `socketFolder`.
inline std::string postgresSocket(const std::string& socketFolder) {
    return socketFolder + "/.s.PGSQL.5432";
}

} // namespace ovena::test
