#include "ProcessMeasures.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ovena::bench {

namespace {

long maxResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

} // namespace

long peakMemoryGrowthKiB(const std::function<void()>& work) {
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const long before = maxResidentKiB();
        work();
        const long growth = maxResidentKiB() - before;
        const bool sent = write(channel[1], &growth, sizeof growth) == sizeof growth;
        _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    long growth = -1;
    if (child < 0 || read(channel[0], &growth, sizeof growth) != sizeof growth)
        growth = -1;
    close(channel[0]);
    int status = 0;
    if (child > 0)
        waitpid(child, &status, 0);
    return growth;
}

double plainWriteSeconds(const std::string& path, std::uint64_t bytes) {
    const std::string data(bytes, 'x');
    double best = 1e9;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto start = std::chrono::steady_clock::now();
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            throw std::runtime_error("cannot create " + path);
        const bool written =
            write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
        const bool synced = fsync(fd) == 0;
        close(fd);
        if (!written || !synced)
            throw std::runtime_error("cannot write " + path);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    unlink(path.c_str());
    return best;
}

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace ovena::bench
