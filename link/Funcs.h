#pragma once

#include <cstdint>
#include <string>

namespace ovena {

// Number <-> text conversions shared by the instrument link, the procedures and the table
// builder. They never fail: text that holds no number converts to 0.

// Decimal text of value, right-aligned with leading blanks in a field of `width` characters
// (width 0: no padding). A text longer than the width is never cut.
std::string IntToText(std::int32_t value, std::int32_t width);
// IntToText with every blank replaced by "0": (7, 2) gives "07".
std::string IntToZeroText(std::int32_t value, std::int32_t width);
// Fixed-point text with `decimals` digits, rounded to the nearest (halves away from zero),
// right-aligned in `width` characters, at most 30 characters, the decimal point written as ",".
std::string FloatToText(double value, std::int32_t width, std::int32_t decimals);
// The first number in the text: decimal ("12 records" -> 12, "-5x" -> -5), or hexadecimal when
// the text holds a "$" ("x$1f" -> 31). 0 when nothing converts or the number does not fit.
std::int32_t TextToInt(const std::string& text);
// The first decimal number in the text, "," or "." as decimal point ("12,5 %" -> 12.5). 0 when
// nothing converts ("1.234,5" holds two points).
double TextToFloat(const std::string& text);
// a-z and the German umlauts (Windows-1252) in upper case; every other byte unchanged.
std::string UpperText(const std::string& text);
// value limited to low..high; low wins when low is above high.
std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high);

} // namespace ovena
