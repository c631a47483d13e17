#include "link/Funcs.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace ovena {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'F');
}

// A value that lies exactly halfway between two texts of `decimals` digits is moved by one unit
// in the last place away from zero, so printf's ties-to-even rounding rounds it away from zero.
double tieAwayFromZero(double value, int decimals) {
    if (!std::isfinite(value) || decimals > 15)
        return value;
    const long double scaled = static_cast<long double>(value) * std::pow(10.0L, decimals);
    if (std::fabs(scaled - std::trunc(scaled)) != 0.5L)
        return value;
    return std::nextafter(value, value > 0 ? std::numeric_limits<double>::infinity()
                                           : -std::numeric_limits<double>::infinity());
}

std::int32_t decimalToInt(const std::string& text) {
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

std::int32_t hexToInt(const std::string& text) {
    const std::string upper = UpperText(text.substr(text.find('$')));
    std::size_t end = 1;
    while (end < upper.size() && isHexDigit(upper[end]))
        ++end;
    // Up to eight digits, read as the 32-bit pattern they spell ("$FFFFFFFF" is -1).
    if (end == 1 || end > 9)
        return 0;
    std::uint32_t bits = 0;
    std::from_chars(upper.data() + 1, upper.data() + end, bits, 16);
    return static_cast<std::int32_t>(bits);
}

} // namespace

std::string IntToText(std::int32_t value, std::int32_t width) {
    std::string digits = std::to_string(value);
    if (width > 0 && digits.size() < static_cast<std::size_t>(width))
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), ' ');
    return digits;
}

std::string IntToZeroText(std::int32_t value, std::int32_t width) {
    std::string text = IntToText(value, width);
    for (char& c : text)
        if (c == ' ')
            c = '0';
    return text;
}

std::string FloatToText(double value, std::int32_t width, std::int32_t decimals) {
    decimals = std::max(decimals, 0);
    width = std::max(width, 0);
    const double rounded = tieAwayFromZero(value, decimals);
    const int length = std::snprintf(nullptr, 0, "%*.*f", width, decimals, rounded);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%*.*f", width, decimals, rounded);
    text.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), 30));
    if (auto point = text.find('.'); point != std::string::npos)
        text[point] = ',';
    return text;
}

std::int32_t TextToInt(const std::string& text) {
    return text.find('$') == std::string::npos ? decimalToInt(text) : hexToInt(text);
}

double TextToFloat(const std::string& text) {
    std::size_t start = 0;
    auto startsNumber = [](char c) { return c == ',' || c == '-' || c == '.' || isDigit(c); };
    while (start < text.size() && !startsNumber(text[start]))
        ++start;
    if (start == text.size())
        return 0;
    std::string piece(1, text[start] == ',' ? '.' : text[start]);
    for (std::size_t i = start + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c != ',' && c != '.' && !isDigit(c))
            break;
        piece += c == ',' ? '.' : c;
    }
    double value = 0;
    const auto [last, error] =
        std::from_chars(piece.data(), piece.data() + piece.size(), value, std::chars_format::fixed);
    return error == std::errc() && last == piece.data() + piece.size() ? value : 0;
}

std::string UpperText(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || byte == 0xE4 || byte == 0xF6 || byte == 0xFC)
            c = static_cast<char>(byte - 0x20);
    }
    return upper;
}

std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high) {
    if (value > high)
        value = high;
    if (value < low)
        value = low;
    return value;
}

} // namespace ovena
