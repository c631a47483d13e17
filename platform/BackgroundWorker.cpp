#include "platform/BackgroundWorker.h"

#include "platform/UiServices.h"

#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace ovena {

namespace {

int newEventFd() {
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
    return fd;
}

void signal(int fd) noexcept {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(fd, &one, sizeof one);
}

void drain(int fd) noexcept {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(fd, &count, sizeof count);
}

} // namespace

CancelSignal::CancelSignal() : fd_(newEventFd()) {}

CancelSignal::~CancelSignal() {
    ::close(fd_);
}

void CancelSignal::cancel() noexcept {
    signal(fd_);
}

bool CancelSignal::cancelled() const noexcept {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

void CancelSignal::reset() noexcept {
    drain(fd_);
}

BackgroundWorker::BackgroundWorker(UiServices& ui) : ui_(ui), doneFd_(newEventFd()) {
    watch_ = ui_.watchDescriptor(doneFd_, [this] { runCompletions(); });
    thread_ = std::thread([this] { run(); });
}

BackgroundWorker::~BackgroundWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
        cancel_.cancel();
    }
    wake_.notify_one();
    thread_.join();
    ui_.unwatchDescriptor(*watch_);
    ::close(doneFd_);
}

void BackgroundWorker::post(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({++posted_, std::move(job)});
    }
    wake_.notify_one();
}

void BackgroundWorker::cancel() {
    std::lock_guard lock(mutex_);
    cancelledUpTo_ = posted_;
    cancel_.cancel();
}

void BackgroundWorker::handBack(Completion completion) {
    std::lock_guard lock(mutex_);
    completions_.push_back(std::move(completion));
    signal(doneFd_);
}

void BackgroundWorker::run() {
    for (;;) {
        Queued next;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_)
                return;
            next = std::move(jobs_.front());
            jobs_.pop_front();
            // A job posted after the last cancel starts with the signal clear.
            if (next.id > cancelledUpTo_)
                cancel_.reset();
        }
        Completion done = next.job(cancel_);
        if (done)
            handBack(std::move(done));
    }
}

void BackgroundWorker::runCompletions() {
    std::vector<Completion> ready;
    {
        std::lock_guard lock(mutex_);
        drain(doneFd_);
        ready.swap(completions_);
    }
    for (Completion& completion : ready)
        completion();
}

} // namespace ovena
