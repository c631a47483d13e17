#include "platform/LocaleSettings.h"

#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using ovena::InternationalKey;
using ovena::LocaleSettings;
using ovena::localeSettings;
using ovena::processLocaleSettings;

// Sets the locale variables; every variable not given is removed.
void setLocale(const char* lang, const char* lcAll = nullptr, const char* lcNumeric = nullptr,
               const char* lcTime = nullptr, const char* lcMonetary = nullptr) {
    const std::pair<const char*, const char*> variables[] = {{"LANG", lang},
                                                             {"LC_ALL", lcAll},
                                                             {"LC_NUMERIC", lcNumeric},
                                                             {"LC_TIME", lcTime},
                                                             {"LC_MONETARY", lcMonetary}};
    for (const auto& [name, value] : variables)
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
}

LocaleSettings settingsOf(const char* lang) {
    setLocale(lang);
    return processLocaleSettings();
}

void expectAll(const LocaleSettings& s, const LocaleSettings& expected) {
    EXPECT_EQ(s.Locale, expected.Locale);
    EXPECT_EQ(s.sList, expected.sList);
    EXPECT_EQ(s.sDecimal, expected.sDecimal);
    EXPECT_EQ(s.sThousand, expected.sThousand);
    EXPECT_EQ(s.sDate, expected.sDate);
    EXPECT_EQ(s.sTime, expected.sTime);
    EXPECT_EQ(s.sShortDate, expected.sShortDate);
    EXPECT_EQ(s.sTimeFormat, expected.sTimeFormat);
    EXPECT_EQ(s.s1159, expected.s1159);
    EXPECT_EQ(s.s2359, expected.s2359);
    EXPECT_EQ(s.sCurrency, expected.sCurrency);
    EXPECT_EQ(s.iCurrDigits, expected.iCurrDigits);
    EXPECT_EQ(s.iCurrency, expected.iCurrency);
    EXPECT_EQ(s.iNegCurr, expected.iNegCurr);
}

const LocaleSettings UnitedStates = {"00000409",   ",",  ".",  ",", "/", ":", "M/d/yyyy",
                                     "h:mm:ss tt", "AM", "PM", "$", 2,   0,   0};
const LocaleSettings Germany = {"00000407", ";", ",", ".",    ".", ":", "dd.MM.yyyy",
                                "HH:mm:ss", "",  "",  "\x80", 2,   3,   8};

TEST(LocaleSettings, UsAndGermanValuesAreThoseOfWindows) {
    expectAll(settingsOf("en_US.UTF-8"), UnitedStates);
    expectAll(settingsOf("de_DE.UTF-8"), Germany);
    expectAll(settingsOf("de_DE@euro"), Germany);
    expectAll(settingsOf("de_DE.ISO-8859-15@euro"), Germany);
}

TEST(LocaleSettings, EveryTableLocaleIsConsistent) {
    const std::pair<const char*, const char*> identifiers[] = {
        {"en_US", "00000409"}, {"en_GB", "00000809"},  {"en_AU", "00000C09"}, {"en_CA", "00001009"},
        {"de_DE", "00000407"}, {"de_AT", "00000C07"},  {"de_CH", "00000807"}, {"fr_FR", "0000040C"},
        {"fr_CH", "0000100C"}, {"it_IT", "00000410"},  {"it_CH", "00000810"}, {"nl_NL", "00000413"},
        {"es_ES", "00000C0A"}, {"pl_PL", "00000415"},  {"cs_CZ", "00000405"}, {"C", "00000409"},
        {"POSIX", "00000409"}, {"C.UTF-8", "00000409"}};
    for (const auto& [name, identifier] : identifiers) {
        SCOPED_TRACE(name);
        const LocaleSettings s = settingsOf(name);
        EXPECT_EQ(s.Locale, identifier);
        if (s.sDecimal == ",") {
            EXPECT_EQ(s.sList, ";");
        }
        EXPECT_NE(s.sDecimal, s.sThousand);
        EXPECT_NE(s.sList, s.sDecimal);
        // The formats use the separators of the same locale, and AM/PM patterns have designators.
        EXPECT_NE(s.sShortDate.find(s.sDate), std::string::npos);
        EXPECT_NE(s.sTimeFormat.find(s.sTime + "mm" + s.sTime + "ss"), std::string::npos);
        if (s.sTimeFormat.find("tt") != std::string::npos) {
            EXPECT_NE(s.s1159, "");
            EXPECT_NE(s.s2359, "");
        }
        EXPECT_FALSE(s.sCurrency.empty());
        EXPECT_GE(s.iCurrency, 0);
        EXPECT_LE(s.iCurrency, 3);
        EXPECT_GE(s.iNegCurr, 0);
        EXPECT_LE(s.iNegCurr, 15);
    }
}

