#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace ovena::test {

using namespace std::chrono_literals;

// A small serial client for the simulator's device: opens it by path, raw 9600 8N1 like the
// program's serial port, writes commands ended by a carriage return and reads replies with
// poll and a deadline. Bytes after a carriage return stay for the next reply.
class DeviceClient {
public:
    using Clock = std::chrono::steady_clock;

    struct Reply {
        std::string text;      // the bytes before the carriage return (or all that came)
        bool complete = false; // the carriage return arrived in time
    };
    struct TimedByte {
        char byte;
        Clock::time_point at;
    };

    explicit DeviceClient(const std::string& device);
    ~DeviceClient();
    DeviceClient(const DeviceClient&) = delete;
    DeviceClient& operator=(const DeviceClient&) = delete;

    int fd() const { return fd_; }

    void send(const std::string& command);
    Reply reply(std::chrono::milliseconds limit = 2s);
    // send, then reply: the reply text; an incomplete reply fails the test.
    std::string exchange(const std::string& command);

    // Up to `count` bytes with the moment each was read, within the limit.
    std::vector<TimedByte> timedBytes(std::size_t count, std::chrono::milliseconds limit);
    // Whether the device hangs up within the limit (POLLHUP, end of file or EIO).
    bool hangsUp(std::chrono::milliseconds limit);

private:
    bool readSome(Clock::time_point deadline);

    int fd_ = -1;
    std::vector<TimedByte> timed_;
};

} // namespace ovena::test
