#include "link/Funcs.h"
#include "link/Scan.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace ovena;

TEST(Funcs, IntegerTextIsPaddedButNeverCut) {
    EXPECT_EQ(IntToZeroText(7, 2), "07");
    EXPECT_EQ(IntToZeroText(12, 3), "012");
    EXPECT_EQ(IntToZeroText(123, 2), "123");
    EXPECT_EQ(IntToText(7, 0), "7");
    EXPECT_EQ(IntToText(7, 3), "  7");
    EXPECT_EQ(IntToText(-42, 5), "  -42");
    EXPECT_EQ(IntToText(-42, -3), "-42");
    EXPECT_EQ(IntToText(std::numeric_limits<std::int32_t>::min(), 0), "-2147483648");
}

TEST(Funcs, FloatTextRoundsPadsAndWritesAComma) {
    EXPECT_EQ(FloatToText(12.5, 0, 1), "12,5");
    EXPECT_EQ(FloatToText(3, 6, 2), "  3,00");
    EXPECT_EQ(FloatToText(2.5, 0, 0), "3");
    EXPECT_EQ(FloatToText(-2.5, 0, 0), "-3");
    EXPECT_EQ(FloatToText(92.75, 0, 1), "92,8");
    EXPECT_EQ(FloatToText(0.125, 0, 2), "0,13");
    EXPECT_EQ(FloatToText(1.005, 0, 2), "1,00") << "1.005 lies below the halfway point";
    EXPECT_EQ(FloatToText(-0.04, 0, 1), "-0,0");
    EXPECT_EQ(FloatToText(5, 0, -2), "5");
    EXPECT_EQ(FloatToText(1e40, 0, 2).size(), 30u) << "kept to 30 characters";
    EXPECT_EQ(FloatToText(1e40, 0, 2).find(','), std::string::npos);
}

TEST(Funcs, TextToIntTakesTheFirstDecimalOrHexNumber) {
    EXPECT_EQ(TextToInt(" 12 records"), 12);
    EXPECT_EQ(TextToInt("-5x"), -5);
    EXPECT_EQ(TextToInt("abc"), 0);
    EXPECT_EQ(TextToInt("-"), 0);
    EXPECT_EQ(TextToInt(""), 0);
    EXPECT_EQ(TextToInt("a-7"), -7);
    EXPECT_EQ(TextToInt("--7"), 0) << "a minus without a digit right after it";
    EXPECT_EQ(TextToInt("x$1f"), 31);
    EXPECT_EQ(TextToInt("5$"), 0);
    EXPECT_EQ(TextToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(TextToInt("$123456789"), 0) << "more than 32 bits";
    EXPECT_EQ(TextToInt("2147483647"), 2147483647);
    EXPECT_EQ(TextToInt("99999999999"), 0) << "out of range converts to nothing";
}

TEST(Funcs, TextToFloatTakesTheFirstNumberWithCommaOrPoint) {
    EXPECT_DOUBLE_EQ(TextToFloat("12,5 %"), 12.5);
    EXPECT_DOUBLE_EQ(TextToFloat("1.234,5"), 0);
    EXPECT_DOUBLE_EQ(TextToFloat("--5"), 0);
    EXPECT_DOUBLE_EQ(TextToFloat("O2 3,4"), 2);
    EXPECT_DOUBLE_EQ(TextToFloat("-0,25"), -0.25);
    EXPECT_DOUBLE_EQ(TextToFloat(",5"), 0.5);
    EXPECT_DOUBLE_EQ(TextToFloat("x"), 0);
    EXPECT_DOUBLE_EQ(TextToFloat("."), 0);
    EXPECT_DOUBLE_EQ(TextToFloat("7 8"), 7);
}

TEST(Funcs, UpperTextAndClamp) {
    EXPECT_EQ(UpperText("heiz\xF6l \xE4\xFC\xC4 \xDF \xE9z"), "HEIZ\xD6L \xC4\xDC\xC4 \xDF \xE9Z");
    EXPECT_EQ(Clamp(5, 1, 3), 3);
    EXPECT_EQ(Clamp(0, 1, 3), 1);
    EXPECT_EQ(Clamp(5, 4, 3), 4);
    EXPECT_EQ(Clamp(2, 1, 3), 2);
}

TEST(Scan, NextTokenWalksTheItemsOfALine) {
    const std::string line = "2;12;;Heiz\xF6l EL;";
    int cursor = 1;
    EXPECT_EQ(NextToken(line, cursor), "2");
    EXPECT_EQ(cursor, 3);
    EXPECT_EQ(NextToken(line, cursor), "12");
    EXPECT_EQ(NextToken(line, cursor), "");
    EXPECT_EQ(NextToken(line, cursor), "Heiz\xF6l EL");
    EXPECT_EQ(cursor, static_cast<int>(line.size()) + 1);
    EXPECT_EQ(NextToken(line, cursor), "");
    EXPECT_EQ(cursor, static_cast<int>(line.size()) + 1) << "beyond the end the cursor stays";

    int last = 1;
    EXPECT_EQ(NextToken("abc", last), "abc");
    EXPECT_EQ(last, 4);
    int none = 1;
    EXPECT_EQ(NextToken("", none), "");
    EXPECT_EQ(none, 1);
    int below = -3;
    EXPECT_EQ(NextToken("a;b", below), "a");
    EXPECT_EQ(below, 3);
}

} // namespace
