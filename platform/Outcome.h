#pragma once

#include <string>
#include <utility>

namespace ovena {

// How a step that may fail went: done, or failed with the reason in words, for the user.
class Outcome {
public:
    // Done.
    Outcome() = default;
    static Outcome Failed(std::string reason) {
        Outcome failed;
        failed.failed_ = true;
        failed.reason_ = std::move(reason);
        return failed;
    }

    bool Done() const { return !failed_; }
    explicit operator bool() const { return Done(); }
    // Why it failed; empty when done.
    const std::string& Reason() const { return reason_; }

private:
    bool failed_ = false;
    std::string reason_;
};

} // namespace ovena
