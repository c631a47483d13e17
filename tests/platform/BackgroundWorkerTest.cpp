#include "platform/BackgroundWorker.h"
#include "support/FakeUi.h"

#include <gmock/gmock.h>
#include <poll.h>
#include <thread>

namespace ovena {
namespace {

using test::FakeUi;

// A job that waits for its cancel (at most 10 s) and tells whether it came.
BackgroundWorker::Job waitingJob(std::vector<std::string>& log, std::string name) {
    return [&log, name](const CancelSignal& cancel) -> BackgroundWorker::Completion {
        pollfd p{cancel.fd(), POLLIN, 0};
        const bool cancelled = ::poll(&p, 1, 10000) > 0;
        return [&log, name, cancelled] { log.push_back(name + (cancelled ? " cancelled" : "")); };
    };
}

TEST(BackgroundWorker, CompletionsRunInOrderWhenTheWindowsEventsAreServiced) {
    FakeUi ui;
    std::vector<std::string> log;
    std::thread::id jobThread;
    BackgroundWorker worker(ui);
    worker.post([&](const CancelSignal&) -> BackgroundWorker::Completion {
        jobThread = std::this_thread::get_id();
        worker.handBack([&] { log.push_back("progress"); });
        return [&] { log.push_back("first"); };
    });
    worker.post([&](const CancelSignal& cancel) -> BackgroundWorker::Completion {
        return [&log, cancelled = cancel.cancelled()] {
            log.push_back(cancelled ? "second cancelled" : "second");
        };
    });
    EXPECT_TRUE(ui.serviceUntil([&] { return log.size() == 3; }));
    EXPECT_THAT(log, testing::ElementsAre("progress", "first", "second"));
    EXPECT_NE(jobThread, std::this_thread::get_id());
}

TEST(BackgroundWorker, ACancelEndsTheJobsPostedBeforeItAndNotTheNextOne) {
    FakeUi ui;
    std::vector<std::string> log;
    BackgroundWorker worker(ui);
    worker.post(waitingJob(log, "running"));
    worker.post(waitingJob(log, "waiting"));
    worker.cancel();
    worker.post([&](const CancelSignal& cancel) -> BackgroundWorker::Completion {
        return [&log, cancelled = cancel.cancelled()] {
            log.push_back(cancelled ? "after cancelled" : "after");
        };
    });
    EXPECT_TRUE(ui.serviceUntil([&] { return log.size() == 3; }, std::chrono::seconds(5)));
    EXPECT_THAT(log, testing::ElementsAre("running cancelled", "waiting cancelled", "after"));
}

TEST(BackgroundWorker, EndingWakesTheJobAndRunsNoCompletion) {
    FakeUi ui;
    std::vector<std::string> log;
    const auto start = std::chrono::steady_clock::now();
    {
        BackgroundWorker worker(ui);
        worker.post(waitingJob(log, "running"));
        worker.post(waitingJob(log, "never"));
    }
    ui.processEvents();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_THAT(log, testing::IsEmpty());
}

} // namespace
} // namespace ovena
