#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ovena::test {

// Documents printed the way users print them, read back as text page by page (poppler's
// pdftotext). Each printer answers nullopt when it is not installed.

// LibreOffice's soffice, when installed.
std::optional<std::string> libreOffice();
// Chromium, when installed.
std::optional<std::string> chromium();
// Whether poppler's pdftotext is installed.
bool pdftotextInstalled();

// The pages LibreOffice prints of a document (Writer for RTF), as text.
std::vector<std::string> libreOfficePages(const std::string& soffice, const std::string& path);
// The pages Chromium prints of an HTML page (headless --print-to-pdf), as text.
std::vector<std::string> chromiumPages(const std::string& browser, const std::string& path);
// The text of every page of a PDF file.
std::vector<std::string> pdfPages(const std::string& pdf);

} // namespace ovena::test
