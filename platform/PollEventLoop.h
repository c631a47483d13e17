#pragma once

#include <chrono>
#include <functional>
#include <vector>

namespace ovena {

// The event queue of a program without a window: interval timers and waiting on one
// descriptor with poll(2). It backs the terminal's UiServices and the tests' fake, so both wait
// for the instrument exactly as the desktop program does: asleep until a byte arrives or the
// next tick is due.
class PollEventLoop {
public:
    using Clock = std::chrono::steady_clock;

    int startTimer(std::chrono::milliseconds interval, std::function<void()> onTick);
    void stopTimer(int id);
    // Calls `onReadable` whenever the descriptor is readable when events are serviced.
    int watchDescriptor(int fd, std::function<void()> onReadable);
    void unwatchDescriptor(int id);

    // Runs the timers that are due and the watches whose descriptor is readable, without
    // waiting.
    void processEvents() { service(-1, false); }
    // Waits until `readFd` is readable (when not negative), a watched descriptor is readable or
    // the next timer is due, then runs what is due. Returns at once when no timer runs and no
    // descriptor is given.
    void waitForEvents(int readFd) { service(readFd, true); }

private:
    struct Timer {
        int id;
        Clock::duration interval;
        Clock::time_point due;
        std::function<void()> onTick;
    };

    struct Watch {
        int id;
        int fd;
        std::function<void()> onReadable;
    };

    void service(int readFd, bool wait);
    void runDueTimers();
    void runReadyWatches(const std::vector<int>& ready);

    std::vector<Timer> timers_;
    std::vector<Watch> watches_;
    int nextId_ = 1;
};

} // namespace ovena
