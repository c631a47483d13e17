#include "FooterFormat.h"

#include "ExportError.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>

namespace ovena {

namespace {

std::string printfText(const char* format, int precision, double value) {
    char text[512];
    std::snprintf(text, sizeof text, format, precision, value);
    return text;
}

// Digits with a "." decimal point, rewritten with the locale's separators.
std::string localNumber(const std::string& plain, const LocaleSettings& locale, bool thousands) {
    const std::size_t point = plain.find('.');
    std::string whole = plain.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : plain.substr(point + 1);
    std::string sign;
    if (!whole.empty() && whole[0] == '-') {
        sign = "-";
        whole.erase(0, 1);
    }
    if (thousands && !locale.sThousand.empty())
        for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3)
            whole.insert(static_cast<std::size_t>(at), locale.sThousand);
    const std::string decimal = locale.sDecimal.empty() ? "." : locale.sDecimal;
    return sign + whole + (point == std::string::npos ? "" : decimal + fraction);
}

std::string scientific(double value, int precision, const LocaleSettings& locale) {
    std::string text = printfText("%.*E", std::max(precision, 1) - 1, value);
    // The exponent has at least three digits.
    const std::size_t e = text.find('E');
    std::string exponent = text.substr(e + 2);
    while (exponent.size() < 3)
        exponent.insert(0, "0");
    return localNumber(text.substr(0, e), locale, false) + text.substr(e, 2) + exponent;
}

std::string currency(double value, int precision, const LocaleSettings& locale) {
    const std::string amount =
        localNumber(printfText("%.*f", precision, std::fabs(value)), locale, true);
    const std::string& symbol = locale.sCurrency;
    std::string text;
    switch (locale.iCurrency) {
    case 1:
        text = amount + symbol;
        break;
    case 2:
        text = symbol + " " + amount;
        break;
    case 3:
        text = amount + " " + symbol;
        break;
    default:
        text = symbol + amount;
        break;
    }
    return value < 0 ? "-" + text : text;
}

} // namespace

std::string formatWithNumber(std::string_view pattern, double value, const LocaleSettings& locale) {
    const std::string whole(pattern);
    auto invalid = [&whole] {
        return ExportError("Format '" + whole + "' invalid or incompatible with argument");
    };
    std::string out;
    bool argumentUsed = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (++i >= pattern.size())
            throw invalid();
        if (pattern[i] == '%') {
            out += '%';
            continue;
        }
        auto readNumber = [&]() -> std::optional<int> {
            if (i < pattern.size() && pattern[i] == '*')
                throw invalid(); // the one argument is no integer
            if (i >= pattern.size() || !std::isdigit(static_cast<unsigned char>(pattern[i])))
                return std::nullopt;
            int n = 0;
            while (i < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[i])))
                n = std::min(n * 10 + (pattern[i++] - '0'), 9999);
            return n;
        };
        std::optional<int> width = readNumber();
        if (width && i < pattern.size() && pattern[i] == ':') {
            if (*width != 0)
                throw ExportError("No argument for format '" + whole + "'");
            argumentUsed = false;
            ++i;
            width.reset();
        }
        const bool leftAlign = i < pattern.size() && pattern[i] == '-';
        if (leftAlign)
            ++i;
        if (!width)
            width = readNumber();
        std::optional<int> precision;
        if (i < pattern.size() && pattern[i] == '.') {
            ++i;
            precision = readNumber().value_or(0);
        }
        if (i >= pattern.size())
            throw invalid();
        if (argumentUsed)
            throw ExportError("No argument for format '" + whole + "'");
        argumentUsed = true;
        std::string text;
        switch (std::tolower(static_cast<unsigned char>(pattern[i]))) {
        case 'f':
            text = localNumber(printfText("%.*f", precision.value_or(2), value), locale, false);
            break;
        case 'n':
            text = localNumber(printfText("%.*f", precision.value_or(2), value), locale, true);
            break;
        case 'e':
            text = scientific(value, precision.value_or(15), locale);
            break;
        case 'g':
            text = localNumber(printfText("%.*G", precision.value_or(15), value), locale, false);
            break;
        case 'm':
            text = currency(value, precision.value_or(locale.iCurrDigits), locale);
            break;
        default:
            throw invalid();
        }
        const std::size_t w = static_cast<std::size_t>(width.value_or(0));
        if (text.size() < w)
            text = leftAlign ? text + std::string(w - text.size(), ' ')
                             : std::string(w - text.size(), ' ') + text;
        out += text;
    }
    return out;
}

} // namespace ovena
