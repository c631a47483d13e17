#include "LocaleSettings.h"

#include "SettingsStore.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <utility>

namespace ovena {

namespace {

// The Windows regional settings of one locale, split the way the POSIX categories split them.
struct NumericPart {
    const char* Locale;
    const char* sList;
    const char* sDecimal;
    const char* sThousand;
};
struct TimePart {
    const char* sDate;
    const char* sTime;
    const char* sShortDate;
    const char* sTimeFormat;
    const char* s1159;
    const char* s2359;
};
struct MonetaryPart {
    const char* sCurrency;
    int iCurrDigits;
    int iCurrency;
    int iNegCurr;
};
struct KnownLocale {
    const char* name; // language_TERRITORY
    NumericPart numeric;
    TimePart time;
    MonetaryPart monetary;
};

// The values Windows gives these locales. The first entry of a language stands in for the
// language's other territories. Windows-1252 bytes: 0x80 is the euro sign, 0xA3 the pound sign,
// 0xA0 the no-break space; where the code page lacks a letter (Polish, Czech) the currency
// symbol is written as Windows' best fit to the code page writes it.
constexpr std::array<KnownLocale, 16> KnownLocales = {{
    {"en_US",
     {"00000409", ",", ".", ","},
     {"/", ":", "M/d/yyyy", "h:mm:ss tt", "AM", "PM"},
     {"$", 2, 0, 0}},
    {"en_GB",
     {"00000809", ",", ".", ","},
     {"/", ":", "dd/MM/yyyy", "HH:mm:ss", "AM", "PM"},
     {"\xA3", 2, 0, 1}},
    {"en_AU",
     {"00000C09", ",", ".", ","},
     {"/", ":", "d/MM/yyyy", "h:mm:ss tt", "AM", "PM"},
     {"$", 2, 0, 1}},
    {"en_CA",
     {"00001009", ",", ".", ","},
     {"/", ":", "dd/MM/yyyy", "h:mm:ss tt", "AM", "PM"},
     {"$", 2, 0, 1}},
    {"de_DE",
     {"00000407", ";", ",", "."},
     {".", ":", "dd.MM.yyyy", "HH:mm:ss", "", ""},
     {"\x80", 2, 3, 8}},
    {"de_AT",
     {"00000C07", ";", ",", "."},
     {".", ":", "dd.MM.yyyy", "HH:mm:ss", "", ""},
     {"\x80", 2, 2, 9}},
    {"de_CH",
     {"00000807", ";", ".", "'"},
     {".", ":", "dd.MM.yyyy", "HH:mm:ss", "", ""},
     {"Fr.", 2, 2, 2}},
    {"fr_FR",
     {"0000040C", ";", ",", "\xA0"},
     {"/", ":", "dd/MM/yyyy", "HH:mm:ss", "", ""},
     {"\x80", 2, 3, 8}},
    {"fr_CH",
     {"0000100C", ";", ".", "'"},
     {".", ":", "dd.MM.yyyy", "HH:mm:ss", "", ""},
     {"fr.", 2, 2, 2}},
    {"it_IT",
     {"00000410", ";", ",", "."},
     {"/", ":", "dd/MM/yyyy", "HH:mm:ss", "", ""},
     {"\x80", 2, 2, 9}},
    {"it_CH",
     {"00000810", ";", ".", "'"},
     {".", ":", "dd.MM.yyyy", "HH:mm:ss", "", ""},
     {"fr.", 2, 2, 2}},
    {"nl_NL",
     {"00000413", ";", ",", "."},
     {"-", ":", "d-M-yyyy", "H:mm:ss", "", ""},
     {"\x80", 2, 2, 12}},
    {"es_ES",
     {"00000C0A", ";", ",", "."},
     {"/", ":", "dd/MM/yyyy", "H:mm:ss", "", ""},
     {"\x80", 2, 3, 8}},
    {"pl_PL",
     {"00000415", ";", ",", "\xA0"},
     {"-", ":", "yyyy-MM-dd", "HH:mm:ss", "", ""},
     {"zl", 2, 3, 8}},
    {"cs_CZ",
     {"00000405", ";", ",", "\xA0"},
     {".", ":", "d.M.yyyy", "H:mm:ss", "dop.", "odp."},
     {"Kc", 2, 3, 8}},
    // The C and POSIX locales behave as US English.
    {"C",
     {"00000409", ",", ".", ","},
     {"/", ":", "M/d/yyyy", "h:mm:ss tt", "AM", "PM"},
     {"$", 2, 0, 0}},
}};

const KnownLocale& cLocale() {
    return KnownLocales.back();
}

// The locale a POSIX locale name ("de_AT.UTF-8@euro") stands for: the entry of its language and
// territory, else the first of its language, else C.
const KnownLocale& knownLocale(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));
    std::string language, territory;
    const auto separator = name.find_first_of("_-");
    for (char c : name.substr(0, separator))
        language += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (separator != name.npos)
        for (char c : name.substr(separator + 1))
            territory += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (language.empty() || language == "c" || language == "posix")
        return cLocale();
    const std::string full = language + "_" + territory;
    for (const KnownLocale& known : KnownLocales)
        if (full == known.name)
            return known;
    for (const KnownLocale& known : KnownLocales)
        if (std::string_view(known.name).starts_with(language + "_"))
            return known;
    return cLocale();
}

