#pragma once

#include "platform/LocaleSettings.h"

namespace ovena::test {

// A decimal-comma locale (German) and a decimal-point locale (US English), as the program's own
// locale table gives them.
inline LocaleSettings commaLocale() {
    return localeSettingsOf("de_DE");
}
inline LocaleSettings pointLocale() {
    return localeSettingsOf("en_US");
}

} // namespace ovena::test
