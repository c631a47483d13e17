#include "export/TableCells.h"

#include "export/DateTimeText.h"

#include <chrono>

namespace ovena {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isField(char c) {
    return c == 'D' || c == 'M' || c == 'Y' || c == 'h' || c == 'm';
}

} // namespace

LocaleSettings notationLocale(const LocaleSettings& locale, const TTableNotation& notation) {
    LocaleSettings result = locale;
    if (const std::string& mark = notation.DecimalMark; !mark.empty()) {
        result.sDecimal = mark;
        if (result.sThousand == mark)
            result.sThousand.clear();
    }
    if (result.sDecimal.empty())
        result.sDecimal = ".";
    return result;
}

std::optional<double> pictureDateTime(std::string_view text, std::string_view picture) {
    if (text.size() != picture.size() || picture.empty())
        return std::nullopt;
    int day = 0, month = 0, year = 0, hour = 0, minute = 0, yearDigits = 0;
    bool hasDay = false;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        const char p = picture[i];
        if (!isField(p)) {
            if (text[i] != p)
                return std::nullopt;
            continue;
        }
        if (!isDigit(text[i]))
            return std::nullopt;
        const int digit = text[i] - '0';
        switch (p) {
        case 'D':
            day = day * 10 + digit;
            hasDay = true;
            break;
        case 'M':
            month = month * 10 + digit;
            break;
        case 'Y':
            year = year * 10 + digit;
            ++yearDigits;
            break;
        case 'h':
            hour = hour * 10 + digit;
            break;
        default:
            minute = minute * 10 + digit;
            break;
        }
    }
    if (yearDigits <= 2)
        year += 2000;
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!hasDay || !date.ok() || hour > 23 || minute > 59)
        return std::nullopt;
    return dateSerial(year, month, day) + (hour * 60 + minute) / 1440.0;
}

std::string pictureNumberFormat(std::string_view picture) {
    std::string format;
    for (const char c : picture) {
        switch (c) {
        case 'D':
            format += 'd';
            break;
        case 'M':
        case 'm':
            format += 'm';
            break;
        case 'Y':
            format += 'y';
            break;
        case 'h':
            format += 'h';
            break;
        default:
            // Literally, never as a placeholder ("/" and ":" would take the locale's).
            format += '\\';
            format += c;
            break;
        }
    }
    return format;
}

int decimalPlaces(std::string_view number, char decimalMark) {
    const std::size_t mark = number.find(decimalMark);
    if (mark == std::string_view::npos)
        return 0;
    int places = 0;
    for (std::size_t i = mark + 1; i < number.size() && isDigit(number[i]); ++i)
        ++places;
    return places;
}

std::string decimalsNumberFormat(int decimals) {
    return decimals > 0 ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0";
}

bool hasLeadingZero(std::string_view text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i != std::string_view::npos && (text[i] == '+' || text[i] == '-'))
        ++i;
    return i + 1 < text.size() && text[i] == '0' && isDigit(text[i + 1]);
}

} // namespace ovena
