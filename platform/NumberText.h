#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovena {

// The numbers texts of the instrument hold, read the one way the whole program reads them.

// The first number in the text: decimal ("12 records" -> 12, "-5x" -> -5), or hexadecimal when
// the text holds a "$" ("x$1f" -> 31). 0 when nothing converts or the number does not fit.
std::int32_t TextToInt(std::string_view text);

// The first decimal number in the text, "," or "." as decimal point ("12,5 %" -> 12.5): the
// first run of digits, points and commas, with a "-" before it; none when that run is no number
// ("1.234,5" holds two points) or the text holds none.
std::optional<double> numberValue(std::string_view text);

// numberValue, 0 where it gives none.
double TextToFloat(std::string_view text);

} // namespace ovena
