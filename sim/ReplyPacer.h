#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace ovena::sim {

// Schedules the bytes of the replies: each reply starts after the latency, and its bytes follow
// one another at the byte time of the baud rate (10 bits a byte) or at the drip interval. Every
// byte has an absolute deadline counted from the start of its reply, so the rate stays exact
// however late the program is woken. Without a pace all bytes of a reply are due at once.
class ReplyPacer {
public:
    using Clock = std::chrono::steady_clock;

    struct Pace {
        std::optional<int> baud;
        std::chrono::milliseconds latency{0};
        std::chrono::milliseconds drip{0}; // wins over the baud rate when set
    };

    explicit ReplyPacer(const Pace& pace) : pace_(pace) {}

    void queue(const std::string& bytes, Clock::time_point now);
    bool empty() const { return replies_.empty(); }
    // When the next byte is due; only when not empty.
    Clock::time_point nextDue() const;
    // The bytes due at `now`, in order.
    std::string due(Clock::time_point now) const;
    // Removes the first `count` bytes, which have been sent.
    void sent(std::size_t count);

private:
    struct Reply {
        std::string bytes;
        std::size_t next = 0;
        Clock::time_point start;
    };

    Clock::duration offset(std::size_t index) const;

    Pace pace_;
    std::deque<Reply> replies_;
    Clock::time_point lineFree_{};
};

} // namespace ovena::sim
