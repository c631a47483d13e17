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

int PollEventLoop::watchDescriptor(int fd, std::function<void()> onReadable) {
    watches_.push_back({nextId_, fd, std::move(onReadable)});
    return nextId_++;
}

void PollEventLoop::unwatchDescriptor(int id) {
    std::erase_if(watches_, [id](const Watch& w) { return w.id == id; });
}

void PollEventLoop::service(int readFd, bool wait) {
    int timeoutMs = 0;
    if (wait && (readFd >= 0 || !timers_.empty())) {
        timeoutMs = -1;
        if (!timers_.empty()) {
            auto nextDue =
                std::min_element(timers_.begin(), timers_.end(),
                                 [](const Timer& a, const Timer& b) { return a.due < b.due; })
                    ->due;
            auto left = std::chrono::ceil<std::chrono::milliseconds>(nextDue - Clock::now());
            timeoutMs = static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
        }
    } else if (watches_.empty()) {
        runDueTimers();
        return;
    }
    std::vector<pollfd> fds;
    if (readFd >= 0)
        fds.push_back({readFd, POLLIN, 0});
    for (const Watch& w : watches_)
        fds.push_back({w.fd, POLLIN, 0});
    // EINTR simply ends the wait early; the caller services again.
    const int woken = poll(fds.data(), fds.size(), timeoutMs);
    std::vector<int> ready;
    for (std::size_t i = readFd >= 0 ? 1 : 0; woken > 0 && i < fds.size(); ++i)
        if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
            ready.push_back(fds[i].fd);
    runDueTimers();
    runReadyWatches(ready);
}

void PollEventLoop::runReadyWatches(const std::vector<int>& ready) {
    // By id: a handler may end watches, its own included.
    std::vector<int> ids;
    for (const Watch& w : watches_)
        if (std::find(ready.begin(), ready.end(), w.fd) != ready.end())
            ids.push_back(w.id);
    for (int id : ids) {
        auto it = std::find_if(watches_.begin(), watches_.end(),
                               [id](const Watch& w) { return w.id == id; });
        if (it == watches_.end())
            continue;
        auto onReadable = it->onReadable;
        onReadable();
    }
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
