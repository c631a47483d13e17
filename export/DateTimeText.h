#pragma once

#include "platform/LocaleSettings.h"

#include <chrono>
#include <string>
#include <string_view>

namespace ovena {

// A local calendar date and time of day.
struct CivilDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The local time of the process's time zone at `when`.
CivilDateTime localCivilTime(std::chrono::system_clock::time_point when);

// Formats with a Windows date-time picture ("dd.MM.yyyy", "h:mm:ss tt", quoted literals).
std::string formatWindowsDateTime(std::string_view picture, const CivilDateTime& value,
                                  const LocaleSettings& locale);

// Date-time serial values: days since 30 December 1899, the fraction being the time of day.
double dateSerial(int year, int month, int day);

// Reads a date in the order of the locale's short date format (day, month and year separated
// by the date separator; without a year the current one). Throws ExportError when the text is
// no valid date.
double ParseDate(std::string_view text, const LocaleSettings& locale, int currentYear);
// Reads a date followed by an optional time of day, or a time of day alone.
double ParseDateTime(std::string_view text, const LocaleSettings& locale, int currentYear);

} // namespace ovena
