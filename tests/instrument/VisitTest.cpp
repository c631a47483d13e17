// Records read into visits: which line is what, the rows they make, the draft carried to the
// measurement, tests and the instrument's mean, values tied to their fields, dates as dates.

#include "instrument/Visit.h"

#include <gmock/gmock.h>

namespace ovena::instrument {
namespace {

using testing::ElementsAreArray;

// Row by row: how it opened (C customer line, M measurement, E earlier record), the customer it
// shows, then its measurement: the line, what it is (plain, mean, test N) and its draft text.
std::vector<std::string> describe(const Visit& visit) {
    std::vector<std::string> rows;
    for (const Row& row : visit.rows) {
        std::string text = row.openedBy == Row::Opening::CustomerLine  ? "C"
                           : row.openedBy == Row::Opening::Measurement ? "M"
                                                                       : "E";
        text += " " + row.customer.value_or("-");
        if (row.measurement) {
            const Measurement& m = visit.measurements[*row.measurement];
            text += " line " + std::to_string(m.line) + " ";
            text += m.isTest() ? "test " + std::to_string(m.test) : m.mean ? "mean" : "plain";
            if (m.draft)
                text += " draft " + m.draft->text;
        }
        rows.push_back(text);
    }
    return rows;
}

struct RowsCase {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> rows;
};

class VisitRows : public testing::TestWithParam<RowsCase> {};

TEST_P(VisitRows, LinesMakeTheRowsOfTheTable) {
    EXPECT_THAT(describe(readVisit(GetParam().lines)), ElementsAreArray(GetParam().rows));
}

INSTANTIATE_TEST_SUITE_P(
    Records, VisitRows,
    testing::Values(
        RowsCase{"CustomerAndMeasurement", {"1;4711", "2;2312241530;1"}, {"C 4711 line 1 plain"}},
        RowsCase{"FurtherMeasurementsOfOneCustomer",
                 {"1;4711", "2;a", "2;b", "1;4712", "1;4713", "2;c"},
                 {"C 4711 line 1 plain", "M 4711 line 2 plain", "C 4712", "C 4713 line 5 plain"}},
        RowsCase{"TestsThenTheMean",
                 {"1;4800", "21;x", "22;x", "23;x", "2;x", "2;x"},
                 {"C 4800 line 1 test 1", "M 4800 line 2 test 2", "M 4800 line 3 test 3",
                  "M 4800 line 4 mean", "M 4800 line 5 plain"}},
        RowsCase{"TheDraftPassesTestsToTheNextMeasurementOnce",
                 {"1;1", "12;0;0;0;-0,12", "21;x", "2;x", "2;x", "12;;;;", "2;x"},
                 {"C 1 line 2 test 1", "M 1 line 3 mean draft -0,12", "M 1 line 4 plain",
                  "M 1 line 6 plain draft "}},
        RowsCase{"AMeasurementBeforeAnyCustomerLine",
                 {"12;;;;5", "2;x", "2;y", "1;9", "2;z"},
                 {"M - line 1 plain draft 5", "M - line 2 plain", "C 9 line 4 plain"}},
        RowsCase{"GarbledLinesAreSkippedOrReadByTheirFirstNumber",
                 {"", "X", ";;;", "99;1", "1x;7", " 2;a", "$15;b", "-2;c", "3;d"},
                 {"C 7 line 5 plain", "M 7 line 6 test 1"}},
        RowsCase{"NoLines", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Visit, TestsAndTheMeanAreFoundWithTheirValuesByField) {
    const Visit visit = readVisit(std::vector<std::string>{
        "1;4800", "21;0801021200;3;19.0;140.0;50.0;5.1;9;30;1000.0;1.30;11.0;8;6.0",
        "22;0801021201;3;19.0;141.0;50.0;5,2", "23;bad", "12;0;0;0;-0.12",
        "2;0801021210;$A;19.0;143.0;50.0;5.4;9;30;1000.0;1.30;11.0;8;0.05;0;1;2;3;4;5;6;7"});
    EXPECT_EQ(visit.customer, "4800");
    EXPECT_EQ(visit.lineTypes, (std::vector<int>{1, 21, 22, 23, 12, 2}));
    ASSERT_EQ(visit.tests().size(), 3u);
    EXPECT_EQ(visit.tests()[1]->number(Field::O2), 5.2);
    EXPECT_EQ(visit.tests()[2]->number(Field::O2), std::nullopt);
    EXPECT_EQ(visit.tests()[0]->number(Field::Efficiency), 94.0);
    EXPECT_EQ(visit.tests()[0]->number(Field::Draft), std::nullopt);

    const Measurement* mean = visit.mean();
    ASSERT_NE(mean, nullptr);
    EXPECT_EQ(mean->line, 5u);
    EXPECT_EQ(mean->fuel, 10);
    EXPECT_EQ(mean->value(Field::FlueGasTemperature).text, "143.0");
    EXPECT_EQ(mean->number(Field::NOx), 7.0);
    EXPECT_EQ(mean->number(Field::SO2), 4.0);
    EXPECT_EQ(mean->number(Field::FlueGasLoss), 0.05);
    EXPECT_EQ(mean->number(Field::Efficiency), std::nullopt) << "no loss measured";
    EXPECT_EQ(mean->number(Field::Draft), -0.12);
    EXPECT_EQ(mean->number(Field::Fuel), std::nullopt);
    EXPECT_EQ(mean->value(Field::CustomerNo).text, "");
    EXPECT_EQ(mean->takenAt->iso(), "2008-01-02T12:10");
    EXPECT_EQ(readVisit(std::vector<std::string>{"1;1", "2;x"}).mean(), nullptr);
}

TEST(Visit, OnlyRealDatesAndTimesAreDates) {
    EXPECT_EQ(parseDateTime("2402291530")->iso(), "2024-02-29T15:30");
    EXPECT_EQ(parseDateTime("0001010000")->iso(), "2000-01-01T00:00");
    EXPECT_EQ(parseDateTime("9912312359")->iso(), "2099-12-31T23:59");
    for (const char* notADate :
         {"2302291530", "2304311530", "2313241530", "2300241530", "2312001530", "2312242400",
          "2312241560", "231224153", "23122415301", "23-2241530", " 312241530", ""})
        EXPECT_EQ(parseDateTime(notADate), std::nullopt) << notADate;
}

// The records of one table are read as one sequence: the row a customer line opened, the draft
// and a test before the mean carry into the next record; a reader of its own starts afresh.
TEST(VisitReader, WhatALineLeavesOpenCarriesIntoTheNextRecord) {
    const std::vector<std::string> first{"1;4711", "21;x", "12;;;;7", "1;4712"};
    const std::vector<std::string> second{"2;y", "2;z"};
    VisitReader reader;
    EXPECT_THAT(describe(reader.read(first)), ElementsAreArray({"C 4711 line 1 test 1", "C 4712"}));
    EXPECT_THAT(describe(reader.read(second)),
                ElementsAreArray({"E - line 0 mean draft 7", "M - line 1 plain"}));
    EXPECT_THAT(describe(readVisit(second)),
                ElementsAreArray({"M - line 0 plain", "M - line 1 plain"}));
}

} // namespace
} // namespace ovena::instrument
