#pragma once

#include "platform/NumberText.h"

#include <cstdint>
#include <string>

namespace ovena {

// Number <-> text conversions shared by the instrument link, the procedures and the table
// builder (TextToInt and TextToFloat come from platform/NumberText.h). They never fail: text
// that holds no number converts to 0.

// Decimal text of value, right-aligned with leading blanks in a field of `width` characters
// (width 0: no padding). A text longer than the width is never cut.
std::string IntToText(std::int32_t value, std::int32_t width);
// IntToText with every blank replaced by "0": (7, 2) gives "07".
std::string IntToZeroText(std::int32_t value, std::int32_t width);
// Fixed-point text with `decimals` digits, rounded to the nearest (halves away from zero),
// right-aligned in `width` characters, at most 30 characters, the decimal point written as ",".
std::string FloatToText(double value, std::int32_t width, std::int32_t decimals);
// a-z and the German umlauts (Windows-1252) in upper case; every other byte unchanged.
std::string UpperText(const std::string& text);
// value limited to low..high; low wins when low is above high.
std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high);

} // namespace ovena
