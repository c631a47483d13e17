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

    // Runs the timers that are due, without waiting.
    void processEvents() { service(-1, false); }
    // Waits until `readFd` is readable (when not negative) or the next timer is due, then runs
    // the timers that are due. Returns at once when no timer runs and no descriptor is given.
    void waitForEvents(int readFd) { service(readFd, true); }

private:
    struct Timer {
        int id;
        Clock::duration interval;
        Clock::time_point due;
        std::function<void()> onTick;
    };

    void service(int readFd, bool wait);
    void runDueTimers();

    std::vector<Timer> timers_;
    int nextId_ = 1;
};

} // namespace ovena
