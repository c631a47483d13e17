#include "support/PtyPeer.h"

#include "platform/ConfigPaths.h"

#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

namespace ovena::test {

namespace fs = std::filesystem;

PtyPeer::PtyPeer(int comNr) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("cannot create a pseudo-terminal");
    device_ = ptsname(master_);
    if (pipe2(stopPipe_, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot create a pipe");
    if (comNr > 0) {
        fs::create_directories(portsFolder());
        link_ = portsFolder() + "/COM" + std::to_string(comNr);
        fs::remove(link_);
        fs::create_symlink(device_, link_);
    }
}

PtyPeer::~PtyPeer() {
    if (responder_.joinable()) {
        [[maybe_unused]] auto ignored = write(stopPipe_[1], "x", 1);
        responder_.join();
    }
    hangUp();
    close(stopPipe_[0]);
    close(stopPipe_[1]);
    if (!link_.empty()) {
        std::error_code error;
        fs::remove(link_, error);
    }
}

void PtyPeer::send(std::string_view bytes) {
    const int fd = master_;
    if (fd >= 0 && write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("cannot write to the pseudo-terminal");
}

std::string PtyPeer::receive(std::chrono::milliseconds wait) {
    std::string bytes;
    pollfd ready{master_, POLLIN, 0};
    int timeout = static_cast<int>(wait.count());
    while (ready.fd >= 0 && poll(&ready, 1, timeout) > 0 && (ready.revents & POLLIN)) {
        char buffer[256];
        const ssize_t got = read(ready.fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        timeout = 20; // what follows at once belongs to the same burst
    }
    return bytes;
}

void PtyPeer::hangUp() {
    if (const int fd = master_.exchange(-1); fd >= 0)
        close(fd);
}

void PtyPeer::respond(Script script) {
    responder_ = std::thread([this, script = std::move(script)] { serve(script); });
}

std::vector<std::string> PtyPeer::commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

void PtyPeer::serve(Script script) {
    std::string line;
    while (master_ >= 0) {
        pollfd ready[2] = {{master_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(ready, 2, -1) < 0 || ready[1].revents)
            return;
        char c;
        if (read(master_, &c, 1) != 1)
            return; // the program closed its end; wait for the stop request no longer
        if (c != '\r') {
            line += c;
            continue;
        }
        {
            std::lock_guard lock(mutex_);
            commands_.push_back(line);
        }
        for (const Piece& piece : script(line)) {
            std::this_thread::sleep_for(piece.delay);
            if (piece.hangUp) {
                hangUp();
                return;
            }
            send(piece.bytes);
        }
        line.clear();
    }
}

int openDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

} // namespace ovena::test
