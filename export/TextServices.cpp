#include "TextServices.h"

#include "ExportError.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace ovena {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char decimalSeparator(const LocaleSettings& locale) {
    return locale.sDecimal.empty() ? '.' : locale.sDecimal.front();
}

// printf-style substitution of two texts, in the order given.
std::string substitute(std::string_view pattern, const std::string& first,
                       const std::string& second) {
    std::string out;
    int used = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
            out += used++ == 0 ? first : second;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace

bool isBlank(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ')
            return false;
    return true;
}

std::string trim(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return std::string(text.substr(first, last - first));
}

std::string cleanText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= ' ')
            out += c;
    return out;
}

std::string listText(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += CRLF;
    }
    return out;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::vector<std::string> withoutTrailingBlanks(std::vector<std::string> lines) {
    while (!lines.empty() && isBlank(lines.back()))
        lines.pop_back();
    return lines;
}

std::string NormalizeBreaks(std::string_view text, std::string_view tabText,
                            std::string_view newlineText) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\t')
            out += tabText;
        else if (c == '\n')
            out += newlineText;
        else if (static_cast<unsigned char>(c) >= ' ')
            out += c;
    }
    return out;
}

std::string KeepOnly(std::string_view text, std::string_view allowed) {
    std::string out;
    for (char c : text)
        if (allowed.find(c) != std::string_view::npos)
            out += c;
    return out;
}

std::string EscapeChar(std::string_view text, char c, char e) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        if (ch == c)
            out += e;
        out += ch;
    }
    return out;
}

