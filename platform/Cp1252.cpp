#include "Cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace ovena {

namespace {

// The characters of the bytes 0x80 to 0x9F. The five bytes the code page leaves undefined keep
// the C1 control character of their own value.
constexpr std::array<char32_t, 32> HighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

char32_t characterOfByte(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? HighControlRange[byte - 0x80] : char32_t{byte};
}

// The byte of a character, or no byte (answered as -1) when the code page cannot hold it.
int byteOfCharacter(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < HighControlRange.size(); ++i)
        if (HighControlRange[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

} // namespace

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::int32_t decodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80)
        return lead;
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 1, c = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 2, c = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
        return -1;
    }
    for (int i = 0; i < length; ++i) {
        if (pos >= text.size() || !isContinuation(static_cast<unsigned char>(text[pos])))
            return -1;
        c = (c << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return -1;
    return static_cast<std::int32_t>(c);
}

bool isUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();)
        if (decodeUtf8(text, pos) < 0)
            return false;
    return true;
}

std::string cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 4);
    for (char byte : cp1252)
        appendUtf8(out, characterOfByte(static_cast<unsigned char>(byte)));
    return out;
}

std::string utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::int32_t c = decodeUtf8(utf8, pos);
        const int byte = c < 0 ? -1 : byteOfCharacter(static_cast<char32_t>(c));
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

unsigned char cp1252UpperCase(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A: // s caron
    case 0x9C: // oe
    case 0x9E: // z caron
        return static_cast<unsigned char>(c - 0x10);
    case 0xFF: // y diaeresis
        return 0x9F;
    default:
        return c;
    }
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return cp1252UpperCase(static_cast<unsigned char>(x)) ==
                      cp1252UpperCase(static_cast<unsigned char>(y));
           });
}

} // namespace ovena
