#include "archive/SearchKey.h"

#include "platform/Cp1252.h"

namespace ovena::archive {

namespace {

// The base letter of U+00C0..U+00FF and of U+0100..U+017F; '*' where there is none (the
// character's lower case is kept).
constexpr std::string_view Latin1Bases =
    "aaaaaa*ceeeeiiiidnooooo*ouuuuy**aaaaaa*ceeeeiiiidnooooo*ouuuuy*y";
constexpr std::string_view LatinExtendedABases =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii**jjkkklllllll"
    "lllnnnnnnnnnoooooo**rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";

char32_t lowerCase(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3A9) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) != 0 ? c + 1 : c;
    if (c == 0x178)
        return 0xFF;
    return c;
}

} // namespace

std::string searchKey(std::string_view utf8) {
    std::string key;
    key.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::int32_t decoded = decodeUtf8(utf8, pos);
        if (decoded < 0)
            continue;
        const char32_t c = lowerCase(static_cast<char32_t>(decoded));
        char base = '*';
        if (c >= 0xC0 && c <= 0xFF)
            base = Latin1Bases[c - 0xC0];
        else if (c >= 0x100 && c <= 0x17F)
            base = LatinExtendedABases[c - 0x100];
        if (c == 0xDF)
            key += "ss";
        else if (base != '*')
            key += base;
        else
            appendUtf8(key, c);
    }
    return key;
}

std::string afterEveryExtension(std::string_view prefix) {
    // U+10FFFF, the last character, sorts after every character UTF-8 can hold.
    return std::string(prefix) + "\xF4\x8F\xBF\xBF";
}

} // namespace ovena::archive
