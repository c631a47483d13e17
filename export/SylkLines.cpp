#include "export/SylkLines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ovena::sylk {

namespace {

std::string doubledSemicolons(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ';')
            out += ';';
        out += c;
    }
    return out;
}

} // namespace

std::string formatLine(std::string_view numberFormat) {
    return "P;P" + doubledSemicolons(numberFormat);
}

std::string cellFormatRecord(int formatNumber, int x, int y) {
    return "F;P" + std::to_string(formatNumber) + ";FG0G;X" + std::to_string(x) + ";Y" +
           std::to_string(y);
}

std::string cellRecord(int x, int y, std::string_view value) {
    return "C;X" + std::to_string(x) + ";Y" + std::to_string(y) + ";K" + std::string(value);
}

std::string textValue(std::string_view text) {
    return '"' + doubledSemicolons(text.substr(0, MaxTextLength)) + '"';
}

std::string generalNumber(double value) {
    if (value == 0 || !std::isfinite(value))
        return "0";
    // The 15 significant digits and the decimal exponent of the rounded value.
    char scientific[32];
    std::snprintf(scientific, sizeof scientific, "%.14e", std::fabs(value));
    std::string digits;
    digits += scientific[0];
    digits.append(scientific + 2, 14);
    const int exponent = std::atoi(scientific + 17);
    digits.erase(digits.find_last_not_of('0') + 1);

    std::string out = value < 0 ? "-" : "";
    const bool fixed = exponent < 15 && std::fabs(value) >= 0.00001;
    if (fixed) {
        if (exponent < 0) {
            out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        } else {
            const auto integerDigits = static_cast<std::size_t>(exponent + 1);
            if (digits.size() <= integerDigits)
                out += digits + std::string(integerDigits - digits.size(), '0');
            else
                out += digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
        }
    } else {
        out += digits.substr(0, 1);
        if (digits.size() > 1)
            out += "." + digits.substr(1);
        out += "E" + std::to_string(exponent);
    }
    return out;
}

std::string widthLine(int x, int width) {
    const std::string column = std::to_string(x);
    return "F;W" + column + " " + column + " " +
           std::to_string(std::clamp(width, MinColumnWidth, MaxColumnWidth));
}

} // namespace ovena::sylk