std::string TemplateToken(std::string_view text, int n) {
    std::size_t start = 0;
    for (int field = 1; n > 0; ++field) {
        const std::size_t end = text.find(';', start);
        if (field == n)
            return std::string(text.substr(
                start, end == std::string_view::npos ? text.size() - start : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    char number[16];
    std::snprintf(number, sizeof number, "%d", n);
    throw ExportError("There is no Token \"" + std::string(number) + "\" in the String \"" +
                      std::string(text) + "\"");
}

std::string ToPointDecimal(std::string_view text, const LocaleSettings& locale) {
    std::string out(text);
    if (locale.sDecimal.empty() || locale.sDecimal == ".")
        return out;
    if (const std::size_t at = out.find(locale.sDecimal); at != std::string::npos)
        out.replace(at, locale.sDecimal.size(), ".");
    return out;
}

bool IsNumeric(std::string_view text, const LocaleSettings& locale) {
    if (locale.sDecimal != "." && !locale.sDecimal.empty() &&
        text.find('.') != std::string_view::npos)
        return false;
    const std::string converted = ToPointDecimal(text, locale);
    std::size_t i = 0;
    const std::size_t n = converted.size();
    while (i < n && converted[i] == ' ')
        ++i;
    if (i < n && (converted[i] == '+' || converted[i] == '-'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < n; ++i) {
        if (isDigit(converted[i]))
            digits = true;
        else if (converted[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (!digits)
        return false;
    if (i < n && (converted[i] == 'e' || converted[i] == 'E')) {
        ++i;
        if (i < n && (converted[i] == '+' || converted[i] == '-'))
            ++i;
        bool exponentDigits = false;
        while (i < n && isDigit(converted[i])) {
            exponentDigits = true;
            ++i;
        }
        if (!exponentDigits)
            return false;
    }
    return i == n;
}

bool StartsLikeFormula(std::string_view text) {
    if (text.empty() || std::string_view("=+-@\t\r").find(text[0]) == std::string_view::npos)
        return false;
    for (const char* mark : {".", ","}) {
        LocaleSettings notation;
        notation.sDecimal = mark;
        if (IsNumeric(text, notation))
            return false;
    }
    return true;
}

std::optional<double> NumericValue(std::string_view text, const LocaleSettings& locale) {
    if (!IsNumeric(text, locale))
        return std::nullopt;
    std::string number = trim(ToPointDecimal(text, locale));
    if (number.front() == '+')
        number.erase(0, 1);
    const char* first = number.data();
    const char* last = first + number.size();
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    if (value != 0)
        return std::isnormal(value) ? std::optional(value) : std::nullopt;
    // Zero is only a value when every digit before the exponent is zero.
    const bool nonZeroDigit =
        std::any_of(first, std::find_if(first, last, [](char c) { return c == 'e' || c == 'E'; }),
                    [](char c) { return c >= '1' && c <= '9'; });
    return nonZeroDigit ? std::nullopt : std::optional(value);
}

std::string CleanNumber(std::string_view text, const std::string& fallback,
                        const LocaleSettings& locale) {
    std::string number = trim(text);
    if (number.empty())
        return fallback;
    if (!locale.sThousand.empty())
        for (std::size_t at; (at = number.find(locale.sThousand)) != std::string::npos;)
            number.erase(at, locale.sThousand.size());
    const char decimal = decimalSeparator(locale);
    if (number.empty() || !(number[0] == '-' || isDigit(number[0]) || number[0] == decimal))
        return fallback;
    for (std::size_t i = 1; i < number.size(); ++i)
        if (!isDigit(number[i]) && number[i] != decimal)
            return fallback;
    return number;
}

std::string SpreadsheetDateFormat(const LocaleSettings& locale) {
    std::string out;
    for (char c : locale.sShortDate) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower == 'm' || lower == 'd' || lower == 'y' ||
            (!locale.sDate.empty() && locale.sDate.find(lower) != std::string::npos))
            out += lower;
    }
    return out;
}

std::string SpreadsheetTimeFormat(const LocaleSettings& locale, bool withSeconds,
                                  bool twentyFourHours) {
    std::string out = "h:mm";
    if (withSeconds)
        out += ":ss";
    if (!twentyFourHours && !isBlank(locale.s1159) && !isBlank(locale.s2359))
        out += "\\ AM/PM";
    return out;
}

std::string SpreadsheetCurrencyFormat(const LocaleSettings& locale) {
    // Each pattern takes the symbol S and the decimals D; the flag says whether S comes first.
    struct Pattern {
        std::string_view text;
        bool symbolFirst;
    };
    static constexpr std::array<Pattern, 4> positive{{
        {"\"%s\"#,##0.%s", true},
        {"#,##0.%s\"%s\"", false},
        {"\"%s \"#,##0.%s", true},
        {"#,##0.%s\" %s\"", false},
    }};
    static constexpr std::array<Pattern, 16> negative{{
        {"\\(\"%s\"#,##0.%s\\)", true},
        {"\"-%s\"#,##0.%s", true},
        {"\"%s-\"#,##0.%s", true},
        {"\"%s\"#,##0.%s\\-", true},
        {"\\(#,##0.%s\"%s\"\\)", false},
        {"\\-#,##0.%s\"%s\"", false},
        {"#,##0.%s\"-%s\"", false},
        {"#,##0.%s\"%s-\"", false},
        {"\\-#,##0.%s\" %s\"", false},
        {"\"-%s \"#,##0.%s", true},
        {"#,##0.%s\" %s-\"", false},
        {"\"%s \"#,##0.%s\\-", true},
        {"\"%s -\"#,##0.%s", true},
        {"#,##0.%s\"- %s\"", false},
        {"\\(\"%s \"#,##0.%s\\)", true},
        {"\\(#,##0.%s\" %s\"\\)", false},
    }};
    const std::string& symbol = locale.sCurrency;
    const std::string decimals(static_cast<std::size_t>(std::max(locale.iCurrDigits, 0)), '0');
    auto apply = [&](const Pattern& p) {
        return p.symbolFirst ? substitute(p.text, symbol, decimals)
                             : substitute(p.text, decimals, symbol);
    };
    std::string out;
    if (locale.iCurrency >= 0 && locale.iCurrency < static_cast<int>(positive.size()))
        out = apply(positive[static_cast<std::size_t>(locale.iCurrency)]);
    out += "_);[Red]";
    if (locale.iNegCurr >= 0 && locale.iNegCurr < static_cast<int>(negative.size()))
        out += apply(negative[static_cast<std::size_t>(locale.iNegCurr)]);
    return out;
}

} // namespace ovena
