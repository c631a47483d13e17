#include "PrintedPages.h"

#include "support/TestEnvironment.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace ovena::test {

namespace {

std::optional<std::string> firstProgram(std::initializer_list<const char*> candidates) {
    for (const char* candidate : candidates)
        if (std::filesystem::exists(candidate))
            return std::string(candidate);
    return std::nullopt;
}

} // namespace

std::optional<std::string> libreOffice() {
    return firstProgram({"/usr/bin/soffice", "/usr/bin/libreoffice"});
}

std::optional<std::string> chromium() {
    return firstProgram({"/usr/bin/chromium", "/usr/bin/chromium-browser"});
}

bool pdftotextInstalled() {
    return firstProgram({"/usr/bin/pdftotext"}).has_value();
}

std::vector<std::string> pdfPages(const std::string& pdf) {
    int status = 0;
    const std::string text = commandOutput("pdftotext -enc UTF-8 '" + pdf + "' - 2>&1", status);
    EXPECT_EQ(status, 0) << text;
    std::vector<std::string> pages;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\f', start)) != std::string::npos; start = end + 1)
        pages.push_back(text.substr(start, end - start));
    return pages;
}

std::vector<std::string> libreOfficePages(const std::string& soffice, const std::string& path) {
    // A profile of its own, so a LibreOffice the user runs (or another test) does not interfere.
    const std::string folder = sandboxFolder() + "/libreoffice-print";
    std::filesystem::create_directories(folder);
    int status = 0;
    const std::string output = commandOutput(soffice + " -env:UserInstallation=file://" + folder +
                                                 "/profile --headless --convert-to pdf --outdir '" +
                                                 folder + "' '" + path + "' 2>&1",
                                             status);
    EXPECT_EQ(status, 0) << output;
    const std::string pdf = folder + "/" + std::filesystem::path(path).stem().string() + ".pdf";
    EXPECT_TRUE(std::filesystem::exists(pdf)) << output;
    return pdfPages(pdf);
}

std::vector<std::string> chromiumPages(const std::string& browser, const std::string& path) {
    const std::string folder = sandboxFolder() + "/chromium-print";
    std::filesystem::create_directories(folder);
    const std::string pdf = folder + "/page.pdf";
    int status = 0;
    const std::string output = commandOutput(
        browser +
            " --headless --no-sandbox --disable-gpu --no-pdf-header-footer "
            "--user-data-dir='" +
            folder + "/profile' --print-to-pdf='" + pdf + "' 'file://" + path + "' 2>&1",
        status);
    EXPECT_TRUE(std::filesystem::exists(pdf)) << output;
    return pdfPages(pdf);
}

} // namespace ovena::test
