#include "link/Scan.h"

namespace ovena {

std::string NextToken(const std::string& text, int& cursor) {
    if (cursor < 1)
        cursor = 1;
    const auto start = static_cast<std::size_t>(cursor - 1);
    if (start >= text.size())
        return {};
    std::size_t end = text.find(';', start);
    if (end == std::string::npos)
        end = text.size();
    cursor = static_cast<int>(end) + 1;
    if (end < text.size())
        ++cursor;
    return text.substr(start, end - start);
}

} // namespace ovena
