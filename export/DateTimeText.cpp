#include "DateTimeText.h"

#include "ExportError.h"
#include "TextServices.h"

#include "platform/Cp1252.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <optional>

namespace ovena {

namespace {

constexpr std::array<std::string_view, 12> MonthNames{
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> DayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                   "Thursday", "Friday", "Saturday"};

// Days since 1 January 1970 of a proleptic Gregorian date.
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153L * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : days[static_cast<std::size_t>(m - 1)];
}

std::string number(int value, int minDigits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", minDigits, value);
    return text;
}

// A cursor over the text being read.
struct Scanner {
    std::string_view text;
    std::size_t pos = 0;

    void skipBlanks() {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
    }
    bool atEnd() {
        skipBlanks();
        return pos >= text.size();
    }
    // A run of digits; its length in `digits`.
    std::optional<int> number(int* digits = nullptr) {
        skipBlanks();
        const std::size_t start = pos;
        long value = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) &&
               pos - start < 9)
            value = value * 10 + (text[pos++] - '0');
        if (pos == start)
            return std::nullopt;
        if (digits)
            *digits = static_cast<int>(pos - start);
        return static_cast<int>(value);
    }
    bool separator(std::string_view sep) {
        skipBlanks();
        if (sep.empty() || text.substr(pos, sep.size()) != sep)
            return false;
        pos += sep.size();
        return true;
    }
    bool word(std::string_view w) {
        skipBlanks();
        if (w.empty() || !equalsIgnoringCase(text.substr(pos, w.size()), w))
            return false;
        pos += w.size();
        return true;
    }
};

enum class DateOrder { DMY, MDY, YMD };

DateOrder dateOrder(std::string_view shortDate) {
    for (char c : shortDate) {
        switch (std::tolower(static_cast<unsigned char>(c))) {
        case 'd':
            return DateOrder::DMY;
        case 'm':
            return DateOrder::MDY;
        case 'y':
            return DateOrder::YMD;
        default:
            break;
        }
    }
    return DateOrder::MDY;
}

std::optional<double> scanDate(Scanner& in, const LocaleSettings& locale, int currentYear) {
    std::array<int, 3> parts{};
    std::array<int, 3> digits{};
    auto first = in.number(&digits[0]);
    if (!first || !in.separator(locale.sDate))
        return std::nullopt;
    auto second = in.number(&digits[1]);
    if (!second)
        return std::nullopt;
    parts[0] = *first;
    parts[1] = *second;
    int count = 2;
    if (in.separator(locale.sDate)) {
        auto third = in.number(&digits[2]);
        if (!third)
            return std::nullopt;
        parts[2] = *third;
        count = 3;
    }
    int y = currentYear, m = 0, d = 0, yearDigits = 4;
    const DateOrder order = dateOrder(locale.sShortDate);
    if (count == 2) {
        if (order == DateOrder::DMY) {
            d = parts[0];
            m = parts[1];
        } else {
            m = parts[0];
            d = parts[1];
        }
    } else if (order == DateOrder::DMY) {
        d = parts[0], m = parts[1], y = parts[2], yearDigits = digits[2];
    } else if (order == DateOrder::MDY) {
        m = parts[0], d = parts[1], y = parts[2], yearDigits = digits[2];
    } else {
        y = parts[0], m = parts[1], d = parts[2], yearDigits = digits[0];
    }
    if (yearDigits <= 2) {
        // Two-digit years fall into the 100 years that end 50 years after this one.
        const int centuryBase = currentYear - 50;
        y += centuryBase / 100 * 100;
        if (y < centuryBase)
            y += 100;
    }
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m))
        return std::nullopt;
    return dateSerial(y, m, d);
}

