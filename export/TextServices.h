#pragma once

#include "platform/LocaleSettings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovena {

// The stateless text and number services of the writers. Texts are Windows-1252 bytes.

inline constexpr std::string_view CRLF = "\r\n";

// Blank: empty or nothing but blanks and control characters.
bool isBlank(std::string_view text);
// Without leading and trailing blanks and control characters.
std::string trim(std::string_view text);
// Every character below code 32 (TAB, CR and LF included) removed.
std::string cleanText(std::string_view text);
// Every line followed by CR LF.
std::string listText(const std::vector<std::string>& lines);
// The lines of a text broken at CR LF, LF or CR; a break at the end adds no empty line.
std::vector<std::string> splitLines(std::string_view text);
// The list without its trailing entries that are blank.
std::vector<std::string> withoutTrailingBlanks(std::vector<std::string> lines);

// Characters of code 32 and above kept, TAB replaced by tabText, LF by newlineText, every other
// control character (CR included) dropped.
std::string NormalizeBreaks(std::string_view text, std::string_view tabText,
                            std::string_view newlineText);
// Only the characters of text that occur in allowed.
std::string KeepOnly(std::string_view text, std::string_view allowed);
// e inserted before every occurrence of c.
std::string EscapeChar(std::string_view text, char c, char e);
// The n-th field (from 1) of text split at ";". Throws ExportError when there is none.
std::string TemplateToken(std::string_view text, int n);

// The first locale decimal separator replaced by ".".
std::string ToPointDecimal(std::string_view text, const LocaleSettings& locale);
// Whether text is a plain decimal number in the locale's notation: optional leading blanks and
// sign, digits with at most one decimal separator, an optional exponent, nothing after it.
bool IsNumeric(std::string_view text, const LocaleSettings& locale);
// Whether a spreadsheet reading text from a delimited file may take it for a formula: it
// starts with "=", "+", "-", "@", TAB or CR and is no plain number with either decimal mark.
bool StartsLikeFormula(std::string_view text);
// The value of a text that IsNumeric accepts, when a double holds it as a finite, normal (or
// exactly zero) number; nullopt for any other text, and for numbers such as 1e999 or 1e-400
// whose conversion overflows or underflows.
std::optional<double> NumericValue(std::string_view text, const LocaleSettings& locale);
// The trimmed number text without thousands separators, or fallback when it is no number.
std::string CleanNumber(std::string_view text, const std::string& fallback,
                        const LocaleSettings& locale);

// Spreadsheet number formats built from the locale.
std::string SpreadsheetDateFormat(const LocaleSettings& locale);
std::string SpreadsheetTimeFormat(const LocaleSettings& locale, bool withSeconds,
                                  bool twentyFourHours);
std::string SpreadsheetCurrencyFormat(const LocaleSettings& locale);

} // namespace ovena
