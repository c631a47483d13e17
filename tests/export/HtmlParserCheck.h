#pragma once

#include "support/TestEnvironment.h"

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace ovena::test {

// The verdict of an independent HTML parser (Python's html.parser) on a page.
struct HtmlParserVerdict {
    bool parserAvailable = false; // false: no /usr/bin/python3 on this machine
    bool wellFormed = false;      // every element closed in order, links with clean targets
    std::string report;           // the parser's complaints
    std::string charset;          // the code page the page declares in its head, if any
    std::string text;             // the page's text decoded with that code page, as UTF-8
};

inline constexpr const char* PythonPath = "/usr/bin/python3";

// Balances start and end tags (void elements aside), refuses tags the page does not use (text
// that parses as a tag it was not meant to be) and links whose start tag is not a plain href.
inline constexpr const char* HtmlCheckerScript = R"PY(
import re
import sys
from html.parser import HTMLParser

VOID = {"br", "hr", "img", "meta", "link", "input"}
KNOWN = {"html", "head", "style", "title", "body", "font", "h1", "table", "thead", "tr", "td",
         "b", "a", "br", "hr", "meta"}

class Checker(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = []
        self.errors = []
        self.charset = None
        self.text = []

    def where(self):
        return "line %d col %d" % self.getpos()

    def handle_starttag(self, tag, attrs):
        if tag not in KNOWN:
            self.errors.append("unexpected tag <%s> at %s" % (tag, self.where()))
        if tag == "a":
            raw = self.get_starttag_text()
            if not re.fullmatch(r'<a href="[^"<>]+">', raw):
                self.errors.append("bad link %r at %s" % (raw, self.where()))
            if "a" in self.stack:
                self.errors.append("nested link at %s" % self.where())
        if tag == "meta" and dict(attrs).get("http-equiv", "").lower() == "content-type":
            if self.stack != ["html", "head"]:
                self.errors.append("content type declared outside the head at %s" % self.where())
            found = re.search(r"charset=([\w-]+)", dict(attrs).get("content", ""))
            self.charset = found.group(1) if found else None
        if tag not in VOID:
            self.stack.append(tag)

    def handle_data(self, data):
        self.text.append(data)

    def handle_startendtag(self, tag, attrs):
        self.errors.append("self-closing <%s/> at %s" % (tag, self.where()))

    def handle_endtag(self, tag):
        if not self.stack or self.stack[-1] != tag:
            self.errors.append("</%s> at %s does not close %s" %
                               (tag, self.where(), self.stack[-1:] or "anything"))
        else:
            self.stack.pop()

with open(sys.argv[1], "rb") as f:
    raw = f.read()
checker = Checker()
checker.feed(raw.decode("latin-1"))
checker.close()
if checker.stack:
    checker.errors.append("left open: %s" % checker.stack)
for e in checker.errors:
    print(e)
# The text as a reader that honours the declaration sees it.
if checker.charset:
    reader = Checker()
    reader.feed(raw.decode(checker.charset))
    reader.close()
    with open(sys.argv[2], "w", encoding="utf-8") as out:
        out.write(checker.charset + "\n" + "".join(reader.text))
sys.exit(1 if checker.errors else 0)
)PY";

// Runs the checker on the page file.
inline HtmlParserVerdict parseHtmlPage(const std::string& pagePath) {
    HtmlParserVerdict verdict;
    if (access(PythonPath, X_OK) != 0)
        return verdict;
    verdict.parserAvailable = true;
    const std::string script = sandboxFolder() + "/html_check.py";
    writeFile(script, HtmlCheckerScript);
    const std::string decoded = sandboxFolder() + "/html_text.txt";
    std::remove(decoded.c_str());
    const std::string command =
        std::string(PythonPath) + " '" + script + "' '" + pagePath + "' '" + decoded + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        verdict.report = "cannot start " + std::string(PythonPath);
        return verdict;
    }
    char buffer[512];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        verdict.report.append(buffer, n);
    const int status = pclose(pipe);
    verdict.wellFormed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (access(decoded.c_str(), R_OK) == 0) {
        const std::string found = readFile(decoded);
        const std::size_t end = found.find('\n');
        verdict.charset = found.substr(0, end);
        verdict.text = found.substr(end + 1);
    }
    return verdict;
}

} // namespace ovena::test