TEST(LocaleSettings, OtherLocalesOfTheTable) {
    const LocaleSettings uk = settingsOf("en_GB.UTF-8");
    EXPECT_EQ(uk.sShortDate, "dd/MM/yyyy");
    EXPECT_EQ(uk.sTimeFormat, "HH:mm:ss");
    EXPECT_EQ(uk.sCurrency, "\xA3");
    const LocaleSettings austria = settingsOf("de_AT.UTF-8");
    EXPECT_EQ(austria.sShortDate, "dd.MM.yyyy");
    EXPECT_EQ(austria.iCurrency, 2); // the euro sign before the amount
    const LocaleSettings swiss = settingsOf("de_CH.UTF-8");
    EXPECT_EQ(swiss.sDecimal, ".");
    EXPECT_EQ(swiss.sThousand, "'");
    const LocaleSettings france = settingsOf("fr_FR.UTF-8");
    EXPECT_EQ(france.sThousand, "\xA0");
    EXPECT_EQ(france.sShortDate, "dd/MM/yyyy");
    EXPECT_EQ(france.sCurrency, "\x80");
    EXPECT_EQ(settingsOf("nl_NL.UTF-8").sShortDate, "d-M-yyyy");
}

TEST(LocaleSettings, CategoriesFollowThePosixOrder) {
    setLocale("en_US.UTF-8", nullptr, nullptr, "de_DE.UTF-8", "fr_CH.UTF-8");
    LocaleSettings s = processLocaleSettings();
    EXPECT_EQ(s.Locale, "00000409");
    EXPECT_EQ(s.sDecimal, ".");
    EXPECT_EQ(s.sShortDate, "dd.MM.yyyy");
    EXPECT_EQ(s.s1159, "");
    EXPECT_EQ(s.sCurrency, "fr.");

    setLocale("en_US.UTF-8", nullptr, "de_DE.UTF-8");
    s = processLocaleSettings();
    EXPECT_EQ(s.Locale, "00000407");
    EXPECT_EQ(s.sDecimal, ",");
    EXPECT_EQ(s.sList, ";");
    EXPECT_EQ(s.sShortDate, "M/d/yyyy");
    EXPECT_EQ(s.sCurrency, "$");

    setLocale("en_US.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "fr_FR.UTF-8", "fr_FR.UTF-8");
    expectAll(processLocaleSettings(), Germany);

    setLocale("de_DE.UTF-8", "", "", "");
    // Empty variables do not count.
    expectAll(processLocaleSettings(), Germany);

    setLocale(nullptr);
    // Nothing set is the C locale.
    expectAll(processLocaleSettings(), UnitedStates);
}

TEST(LocaleSettings, UnknownNamesFallBackByLanguageThenToC) {
    expectAll(settingsOf("de_LU.UTF-8"), Germany);
    expectAll(settingsOf("de"), Germany);
    EXPECT_EQ(settingsOf("en_NZ.UTF-8").Locale, "00000409");
    EXPECT_EQ(settingsOf("fr_CA.UTF-8").sShortDate, "dd/MM/yyyy");
    EXPECT_EQ(settingsOf("DE_at.utf8").Locale, "00000C07");
    expectAll(settingsOf("sv_SE.UTF-8"), UnitedStates);
    expectAll(settingsOf("ja_JP.eucJP"), UnitedStates);
    expectAll(settingsOf("_"), UnitedStates);
    expectAll(settingsOf("."), UnitedStates);
    expectAll(settingsOf("\xFF\xFE garbage"), UnitedStates);
}

TEST(LocaleSettings, StoredValuesWinOneByOne) {
    setLocale("de_DE.UTF-8");
    ovena::SettingsStore store;
    // No key: all from the process locale.
    expectAll(localeSettings(store), Germany);

    store.writeString("\\Control Panel\\International", "Locale", "00000409");
    store.writeString(InternationalKey, "sList", "");
    store.writeString(InternationalKey, "SDECIMAL", ".");
    store.writeString(InternationalKey, "s1159", "vorm.");
    store.writeString(InternationalKey, "sCurrency", "EUR");
    store.writeString(InternationalKey, "iCurrDigits", " 3 ");
    store.writeInteger(InternationalKey, "iNegCurr", 5);
    store.writeInteger(InternationalKey, "sThousand", 1); // not a text: left out
    LocaleSettings s = localeSettings(store);
    EXPECT_EQ(s.Locale, "00000409");
    EXPECT_EQ(s.sList, "") << "an empty value is present";
    EXPECT_EQ(s.sDecimal, ".");
    EXPECT_EQ(s.sThousand, ".");
    EXPECT_EQ(s.s1159, "vorm.");
    EXPECT_EQ(s.s2359, "");
    EXPECT_EQ(s.sCurrency, "EUR");
    EXPECT_EQ(s.iCurrDigits, 3);
    EXPECT_EQ(s.iCurrency, 3);
    EXPECT_EQ(s.iNegCurr, 5);
    EXPECT_EQ(s.sShortDate, "dd.MM.yyyy");

    store.writeString(InternationalKey, "Locale", "not hex"); // passed on as it is
    store.writeString(InternationalKey, "iCurrDigits", "2x");
    store.writeString(InternationalKey, "iCurrency", "4");
    store.writeInteger(InternationalKey, "iNegCurr", 0xFFFFFFFF);
    s = localeSettings(store);
    EXPECT_EQ(s.Locale, "not hex");
    EXPECT_EQ(s.iCurrDigits, 2);
    EXPECT_EQ(s.iCurrency, 3);
    EXPECT_EQ(s.iNegCurr, 8);
}

} // namespace
