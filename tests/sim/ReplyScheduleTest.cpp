// Byte deadlines of the pacer and command matching of the fault options, without a device.

#include "sim/FaultPlan.h"
#include "sim/ReplyPacer.h"

#include <gmock/gmock.h>

namespace ovena::test {
namespace {

using namespace std::chrono_literals;
using sim::CommandPattern;
using sim::ReplyPacer;

const ReplyPacer::Clock::time_point t0{};

TEST(ReplyPacer, BaudRateDeadlinesAreAbsoluteAndExact) {
    ReplyPacer pacer({9600, 0ms, 0ms});
    pacer.queue(std::string(9600, 'a'), t0);
    EXPECT_EQ(pacer.due(t0), "a");
    // However late the program wakes, the bytes due by then are exactly the ones whose
    // deadline has passed: 1 + floor(t / (10/9600 s)).
    EXPECT_EQ(pacer.due(t0 + 1ms).size(), 1u);
    EXPECT_EQ(pacer.due(t0 + 1042us).size(), 2u);
    EXPECT_EQ(pacer.due(t0 + 1s).size(), 961u);
    pacer.sent(961);
    EXPECT_EQ(pacer.nextDue(), t0 + std::chrono::nanoseconds(961LL * 10'000'000'000 / 9600));
    const auto lastDeadline = t0 + std::chrono::nanoseconds(9599LL * 10'000'000'000 / 9600);
    EXPECT_EQ(pacer.due(lastDeadline - 1ns).size(), 9600u - 961u - 1u);
    EXPECT_EQ(pacer.due(lastDeadline).size(), 9600u - 961u);
    pacer.sent(9600 - 961);
    EXPECT_TRUE(pacer.empty());
}

TEST(ReplyPacer, LatencyDelaysAReplyAndRepliesNeverOverlap) {
    ReplyPacer pacer({9600, 30ms, 0ms});
    pacer.queue("ab\r", t0);
    pacer.queue("cd\r", t0);
    EXPECT_EQ(pacer.due(t0 + 29ms), "");
    EXPECT_EQ(pacer.nextDue(), t0 + 30ms);
    // The second reply starts when the line has carried the first, three byte times after
    // the first began, as that is later than its own latency.
    EXPECT_EQ(pacer.due(t0 + 33ms), "ab\r");
    EXPECT_EQ(pacer.due(t0 + 33125us), "ab\rc");
}

TEST(ReplyPacer, DripWinsOverTheBaudRateAndNoPaceSendsAtOnce) {
    ReplyPacer drip({9600, 0ms, 100ms});
    drip.queue("xyz", t0);
    EXPECT_EQ(drip.due(t0 + 199ms), "xy");
    drip.sent(1);
    EXPECT_EQ(drip.due(t0 + 199ms), "y");

    ReplyPacer none({std::nullopt, 0ms, 0ms});
    none.queue("one\r", t0);
    none.queue("two\r", t0);
    EXPECT_EQ(none.due(t0), "one\rtwo\r");
    none.sent(6);
    EXPECT_EQ(none.due(t0), "o\r");
}

TEST(CommandPattern, PrefixOccurrenceAndTheEmptyCommand) {
    CommandPattern prefix("R302");
    EXPECT_TRUE(prefix.hits("R302000"));
    EXPECT_FALSE(prefix.hits("R303"));

    CommandPattern second("R303#2");
    EXPECT_FALSE(second.hits("R303"));
    EXPECT_FALSE(second.hits("R302001")) << "not counted";
    EXPECT_TRUE(second.hits("R303"));
    EXPECT_FALSE(second.hits("R303"));

    CommandPattern empty("");
    EXPECT_TRUE(empty.hits(""));
    EXPECT_FALSE(empty.hits("R002"));
    CommandPattern firstEmpty("#1");
    EXPECT_TRUE(firstEmpty.hits(""));
    EXPECT_FALSE(firstEmpty.hits(""));

    for (const char* bad : {"R303#", "R303#0", "R303#x", "R303#-1"})
        EXPECT_THROW(CommandPattern{bad}, std::invalid_argument) << bad;
}

TEST(FaultPlan, DecisionsCountEveryCommandOnce) {
    sim::FaultSettings settings;
    settings.silentAt = {"R303#2", "R303"};
    settings.noCrAt = {"R303#1"};
    settings.silentFrom = 5;
    settings.hangupAfter = 4;
    sim::FaultPlan plan(settings);
    auto first = plan.decide("R303");
    EXPECT_TRUE(first.silent);
    EXPECT_TRUE(first.noLineEnd);
    EXPECT_TRUE(plan.decide("R303").silent);
    EXPECT_FALSE(plan.decide("R004").silent);
    EXPECT_TRUE(plan.decide("R004").hangUp);
    EXPECT_TRUE(plan.decide("R004").silent);
    EXPECT_EQ(plan.commandsReceived(), 5);
}

} // namespace
} // namespace ovena::test
