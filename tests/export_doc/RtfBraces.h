#pragma once

#include <string_view>

namespace ovena::test {

// The depth of RTF groups left open at the end of a text: "{" opens, "}" closes, escaped
// braces ("\{", "\}") and escaped backslashes do not count. Answers -1 as soon as a group closes
// that was never opened.
inline int rtfBraceDepth(std::string_view rtf) {
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i; // the escaped character
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}' && --depth < 0) {
            return -1;
        }
    }
    return depth;
}

} // namespace ovena::test
