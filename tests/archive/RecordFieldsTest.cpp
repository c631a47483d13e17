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

// Row by row: line type, date, a few values and the draft.
std::vector<std::string> describe(const std::vector<MeasurementRow>& rows) {
    std::vector<std::string> texts;
    const auto number = [](const std::optional<double>& v) {
        return v ? std::to_string(*v).substr(0, std::to_string(*v).find('.') + 2) : "-";
    };
    for (const MeasurementRow& r : rows)
        texts.push_back(std::to_string(r.position) + " " + std::to_string(r.lineType) + " " +
                        r.measuredAt.value_or("-") + " " + number(r.values[3]) + " " +
                        number(r.values[21]) + " " + number(r.draft));
    return texts;
}

TEST(RecordFields, ARecordsRowsAreTheRowsItsTableHas) {
    // A customer, a draft, three tests and the measurement that takes the draft: four rows, the
    // first filling the customer's.
    EXPECT_THAT(
        describe(measurementRows({"1;4711", "12;2312241528;11.8;0.4;12.2", "21;2312241529;3;1",
                                  "22;2312241530;3;2,5", "23;2312241531;3;-3", "99;ignored",
                                  "2;2312241532;3;18.3" + std::string(17, ';') + ";112"})),
        testing::ElementsAre("0 21 2023-12-24T15:29 1.0 - -", "1 22 2023-12-24T15:30 2.5 - -",
                             "2 23 2023-12-24T15:31 -3.0 - -",
                             "3 2 2023-12-24T15:32 18.3 112.0 12.2"));
    // A second measurement has a row of its own and no draft; a customer line that no
    // measurement follows keeps a row of its own; a measurement before any customer line too.
    EXPECT_THAT(describe(measurementRows({"2;x;1;5", "1;1", "2;2401011200;1;7", "2;;1;8", "1;2",
                                          "1;3", "12;;;;4", "21;;;9", "2;;;"})),
                testing::ElementsAre("0 2 - 5.0 - -", "1 2 2024-01-01T12:00 7.0 - -",
                                     "2 2 - 8.0 - -", "3 1 - - - -", "4 21 - 9.0 - -",
                                     "5 2 - - - 4.0"));
    EXPECT_TRUE(measurementRows({"12;1;2;3;4", "X"}).empty());
}

TEST(RecordFields, ValuesAreReadAsTheTableReadsNumbers) {
    EXPECT_EQ(numberValue("12.5"), 12.5);
    EXPECT_EQ(numberValue("12,5"), 12.5);
    EXPECT_EQ(numberValue(" -3.0 ppm"), -3.0);
    EXPECT_EQ(numberValue("007"), 7.0);
    EXPECT_EQ(numberValue(".5"), 0.5);
    for (const char* none : {"", "   ", "---", "-", "1.2.3", "abc"})
        EXPECT_EQ(numberValue(none), std::nullopt) << none;
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
