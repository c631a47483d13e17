#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace ovena {

class UiServices;

// A cancel request that wakes a wait: its descriptor (an eventfd) is readable once cancelled, so
// a job polls it beside its own descriptor and stops at once.
class CancelSignal {
public:
    CancelSignal();
    ~CancelSignal();
    CancelSignal(const CancelSignal&) = delete;
    CancelSignal& operator=(const CancelSignal&) = delete;

    // Any thread.
    void cancel() noexcept;
    bool cancelled() const noexcept;
    void reset() noexcept;
    int fd() const { return fd_; }

private:
    int fd_;
};

// Runs jobs one after another on a thread of its own and hands what each one finds back to the
// window's thread: a job answers a completion, which runs when the window's events are serviced
// (an eventfd watched through UiServices::watchDescriptor). A job touches nothing the window's
// thread uses; it opens its own archive connections and catches its own failures.
class BackgroundWorker {
public:
    using Completion = std::function<void()>;
    using Job = std::function<Completion(const CancelSignal&)>;

    explicit BackgroundWorker(UiServices& ui);
    // Cancels the job running, drops the waiting ones and waits for the thread; no completion
    // runs any more.
    ~BackgroundWorker();
    BackgroundWorker(const BackgroundWorker&) = delete;
    BackgroundWorker& operator=(const BackgroundWorker&) = delete;

    void post(Job job);
    // Cancels the job running and every job posted so far: each sees its signal set (its waits
    // end at once) and its completion still runs, to tell so.
    void cancel();
    // Runs `completion` on the window's thread; for a job that reports before it ends. Any
    // thread.
    void handBack(Completion completion);

private:
    struct Queued {
        std::uint64_t id;
        Job job;
    };

    void run();
    void runCompletions();

    UiServices& ui_;
    CancelSignal cancel_;
    int doneFd_;
    std::optional<int> watch_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Queued> jobs_;
    std::vector<Completion> completions_;
    std::uint64_t posted_ = 0;
    std::uint64_t cancelledUpTo_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace ovena
