#include "platform/PollEventLoop.h"
#include "support/Timing.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using ovena::PollEventLoop;
using ovena::test::upTo;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(PollEventLoopTiming, TimerTicksWhileTheQueueIsServicedAndWaitsAsleep) {
    PollEventLoop loop;
    int ticks = 0;
    loop.startTimer(20ms, [&] { ++ticks; });
    const auto start = PollEventLoop::Clock::now();
    const double cpuBefore = cpuSeconds();
    while (ticks < 10)
        loop.waitForEvents(-1);
    const auto elapsed = PollEventLoop::Clock::now() - start;
    EXPECT_GE(elapsed, 190ms);
    EXPECT_LT(elapsed, upTo(400ms));
    EXPECT_LT(cpuSeconds() - cpuBefore, upTo(0.05)) << "waiting must sleep, not spin";
}

TEST(PollEventLoop, WaitEndsWhenTheDescriptorBecomesReadable) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    PollEventLoop loop;
    int ticks = 0;
    loop.startTimer(5s, [&] { ++ticks; });
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    loop.waitForEvents(fds[0]);
    EXPECT_EQ(ticks, 0) << "the byte ended the wait, not the timer";
    close(fds[0]);
    close(fds[1]);
}

TEST(PollEventLoopTiming, ProcessEventsNeverWaitsAndStoppedTimersStayQuiet) {
    PollEventLoop loop;
    int ticks = 0;
    int id = loop.startTimer(1h, [&] { ++ticks; });
    const auto start = PollEventLoop::Clock::now();
    loop.processEvents();
    loop.stopTimer(id);
    loop.waitForEvents(-1); // no timer, no descriptor: returns at once
    EXPECT_LT(PollEventLoop::Clock::now() - start, upTo(100ms));
    EXPECT_EQ(ticks, 0);
}

} // namespace
