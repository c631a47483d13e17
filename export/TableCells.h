#pragma once

#include "export/EC_Main.h"

#include "platform/LocaleSettings.h"

#include <optional>
#include <string>
#include <string_view>

namespace ovena {

// How the writers that type or align cells read the source's own texts (TTableNotation).

// The locale with the notation's decimal mark in place of its decimal separator (and no
// thousands separator that would equal it).
LocaleSettings notationLocale(const LocaleSettings& locale, const TTableNotation& notation);

// The serial of a date-time text laid out as `picture` describes it, position by position: "D"
// day, "M" month, "Y" year (two digits stand for 2000 to 2099), "h" hour, "m" minute digits;
// any other character stands for itself. Nullopt when the text does not follow the picture or
// names no valid date and time.
std::optional<double> pictureDateTime(std::string_view text, std::string_view picture);
// The number format that shows a serial as `picture` lays it out.
std::string pictureNumberFormat(std::string_view picture);

// The digits after the decimal mark of a number text, up to an exponent.
int decimalPlaces(std::string_view number, char decimalMark);
// The number format with that many decimals ("0", "0.0", "0.00", ...).
std::string decimalsNumberFormat(int decimals);

// Whether a number text is an identifier such as the customer number "004714", whose leading
// zeros a number cell would lose: an optional sign, "0" and a further digit before any mark.
bool hasLeadingZero(std::string_view text);

} // namespace ovena
