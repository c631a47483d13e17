#include "PollEventLoop.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>

namespace ovena {

int PollEventLoop::startTimer(std::chrono::milliseconds interval, std::function<void()> onTick) {
    const auto step = std::max<Clock::duration>(interval, std::chrono::milliseconds(1));
    timers_.push_back({nextId_, step, Clock::now() + step, std::move(onTick)});
    return nextId_++;
}

void PollEventLoop::stopTimer(int id) {
    std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
}

void PollEventLoop::service(int readFd, bool wait) {
    if (wait && (readFd >= 0 || !timers_.empty())) {
        int timeoutMs = -1;
        if (!timers_.empty()) {
            auto nextDue =
                std::min_element(timers_.begin(), timers_.end(),
                                 [](const Timer& a, const Timer& b) { return a.due < b.due; })
                    ->due;
            auto left = std::chrono::ceil<std::chrono::milliseconds>(nextDue - Clock::now());
            timeoutMs = static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
        }
        pollfd pfd{readFd, POLLIN, 0};
        // EINTR simply ends the wait early; the caller services again.
        poll(readFd >= 0 ? &pfd : nullptr, readFd >= 0 ? 1 : 0, timeoutMs);
    }
    runDueTimers();
}

void PollEventLoop::runDueTimers() {
    const auto now = Clock::now();
    // Copy the ids first: a tick handler may start or stop timers.
    std::vector<int> due;
    for (const Timer& t : timers_)
        if (t.due <= now)
            due.push_back(t.id);
    for (int id : due) {
        auto it = std::find_if(timers_.begin(), timers_.end(),
                               [id](const Timer& t) { return t.id == id; });
        if (it == timers_.end())
            continue;
        // A timer fires once per service however late it is, like a toolkit timer; after a
        // long delay it keeps its rhythm from now on.
        it->due += it->interval;
        if (it->due <= now)
            it->due = now + it->interval;
        auto onTick = it->onTick;
        onTick();
    }
}

} // namespace ovena
