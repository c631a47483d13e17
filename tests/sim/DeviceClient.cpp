#include "DeviceClient.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace ovena::test {

DeviceClient::DeviceClient(const std::string& device) {
    fd_ = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        throw std::runtime_error("cannot open " + device);
    termios settings{};
    tcgetattr(fd_, &settings);
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&settings, B9600);
    tcsetattr(fd_, TCSANOW, &settings);
}

DeviceClient::~DeviceClient() {
    close(fd_);
}

void DeviceClient::send(const std::string& command) {
    const std::string frame = command + "\r";
    ASSERT_EQ(write(fd_, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
}

bool DeviceClient::readSome(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd pfd{fd_, POLLIN, 0};
    if (left <= 0 || poll(&pfd, 1, static_cast<int>(left)) <= 0 || !(pfd.revents & POLLIN))
        return false;
    char chunk[4096];
    const ssize_t count = read(fd_, chunk, sizeof chunk);
    if (count <= 0)
        return false;
    const auto now = Clock::now();
    for (ssize_t i = 0; i < count; ++i)
        timed_.push_back({chunk[i], now});
    return true;
}

DeviceClient::Reply DeviceClient::reply(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        for (std::size_t i = 0; i < timed_.size(); ++i)
            if (timed_[i].byte == '\r') {
                Reply reply{{}, true};
                for (std::size_t j = 0; j < i; ++j)
                    reply.text += timed_[j].byte;
                timed_.erase(timed_.begin(), timed_.begin() + static_cast<long>(i) + 1);
                return reply;
            }
        if (!readSome(deadline)) {
            Reply partial{{}, false};
            for (const TimedByte& b : timed_)
                partial.text += b.byte;
            timed_.clear();
            return partial;
        }
    }
}

std::string DeviceClient::exchange(const std::string& command) {
    send(command);
    const Reply answer = reply();
    EXPECT_TRUE(answer.complete) << "no complete reply to \"" << command << "\"";
    return answer.text;
}

std::vector<DeviceClient::TimedByte> DeviceClient::timedBytes(std::size_t count,
                                                              std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (timed_.size() < count && readSome(deadline)) {
    }
    std::vector<TimedByte> bytes(
        timed_.begin(), timed_.begin() + static_cast<long>(std::min(count, timed_.size())));
    timed_.erase(timed_.begin(), timed_.begin() + static_cast<long>(bytes.size()));
    return bytes;
}

bool DeviceClient::hangsUp(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd pfd{fd_, POLLIN, 0};
        if (left <= 0 || poll(&pfd, 1, static_cast<int>(left)) <= 0)
            return false;
        if (pfd.revents & POLLHUP)
            return true;
        char byte;
        const ssize_t count = read(fd_, &byte, 1);
        if (count == 0 || (count < 0 && errno == EIO))
            return true;
        if (count > 0)
            timed_.push_back({byte, Clock::now()});
    }
}

} // namespace ovena::test
