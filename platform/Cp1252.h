#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ovena {

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 control characters of the same value, so every byte survives
// a round trip.
std::string cp1252ToUtf8(std::string_view cp1252);

// UTF-8 to Windows-1252. Characters the code page cannot hold, and malformed UTF-8, become "?".
std::string utf8ToCp1252(std::string_view utf8);

// Decodes the UTF-8 character at `pos` and advances `pos` past it. A malformed sequence answers
// -1 and advances past its lead byte and the continuation bytes that belonged to it, so one bad
// sequence gives one replacement.
std::int32_t decodeUtf8(std::string_view text, std::size_t& pos);
// Appends the character (up to U+10FFFF) in UTF-8.
void appendUtf8(std::string& out, char32_t c);
// Whether the text is well-formed UTF-8.
bool isUtf8(std::string_view text);

// The upper case of a Windows-1252 byte, letters with accents included; other bytes stay.
unsigned char cp1252UpperCase(unsigned char c);

// Whether two Windows-1252 texts are equal but for the case of their letters.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace ovena