std::optional<double> scanTime(Scanner& in, const LocaleSettings& locale) {
    auto h = in.number();
    if (!h)
        return std::nullopt;
    int m = 0, s = 0;
    bool minutes = false;
    if (in.separator(locale.sTime)) {
        auto value = in.number();
        if (!value)
            return std::nullopt;
        m = *value;
        minutes = true;
        if (in.separator(locale.sTime)) {
            value = in.number();
            if (!value)
                return std::nullopt;
            s = *value;
        }
    }
    int hour = *h;
    const bool am = in.word(locale.s1159);
    const bool pm = !am && in.word(locale.s2359);
    if (!minutes && !am && !pm)
        return std::nullopt;
    if (am || pm) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    if (hour > 23 || m > 59 || s > 59)
        return std::nullopt;
    return (hour * 3600.0 + m * 60.0 + s) / 86400.0;
}

std::string allowedDateChars(const LocaleSettings& locale) {
    return "0123456789 " + locale.sDate;
}

} // namespace

CivilDateTime localCivilTime(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

double dateSerial(int year, int month, int day) {
    return static_cast<double>(daysFromCivil(year, month, day) - daysFromCivil(1899, 12, 30));
}

std::string formatWindowsDateTime(std::string_view picture, const CivilDateTime& value,
                                  const LocaleSettings& locale) {
    std::string out;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') {
            const std::size_t end = picture.find('\'', i + 1);
            const std::size_t stop = end == std::string_view::npos ? picture.size() : end;
            out += picture.substr(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        const int n = static_cast<int>(run);
        const int hour12 = value.hour % 12 == 0 ? 12 : value.hour % 12;
        const std::string& designator = value.hour < 12 ? locale.s1159 : locale.s2359;
        switch (c) {
        case 'd': {
            const long weekday = ((daysFromCivil(value.year, value.month, value.day) % 7) + 11) % 7;
            const std::string_view name = DayNames[static_cast<std::size_t>(weekday)];
            out += n <= 2 ? number(value.day, n) : std::string(n == 3 ? name.substr(0, 3) : name);
            break;
        }
        case 'M': {
            const std::string_view name = MonthNames[static_cast<std::size_t>(value.month - 1)];
            out += n <= 2 ? number(value.month, n) : std::string(n == 3 ? name.substr(0, 3) : name);
            break;
        }
        case 'y':
            out += n == 1   ? number(value.year % 100, 1)
                   : n == 2 ? number(value.year % 100, 2)
                            : number(value.year, n == 3 ? 3 : 4);
            break;
        case 'h':
            out += number(hour12, n >= 2 ? 2 : 1);
            break;
        case 'H':
            out += number(value.hour, n >= 2 ? 2 : 1);
            break;
        case 'm':
            out += number(value.minute, n >= 2 ? 2 : 1);
            break;
        case 's':
            out += number(value.second, n >= 2 ? 2 : 1);
            break;
        case 't':
            out += n == 1 ? designator.substr(0, 1) : designator;
            break;
        case 'g':
            break; // era: none in the Gregorian calendar of these locales
        default:
            out += picture.substr(i, run);
            break;
        }
        i += run;
    }
    return out;
}

double ParseDate(std::string_view text, const LocaleSettings& locale, int currentYear) {
    const std::string kept = KeepOnly(text, allowedDateChars(locale));
    Scanner in{kept};
    if (auto date = scanDate(in, locale, currentYear); date && in.atEnd())
        return *date;
    throw ExportError("'" + std::string(text) + "' is not a valid date");
}

double ParseDateTime(std::string_view text, const LocaleSettings& locale, int currentYear) {
    const std::string kept =
        KeepOnly(text, allowedDateChars(locale) + locale.sTime + locale.s1159 + locale.s2359);
    Scanner in{kept};
    if (auto date = scanDate(in, locale, currentYear)) {
        if (in.atEnd())
            return *date;
        if (auto time = scanTime(in, locale); time && in.atEnd())
            return *date + *time;
    }
    Scanner timeOnly{kept};
    if (auto time = scanTime(timeOnly, locale); time && timeOnly.atEnd())
        return *time;
    throw ExportError("'" + std::string(text) + "' is not a valid date and time");
}

} // namespace ovena
