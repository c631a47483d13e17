#pragma once

#include <string>
#include <string_view>

namespace ovena {

class SettingsStore;

// The key of the settings store that may hold the Windows locale values.
inline constexpr std::string_view InternationalKey = "Control Panel\\International";

// The user's regional settings under their Windows value names. Texts are Windows-1252;
// date and time formats use the Windows pattern language ("dd.MM.yyyy", "HH:mm:ss").
struct LocaleSettings {
    std::string Locale;      // locale identifier as 8 hexadecimal digits, "00000409"
    std::string sList;       // list separator
    std::string sDecimal;    // decimal separator
    std::string sThousand;   // thousands separator
    std::string sDate;       // date separator
    std::string sTime;       // time separator
    std::string sShortDate;  // short date format
    std::string sTimeFormat; // long time format
    std::string s1159;       // morning designator
    std::string s2359;       // afternoon designator
    std::string sCurrency;   // currency symbol
    int iCurrDigits = 2;     // currency decimals
    int iCurrency = 0;       // positive currency format code (0 to 3)
    int iNegCurr = 0;        // negative currency format code (0 to 15)
};

// The settings of the process locale, from a built-in table of the Windows values per locale
// name, so no locale needs to be installed. Each category's name is found as POSIX says (LC_ALL,
// else LC_NUMERIC, LC_TIME or LC_MONETARY, else LANG): the identifier, list, decimal and
// thousands separators follow LC_NUMERIC; the date and time formats LC_TIME; the currency
// LC_MONETARY. A name missing from the table takes the first entry of its language, else C,
// which behaves as US English.
LocaleSettings processLocaleSettings();

// The settings of one locale name ("de_DE", "de_AT.UTF-8@euro") from the same table.
LocaleSettings localeSettingsOf(std::string_view name);

// Each value present under InternationalKey of the store wins; each missing one comes from
// processLocaleSettings(). Integer values may be stored as text or as integers; an integer
// value that is no number or outside its range is left out.
LocaleSettings localeSettings(const SettingsStore& store);

} // namespace ovena