// The locale name of a category as POSIX resolves it: LC_ALL, else the category's variable,
// else LANG; unset and empty variables do not count.
std::string_view categoryLocaleName(const char* category) {
    for (const char* variable : {"LC_ALL", category, "LANG"})
        if (const char* value = std::getenv(variable); value && *value)
            return value;
    return "C";
}

std::optional<int> integerOf(const SettingsStore::Value& value) {
    if (value.type == SettingsStore::ValueType::Integer)
        return static_cast<int>(value.number);
    std::string_view text = value.text;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

// The settings made of the three parts, which may come from different locales.
LocaleSettings combined(const NumericPart& numeric, const TimePart& time,
                        const MonetaryPart& monetary) {
    LocaleSettings settings;
    settings.Locale = numeric.Locale;
    settings.sList = numeric.sList;
    settings.sDecimal = numeric.sDecimal;
    settings.sThousand = numeric.sThousand;
    settings.sDate = time.sDate;
    settings.sTime = time.sTime;
    settings.sShortDate = time.sShortDate;
    settings.sTimeFormat = time.sTimeFormat;
    settings.s1159 = time.s1159;
    settings.s2359 = time.s2359;
    settings.sCurrency = monetary.sCurrency;
    settings.iCurrDigits = monetary.iCurrDigits;
    settings.iCurrency = monetary.iCurrency;
    settings.iNegCurr = monetary.iNegCurr;
    return settings;
}

} // namespace

LocaleSettings localeSettingsOf(std::string_view name) {
    const KnownLocale& known = knownLocale(name);
    return combined(known.numeric, known.time, known.monetary);
}

LocaleSettings processLocaleSettings() {
    // The identifier and the list separator go with the number formats.
    return combined(knownLocale(categoryLocaleName("LC_NUMERIC")).numeric,
                    knownLocale(categoryLocaleName("LC_TIME")).time,
                    knownLocale(categoryLocaleName("LC_MONETARY")).monetary);
}

LocaleSettings localeSettings(const SettingsStore& store) {
    LocaleSettings settings = processLocaleSettings();
    const std::pair<const char*, std::string LocaleSettings::*> texts[] = {
        {"Locale", &LocaleSettings::Locale},         {"sList", &LocaleSettings::sList},
        {"sDecimal", &LocaleSettings::sDecimal},     {"sThousand", &LocaleSettings::sThousand},
        {"sDate", &LocaleSettings::sDate},           {"sTime", &LocaleSettings::sTime},
        {"sShortDate", &LocaleSettings::sShortDate}, {"sTimeFormat", &LocaleSettings::sTimeFormat},
        {"s1159", &LocaleSettings::s1159},           {"s2359", &LocaleSettings::s2359},
        {"sCurrency", &LocaleSettings::sCurrency},
    };
    for (const auto& [name, field] : texts)
        if (auto text = store.readString(InternationalKey, name))
            settings.*field = std::move(*text);
    // Codes outside the ranges Windows defines are left out, so no reader meets them.
    const struct {
        const char* name;
        int LocaleSettings::*field;
        int highest;
    } numbers[] = {
        {"iCurrDigits", &LocaleSettings::iCurrDigits, 9},
        {"iCurrency", &LocaleSettings::iCurrency, 3},
        {"iNegCurr", &LocaleSettings::iNegCurr, 15},
    };
    for (const auto& [name, field, highest] : numbers)
        if (const auto value = store.read(InternationalKey, name))
            if (const auto number = integerOf(*value); number && *number >= 0 && *number <= highest)
                settings.*field = *number;
    return settings;
}

} // namespace ovena
