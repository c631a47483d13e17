#include "support/TcpForwarder.h"

#include <arpa/inet.h>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace ovena::test {

namespace {

int connectUnix(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Copies what is there; false when either side ended.
bool pass(int from, int to) {
    char buffer[16384];
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got <= 0)
        return false;
    for (ssize_t sent = 0; sent < got;) {
        const ssize_t n = ::write(to, buffer + sent, static_cast<std::size_t>(got - sent));
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

} // namespace

TcpForwarder::TcpForwarder(std::string unixSocket) : target_(std::move(unixSocket)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("the forwarder cannot listen");
    port_ = ntohs(address.sin_port);
    wake_ = ::eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
}

TcpForwarder::~TcpForwarder() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
    thread_.join();
    ::close(wake_);
    ::close(listener_);
}

std::string TcpForwarder::hostAndPort() const {
    return "host=127.0.0.1 port=" + std::to_string(port_);
}

void TcpForwarder::stopAnswering() {
    silent_ = true;
}

void TcpForwarder::run() {
    // Each connection: the client's end and the server's (-1 while held without one).
    std::vector<std::pair<int, int>> links;
    for (;;) {
        const bool silent = silent_;
        std::vector<pollfd> fds{{wake_, POLLIN, 0}, {listener_, POLLIN, 0}};
        if (!silent)
            for (const auto& [client, server] : links)
                fds.insert(fds.end(), {{client, POLLIN, 0}, {server, POLLIN, 0}});
        // Looks again now and then, so a change to silence takes effect at once.
        if (::poll(fds.data(), fds.size(), 20) < 0)
            continue;
        if (fds[0].revents)
            break;
        if (fds[1].revents) {
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0)
                links.emplace_back(client, silent_ ? -1 : connectUnix(target_));
        }
        for (std::size_t i = 2; i < fds.size(); i += 2) {
            auto& [client, server] = links[(i - 2) / 2];
            const bool open = (!fds[i].revents || pass(client, server)) &&
                              (!fds[i + 1].revents || pass(server, client));
            if (!open && !silent_) {
                ::close(client);
                ::close(server);
                client = server = -1;
            }
        }
        std::erase_if(links, [](const auto& link) { return link.first < 0; });
    }
    for (const auto& [client, server] : links) {
        ::close(client);
        if (server >= 0)
            ::close(server);
    }
}

} // namespace ovena::test
