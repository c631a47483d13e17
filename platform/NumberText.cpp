#include "platform/NumberText.h"

#include <charconv>

namespace ovena {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::int32_t decimalToInt(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && text[start] != '-' && !isDigit(text[start]))
        ++start;
    if (start == text.size())
        return 0;
    std::size_t end = start + 1;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    std::int32_t value = 0;
    const auto [last, error] = std::from_chars(text.data() + start, text.data() + end, value);
    return error == std::errc() && last == text.data() + end ? value : 0;
}

// The hex digits after the first "$", in either case.
std::int32_t hexToInt(std::string_view text) {
    const std::string_view digits = text.substr(text.find('$') + 1);
    std::size_t end = 0;
    while (end < digits.size() &&
           (isDigit(digits[end]) || (digits[end] >= 'A' && digits[end] <= 'F') ||
            (digits[end] >= 'a' && digits[end] <= 'f')))
        ++end;
    // Up to eight digits, read as the 32-bit pattern they spell ("$FFFFFFFF" is -1).
    if (end == 0 || end > 8)
        return 0;
    std::uint32_t bits = 0;
    std::from_chars(digits.data(), digits.data() + end, bits, 16);
    return static_cast<std::int32_t>(bits);
}

} // namespace

std::int32_t TextToInt(std::string_view text) {
    return text.find('$') == std::string_view::npos ? decimalToInt(text) : hexToInt(text);
}

std::optional<double> numberValue(std::string_view text) {
    const auto startsNumber = [](char c) { return c == ',' || c == '-' || c == '.' || isDigit(c); };
    std::size_t start = 0;
    while (start < text.size() && !startsNumber(text[start]))
        ++start;
    if (start == text.size())
        return std::nullopt;
    std::string piece(1, text[start] == ',' ? '.' : text[start]);
    for (std::size_t i = start + 1;
         i < text.size() && (text[i] == ',' || text[i] == '.' || isDigit(text[i])); ++i)
        piece += text[i] == ',' ? '.' : text[i];
    double value = 0;
    const auto [last, error] =
        std::from_chars(piece.data(), piece.data() + piece.size(), value, std::chars_format::fixed);
    if (error != std::errc() || last != piece.data() + piece.size())
        return std::nullopt;
    return value;
}

double TextToFloat(std::string_view text) {
    return numberValue(text).value_or(0);
}

} // namespace ovena
