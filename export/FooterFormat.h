#pragma once

#include "platform/LocaleSettings.h"

#include <string>
#include <string_view>

namespace ovena {

// Formats `pattern` with one floating-point argument, the way the footer receives the number of
// exported rows: "%%" gives "%", and a placeholder "%" [index ":"] ["-"] [width] ["." precision]
// type takes the argument when its type accepts a floating-point value: f (fixed), n (fixed with
// thousands separators), e (scientific), g (general) or m (currency), in the locale's notation.
// Any other placeholder, or a second one, throws ExportError.
std::string formatWithNumber(std::string_view pattern, double value, const LocaleSettings& locale);

} // namespace ovena
