#include "ReplyPacer.h"

#include <algorithm>

namespace ovena::sim {

ReplyPacer::Clock::duration ReplyPacer::offset(std::size_t index) const {
    const auto count = static_cast<std::int64_t>(index);
    if (pace_.drip.count() > 0)
        return count * pace_.drip;
    if (pace_.baud)
        return std::chrono::nanoseconds(count * 10'000'000'000LL / *pace_.baud);
    return Clock::duration::zero();
}

void ReplyPacer::queue(const std::string& bytes, Clock::time_point now) {
    if (bytes.empty())
        return;
    Clock::time_point start = now + pace_.latency;
    // A reply waits until the line has carried the last byte of the one before it.
    start = std::max(start, lineFree_);
    lineFree_ = start + offset(bytes.size());
    replies_.push_back({bytes, 0, start});
}

ReplyPacer::Clock::time_point ReplyPacer::nextDue() const {
    const Reply& first = replies_.front();
    return first.start + offset(first.next);
}

std::string ReplyPacer::due(Clock::time_point now) const {
    std::string bytes;
    for (const Reply& reply : replies_) {
        std::size_t index = reply.next;
        while (index < reply.bytes.size() && reply.start + offset(index) <= now)
            bytes += reply.bytes[index++];
        if (index < reply.bytes.size())
            break;
    }
    return bytes;
}

void ReplyPacer::sent(std::size_t count) {
    while (count > 0 && !replies_.empty()) {
        Reply& first = replies_.front();
        const std::size_t step = std::min(count, first.bytes.size() - first.next);
        first.next += step;
        count -= step;
        if (first.next == first.bytes.size())
            replies_.pop_front();
    }
}

} // namespace ovena::sim
