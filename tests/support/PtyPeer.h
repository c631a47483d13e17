#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ovena::test {

// The other end of a serial line: the master side of a pseudo-terminal, registered as COM port
// n through a link in the ports folder. It can send bytes at once, or answer every command
// (the bytes up to a carriage return) from a thread, piece by piece.
class PtyPeer {
public:
    struct Piece {
        std::chrono::milliseconds delay{0}; // waited before the bytes are sent
        std::string bytes;
        bool hangUp = false; // close the line instead of sending
    };
    using Script = std::function<std::vector<Piece>(const std::string& command)>;

    // comNr 0 registers no link.
    explicit PtyPeer(int comNr);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& device() const { return device_; }
    void send(std::string_view bytes);
    // The bytes that arrived from the program so far, waiting up to `wait` for the first.
    std::string receive(std::chrono::milliseconds wait = std::chrono::milliseconds(200));
    // Closes the master side: the program's end sees a hang-up.
    void hangUp();

    // Answers every command from a thread until the peer ends.
    void respond(Script script);
    // The commands answered so far, without their carriage returns.
    std::vector<std::string> commands() const;

private:
    void serve(Script script);

    std::atomic<int> master_{-1};
    int stopPipe_[2] = {-1, -1};
    std::string device_;
    std::string link_;
    std::thread responder_;
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
};

// The number of descriptors this process holds open.
int openDescriptorCount();

} // namespace ovena::test
