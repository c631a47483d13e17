#include "support/Locales.h"

#include "support/TestEnvironment.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace ovena::test {

namespace {

constexpr const char* German = "de_DE.UTF-8";

// Compiles the German locale into the sandbox once per process; answers why it failed.
std::string compileGerman() {
    const std::string folder = sandboxFolder() + "/locales";
    if (!std::filesystem::exists(folder + "/" + German)) {
        std::filesystem::create_directories(folder);
        int status = 0;
        const std::string said = commandOutput(
            "localedef -i de_DE -f UTF-8 '" + folder + "/" + German + "' 2>&1", status);
        if (status != 0)
            return "localedef could not make " + std::string(German) + " (the Debian package " +
                   "locales has it): " + said;
    }
    setenv("LOCPATH", folder.c_str(), 1);
    return {};
}

} // namespace

CommaDecimalProcessLocale::CommaDecimalProcessLocale() {
    failure_ = compileGerman();
    if (!failure_.empty())
        return;
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, German)) {
        failure_ = "the C library does not take the compiled locale " + std::string(German);
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 12.5);
    if (std::string(text) != "12,5") {
        std::setlocale(LC_ALL, previous.c_str());
        failure_ = "the locale " + std::string(German) + " writes " + text + " for 12.5";
        return;
    }
    previous_ = previous;
}

CommaDecimalProcessLocale::~CommaDecimalProcessLocale() {
    if (available())
        std::setlocale(LC_ALL, previous_.c_str());
}

} // namespace ovena::test
