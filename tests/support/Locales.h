#pragma once

#include "platform/LocaleSettings.h"

#include <string>

namespace ovena::test {

// A decimal-comma locale (German) and a decimal-point locale (US English), as the program's own
// locale table gives them.
inline LocaleSettings commaLocale() {
    return localeSettingsOf("de_DE");
}
inline LocaleSettings pointLocale() {
    return localeSettingsOf("en_US");
}

} // namespace ovena::test

namespace ovena::test {

// While it lives, the whole process runs in the German C library locale, as the window program
// does on a German desktop once Qt has set the locale from the environment: printf's "%.1f"
// gives "12,5". The locale is compiled with localedef into the sandbox, since a build machine
// may have none but C installed. `available()` is false (and nothing changed) where localedef
// or its German sources are missing.
class CommaDecimalProcessLocale {
public:
    CommaDecimalProcessLocale();
    ~CommaDecimalProcessLocale();
    CommaDecimalProcessLocale(const CommaDecimalProcessLocale&) = delete;
    CommaDecimalProcessLocale& operator=(const CommaDecimalProcessLocale&) = delete;

    bool available() const { return !previous_.empty(); }
    // Why it is not available, for a test's skip message.
    const std::string& failure() const { return failure_; }

private:
    std::string previous_;
    std::string failure_;
};

} // namespace ovena::test
