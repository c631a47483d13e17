#include "link/Funcs.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace ovena {

namespace {

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
