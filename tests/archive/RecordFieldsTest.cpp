// What the archive derives from record lines, and its encodings of them.

#include "archive/RecordFields.h"

#include <gmock/gmock.h>

namespace ovena::test {
namespace {

using namespace archive;

TEST(RecordFields, CustomerDateFuelAndTypesComeFromTheFirstLinesThatHoldThem) {
    const std::vector<std::string> fuels{"Heiz\xF6l EL", "Erdgas H", "Holz"};
    RecordFields f = deriveFields({"1;4711;x", "12;2312241528;11.8;0.4;12.2", "21;2312241529;3;1",
                                   "2;2312241530;1;18.3", "1;4712"},
                                  fuels);
    EXPECT_EQ(f.customer, "4711");
    EXPECT_EQ(f.measuredAt, "2023-12-24T15:29"); // the test line came first
    EXPECT_EQ(f.fuel, "Holz");
    EXPECT_EQ(f.lineTypes, "1,12,21,2,1");

    f = deriveFields({"2;0001010000;77", "X"}, fuels); // fuel clamped, no customer line
    EXPECT_EQ(f.customer, "");
    EXPECT_EQ(f.measuredAt, "2000-01-01T00:00");
    EXPECT_EQ(f.fuel, "Holz");
    EXPECT_EQ(f.lineTypes, "2,?");

    f = deriveFields({"1;5", "2;23122415;0"}, {}); // a cut date, no fuel names
    EXPECT_EQ(f.measuredAt, std::nullopt);
    EXPECT_EQ(f.fuel, "");
}

TEST(RecordFields, OnlyRealDatesBecomeIsoTexts) {
    EXPECT_EQ(isoDateTime("9912312359"), "2099-12-31T23:59");
    for (const char* bad : {"2313241530", "2312001530", "2312322400", "2312241560", "231224153",
                            "23122415301", "23-2241530", ""})
        EXPECT_EQ(isoDateTime(bad), std::nullopt) << bad;
}

TEST(RecordFields, JoinedLinesSplitBackExactly) {
    const std::vector<std::vector<std::string>> cases{
        {"1;4711"}, {"", ""}, {"a", "", "b\n", std::string("\0;\xFF", 3)}, {""}};
    for (const auto& lines : cases)
        EXPECT_EQ(splitLines(joinLines(lines)), lines);
    EXPECT_FALSE(fitsOneLine("1;2\r"));
    // The identity covers serial and lines, and where one ends.
    EXPECT_EQ(recordDigest("64", "1;2").size(), 32u);
    EXPECT_NE(recordDigest("64", "1;2"), recordDigest("641", ";2"));
    EXPECT_NE(recordDigest("64", "1;2"), recordDigest("65", "1;2"));
    EXPECT_EQ(recordDigest("64", "1;2"), recordDigest("64", "1;2"));
}

TEST(RecordFields, TextColumnsGetValidUtf8) {
    EXPECT_EQ(cleanText("werkstatt-3 \xC3\xA4"), "werkstatt-3 \xC3\xA4");
    EXPECT_EQ(cleanText(std::string("a\0b", 3)), "a?b");
    EXPECT_EQ(cleanText("\xE4\xC3\x28\xED\xA0\x80\xF0\x9F\x98\x80"), "?"
                                                                     "?(???\xF0\x9F\x98\x80");
}

} // namespace
} // namespace ovena::test
