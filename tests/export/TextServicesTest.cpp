#include "ExportFixture.h"

#include "export/DateTimeText.h"
#include "export/ExportError.h"
#include "export/FooterFormat.h"
#include "export/TextServices.h"

namespace ovena::test {
namespace {

TEST(NumberRecognition, FollowsTheLocaleDecimalSeparator) {
    const LocaleSettings comma = commaLocale();
    const LocaleSettings point = pointLocale();
    EXPECT_TRUE(IsNumeric("1,5", comma));
    EXPECT_FALSE(IsNumeric("1.5", comma));
    EXPECT_TRUE(IsNumeric("12.5", point));
    EXPECT_FALSE(IsNumeric("1,5", point));
    EXPECT_TRUE(IsNumeric("  -3", point));
    EXPECT_TRUE(IsNumeric("+2.5E-3", point));
    EXPECT_TRUE(IsNumeric("7.", point));
    EXPECT_FALSE(IsNumeric("12 ", point)); // a blank after the number
    EXPECT_FALSE(IsNumeric("1.2.3", point));
    EXPECT_FALSE(IsNumeric("", point));
    EXPECT_FALSE(IsNumeric("   ", point));
    EXPECT_FALSE(IsNumeric(".", point));
    EXPECT_FALSE(IsNumeric("2E", point));
    EXPECT_FALSE(IsNumeric("1,234.5", point));
}

TEST(NumberRecognition, ValueOnlyForNumbersADoubleHolds) {
    const LocaleSettings comma = commaLocale();
    const LocaleSettings point = pointLocale();
    EXPECT_EQ(NumericValue("12,5", comma), 12.5);
    EXPECT_EQ(NumericValue("  +2.5E-3", point), 0.0025);
    EXPECT_EQ(NumericValue("-7.", point), -7.0);
    EXPECT_EQ(NumericValue(",5", comma), 0.5);
    EXPECT_EQ(NumericValue("0.000e-999", point), 0.0);
    EXPECT_EQ(NumericValue("1.7976931348623157e308", point), 1.7976931348623157e308);
    EXPECT_EQ(NumericValue("12.5", comma), std::nullopt);
    EXPECT_EQ(NumericValue("abc", point), std::nullopt);
    EXPECT_EQ(NumericValue("", point), std::nullopt);
    // Numbers IsNumeric accepts but no double holds.
    for (const char* text : {"1e999", "-1e999", "1e-400", "1,5e-400", "1e-310", "0.0001e-320"}) {
        const LocaleSettings& locale =
            std::string_view(text).find(',') != std::string_view::npos ? comma : point;
        EXPECT_TRUE(IsNumeric(text, locale)) << text;
        EXPECT_EQ(NumericValue(text, locale), std::nullopt) << text;
    }
}

TEST(NumberCleaning, DropsThousandsSeparatorsOrFallsBack) {
    const LocaleSettings comma = commaLocale();
    EXPECT_EQ(CleanNumber(" 1.234,5 ", "x", comma), "1234,5");
    EXPECT_EQ(CleanNumber("-12", "x", comma), "-12");
    EXPECT_EQ(CleanNumber(",5", "x", comma), ",5");
    EXPECT_EQ(CleanNumber("", "fallback", comma), "fallback");
    EXPECT_EQ(CleanNumber("12a", "fallback", comma), "fallback");
    EXPECT_EQ(CleanNumber("1-2", "fallback", comma), "fallback");
    EXPECT_EQ(ToPointDecimal("1,5,6", comma), "1.5,6");
    EXPECT_EQ(ToPointDecimal("1,5", pointLocale()), "1,5");
}

TEST(TextServices, BreaksTokensAndEscapes) {
    EXPECT_EQ(NormalizeBreaks("a\tb\r\nc\x01", "\\tab ", "\\par\r\n"), "a\\tab b\\par\r\nc");
    EXPECT_EQ(KeepOnly("12.Dez.2026", "0123456789."), "12..2026");
    EXPECT_EQ(EscapeChar("say \"hi\"", '"', '"'), "say \"\"hi\"\"");
    EXPECT_EQ(TemplateToken("a;b;c", 1), "a");
    EXPECT_EQ(TemplateToken("a;b;c", 3), "c");
    EXPECT_EQ(TemplateToken("a;;c", 2), "");
    try {
        TemplateToken("a;b", 3);
        FAIL() << "no error for a missing token";
    } catch (const ExportError& e) {
        EXPECT_STREQ(e.what(), "There is no Token \"3\" in the String \"a;b\"");
    }
    EXPECT_THROW(TemplateToken("a;b", 0), ExportError);
    EXPECT_EQ(splitLines("a\r\nb\nc\r"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
}

TEST(SpreadsheetFormats, BuiltFromTheLocale) {
    LocaleSettings l = commaLocale();
    EXPECT_EQ(SpreadsheetDateFormat(l), "dd.mm.yyyy");
    EXPECT_EQ(SpreadsheetDateFormat(pointLocale()), "m/d/yyyy");
    EXPECT_EQ(SpreadsheetTimeFormat(l, false, false), "h:mm"); // no designators
    const LocaleSettings p = pointLocale();
    EXPECT_EQ(SpreadsheetTimeFormat(p, true, false), "h:mm:ss\\ AM/PM");
    EXPECT_EQ(SpreadsheetTimeFormat(p, true, true), "h:mm:ss");

    l.sCurrency = "EUR";
    EXPECT_EQ(SpreadsheetCurrencyFormat(l), "#,##0.00\" EUR\"_);[Red]\\-#,##0.00\" EUR\"");
    EXPECT_EQ(SpreadsheetCurrencyFormat(p), "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)");
    l.iCurrDigits = 0;
    l.iCurrency = 2;
    l.iNegCurr = 15;
    EXPECT_EQ(SpreadsheetCurrencyFormat(l), "\"EUR \"#,##0._);[Red]\\(#,##0.\" EUR\"\\)");
    l.iCurrency = 4;
    l.iNegCurr = 16;
    EXPECT_EQ(SpreadsheetCurrencyFormat(l), "_);[Red]");
}

TEST(FooterFormat, TakesTheItemCountAsAFloatingPointArgument) {
    const LocaleSettings comma = commaLocale();
    EXPECT_EQ(formatWithNumber("%.0f items exported", 3, comma), "3 items exported");
    EXPECT_EQ(formatWithNumber("%f", 3, comma), "3,00");
    EXPECT_EQ(formatWithNumber("[%5.1f]", 3, comma), "[  3,0]");
    EXPECT_EQ(formatWithNumber("[%-6.0f]", 3, comma), "[3     ]");
    EXPECT_EQ(formatWithNumber("%n", 12345, comma), "12.345,00");
    EXPECT_EQ(formatWithNumber("%g and 100%%", 12, comma), "12 and 100%");
    EXPECT_EQ(formatWithNumber("%e", 12, pointLocale()), "1.20000000000000E+001");
    EXPECT_EQ(formatWithNumber("%m", 1234, comma), "1.234,00 \x80");
    EXPECT_EQ(formatWithNumber("no placeholder", 3, comma), "no placeholder");
    EXPECT_EQ(formatWithNumber("%0:.0f", 3, comma), "3");
    EXPECT_THROW(formatWithNumber("%d items", 3, comma), ExportError);
    EXPECT_THROW(formatWithNumber("%s", 3, comma), ExportError);
    EXPECT_THROW(formatWithNumber("%.0f of %.0f", 3, comma), ExportError);
    EXPECT_THROW(formatWithNumber("100%", 3, comma), ExportError);
    EXPECT_THROW(formatWithNumber("%*f", 3, comma), ExportError);
}

TEST(DateTimeText, FormatsWindowsPictures) {
    const CivilDateTime t{2026, 12, 9, 15, 4, 5};
    const LocaleSettings p = pointLocale();
    EXPECT_EQ(formatWindowsDateTime("dd.MM.yyyy HH:mm:ss", t, p), "09.12.2026 15:04:05");
    EXPECT_EQ(formatWindowsDateTime("M/d/yy h:m:s tt", t, p), "12/9/26 3:4:5 PM");
    EXPECT_EQ(formatWindowsDateTime("dddd, d MMMM yyyy 'at' H", t, p),
              "Wednesday, 9 December 2026 at 15");
    EXPECT_EQ(formatWindowsDateTime("ddd MMM", t, p), "Wed Dec");
}

TEST(DateTimeText, ParsesInTheOrderOfTheShortDateFormat) {
    const LocaleSettings comma = commaLocale();
    const LocaleSettings point = pointLocale();
    EXPECT_DOUBLE_EQ(ParseDate("31.12.1899", comma, 2026), 1);
    EXPECT_DOUBLE_EQ(ParseDate("09.12.2026", comma, 2026), dateSerial(2026, 12, 9));
    EXPECT_DOUBLE_EQ(ParseDate("12/9/2026", point, 2026), dateSerial(2026, 12, 9));
    EXPECT_DOUBLE_EQ(ParseDate("9.12", comma, 2026), dateSerial(2026, 12, 9));
    EXPECT_DOUBLE_EQ(ParseDate("9.12.26", comma, 2026), dateSerial(2026, 12, 9));
    EXPECT_DOUBLE_EQ(ParseDate("9.12.80", comma, 2026), dateSerial(1980, 12, 9));
    EXPECT_DOUBLE_EQ(ParseDate("Tag 9.12.2026", comma, 2026), dateSerial(2026, 12, 9));
    EXPECT_THROW(ParseDate("31.02.2026", comma, 2026), ExportError);
    EXPECT_THROW(ParseDate("abc", comma, 2026), ExportError);
    EXPECT_THROW(ParseDate("9.12.", comma, 2026), ExportError);
    EXPECT_DOUBLE_EQ(ParseDateTime("09.12.2026 12:00", comma, 2026), dateSerial(2026, 12, 9) + 0.5);
    EXPECT_DOUBLE_EQ(ParseDateTime("12/9/2026 6:00:00 PM", point, 2026),
                     dateSerial(2026, 12, 9) + 0.75);
    EXPECT_DOUBLE_EQ(ParseDateTime("12:00 AM", point, 2026), 0);
    EXPECT_THROW(ParseDateTime("09.12.2026 25:00", comma, 2026), ExportError);
}

} // namespace
} // namespace ovena::test
