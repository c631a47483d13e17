#include "support/OpenCounter.h"

#include <stdexcept>
#include <sys/inotify.h>
#include <unistd.h>

namespace ovena::test {

OpenCounter::OpenCounter(const std::vector<std::string>& paths)
    : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ < 0)
        throw std::runtime_error("no inotify");
    for (const std::string& path : paths)
        if (inotify_add_watch(fd_, path.c_str(), IN_OPEN) < 0)
            throw std::runtime_error("cannot watch " + path);
}

OpenCounter::~OpenCounter() {
    close(fd_);
}

int OpenCounter::opens() {
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = read(fd_, buffer, sizeof buffer)) > 0;)
        for (const char* p = buffer; p < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            if (event->mask & IN_OPEN)
                ++opens_;
            p += sizeof(inotify_event) + event->len;
        }
    return opens_;
}

} // namespace ovena::test
