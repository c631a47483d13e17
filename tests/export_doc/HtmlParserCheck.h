#pragma once

#include <string>

namespace ovena::test {

// The verdict of an independent HTML parser (Python's html.parser) on a page.
struct HtmlParserVerdict {
    bool parserAvailable = false; // false: no /usr/bin/python3 on this machine
    bool wellFormed = false;      // every element closed in order, links with clean targets
    std::string report;           // the parser's complaints
};

// Parses the page file and checks that start and end tags balance (void elements aside), that
// no text parses as a tag it was not meant to be, and that every link has an href without
// markup in it.
HtmlParserVerdict parseHtmlPage(const std::string& pagePath);

} // namespace ovena::test
