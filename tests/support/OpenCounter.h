#pragma once

#include <string>
#include <vector>

namespace ovena::test {

// Counts the opens of files by any process, through inotify: for checking that looking at
// serial ports never opens one (an open raises DTR and RTS).
class OpenCounter {
public:
    explicit OpenCounter(const std::vector<std::string>& paths);
    ~OpenCounter();
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    // The opens seen since the counter was made.
    int opens();

private:
    int fd_ = -1;
    int opens_ = 0;
};

} // namespace ovena::test
