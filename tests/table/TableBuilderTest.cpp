#include "table/TableBuilder.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using namespace ovena;

// A measurement of type `type` with the date, fuel number and Qa given; the other values are
// distinct numbers so that a value in the wrong column shows.
std::string measurement(int type, const std::string& date, const std::string& fuel,
                        const std::string& qa = "7.3") {
    return std::to_string(type) + ";" + date + ";" + fuel +
           ";21.5;180.5;60.5;4.5;120;15;2.5;1.25;10.5;140;" + qa + ";1;2;3;0;5;3;999;150";
}

struct Table {
    OutputSettings settings;
    FuelNameTable fuels;
    int fuelCount = 5;
    StringGrid grid;

    Table() {
        for (int i = 1; i <= MaxFuels; ++i)
            fuels[static_cast<std::size_t>(i)] = "Fuel " + std::to_string(i);
    }
    void tickOnly(std::initializer_list<int> fields) {
        settings.Listboxfields.Checked.fill(false);
        for (int field : fields)
            settings.Listboxfields.Checked[static_cast<std::size_t>(field)] = true;
    }
    void build(const std::vector<std::string>& lines) {
        ClearTable(grid);
        BuildTable(Memo{lines}, "12345", fuels, fuelCount, settings, grid);
    }
    std::vector<std::string> row(int r) const {
        std::vector<std::string> cells;
        for (int c = 0; c < grid.ColCount(); ++c)
            cells.push_back(grid.Cell(c, r));
        return cells;
    }
};

TEST(BuildTable, AllFieldsFollowTheCatalogueInOrder) {
    Table t;
    t.build({"1;4711", measurement(2, "0712241530", "3")});
    EXPECT_EQ(t.grid.ColCount(), 26);
    EXPECT_EQ(t.grid.RowCount(), 2);
    const std::vector<std::string> headings = {
        "",    "Serial No.", "Cust.No.", "Time", "Fuel", "TA",       "TG",          "TB", "O2",
        "CO2", "CO",         "CO-0%",    "NO",   "NOx",  "SO2",      "NO2",         "P",  "Lambda",
        "Qa",  "Eta",        "St 1",     "St 2", "St 3", "Oil der.", "Draft[corr]", ""};
    EXPECT_EQ(t.row(0), headings);
    const std::vector<std::string> cells = {"",       "12345", "4711",  "24.12.07  15:30",
                                            "Fuel 3", "21,5",  "180,5", "60,5",
                                            "4,5",    "10,5",  "120",   "140",
                                            "15",     "150",   "5",     "3",
                                            "2,5",    "1,25",  "7,3",   "92,7",
                                            "1",      "2",     "3",     "0",
                                            "",       ""};
    EXPECT_EQ(t.row(1), cells);
}

TEST(BuildTable, FurtherMeasurementsOfACustomerCopyItsIdentityCells) {
    Table t;
    t.build({"1;4711", measurement(2, "0712241530", "3"), measurement(2, "0712241545", "3"),
             "1;4712", measurement(2, "0712241600", "3")});
    ASSERT_EQ(t.grid.RowCount(), 4);
    EXPECT_EQ(t.grid.Cell(1, 2), "12345");
    EXPECT_EQ(t.grid.Cell(2, 2), "4711");
    EXPECT_EQ(t.grid.Cell(3, 2), "24.12.07  15:45");
    EXPECT_EQ(t.grid.Cell(2, 3), "4712");

    // Without the serial number the customer number is the only identity cell.
    t.tickOnly({FieldCustomerNo, FieldDateTime});
    t.build({"1;4711", measurement(2, "0712241530", "3"), measurement(2, "0712241545", "3")});
    EXPECT_EQ(t.row(2), (std::vector<std::string>{"", "4711", "24.12.07  15:45", ""}));
}

TEST(BuildTable, MeasurementBeforeAnyCustomerOpensARowOfItsOwn) {
    Table t;
    t.tickOnly({FieldSerialNo, FieldCustomerNo, FieldDateTime});
    t.build({measurement(2, "0712241530", "3"), measurement(2, "0712241545", "3"), "1;4711",
             measurement(2, "0712241600", "3")});
    EXPECT_EQ(t.row(0), (std::vector<std::string>{"", "Serial No.", "Cust.No.", "Time", ""}));
    EXPECT_EQ(t.row(1), (std::vector<std::string>{"", "", "", "24.12.07  15:30", ""}));
    EXPECT_EQ(t.row(2), (std::vector<std::string>{"", "", "", "24.12.07  15:45", ""}));
    EXPECT_EQ(t.row(3), (std::vector<std::string>{"", "12345", "4711", "24.12.07  16:00", ""}));
    EXPECT_EQ(t.grid.RowCount(), 4);
}

TEST(BuildTable, RecordsOfSeveralInstrumentsShowTheirOwnSerialAndFuelNames) {
    Table t;
    t.tickOnly({FieldSerialNo, FieldCustomerNo, FieldFuel});
    FuelNameTable wood{};
    wood[1] = "Holz";
    const std::vector<std::string> first{"1;4711", measurement(2, "0712241530", "3")};
    // A draft line and a test line carry over into the next record, as in one readout.
    const std::vector<std::string> second{"1;12", "12;a;b;c;7,5",
                                          measurement(21, "0801011200", "2")};
    const std::vector<std::string> third{"1;13", measurement(2, "0801011300", "9"),
                                         measurement(2, "0801011310", "1")};
    const std::string serialA = "64000001", serialB = "64000002";
    const std::vector<TableRecord> records{
        {first, serialA, t.fuels, 5}, {second, serialB, wood, 1}, {third, serialA, t.fuels, 5}};
    BuildTable(records, t.settings, t.grid);
    ASSERT_EQ(t.grid.RowCount(), 5);
    EXPECT_EQ(t.row(0)[0], "Prova"); // a test line in any record gives the test headings
    EXPECT_EQ(t.row(1), (std::vector<std::string>{"", serialA, "4711", "Fuel 3", ""}));
    EXPECT_EQ(t.row(2), (std::vector<std::string>{"Pr.1", serialB, "12", "Holz", ""}));
    EXPECT_EQ(t.row(3), (std::vector<std::string>{"Med.", serialA, "13", "Fuel 5", ""}));
    EXPECT_EQ(t.row(4), (std::vector<std::string>{"", serialA, "13", "Fuel 1", ""}));

    // One readout's lines give the same table either way.
    StringGrid whole;
    std::vector<std::string> all = first;
    all.insert(all.end(), third.begin(), third.end());
    BuildTable(Memo{all}, serialA, t.fuels, 5, t.settings, whole);
    const std::vector<TableRecord> split{{first, serialA, t.fuels, 5},
                                         {third, serialA, t.fuels, 5}};
    StringGrid parts;
    BuildTable(split, t.settings, parts);
    ASSERT_EQ(whole.RowCount(), parts.RowCount());
    for (int r = 0; r < whole.RowCount(); ++r)
        for (int c = 0; c < whole.ColCount(); ++c)
            EXPECT_EQ(whole.Cell(c, r), parts.Cell(c, r)) << c << "," << r;
}

TEST(FormatDateTimeField, RendersEveryLayoutWithEitherYear) {
    const std::string date = "0712241530";
    EXPECT_EQ(FormatDateTimeField(date, 0, false), "24.12.2007  15:30");
    EXPECT_EQ(FormatDateTimeField(date, 1, false), "12.24.2007  15:30");
    EXPECT_EQ(FormatDateTimeField(date, 2, false), "2007.12.24  15:30");
    EXPECT_EQ(FormatDateTimeField(date, 3, false), "2007-12-24  15:30");
    EXPECT_EQ(FormatDateTimeField(date, 4, false), "2007/12/24  15:30");
    EXPECT_EQ(FormatDateTimeField(date, 0, true), "24.12.07  15:30");
    EXPECT_EQ(FormatDateTimeField(date, 4, true), "07/12/24  15:30");
    // A short or empty date gives short parts, never a failure.
    EXPECT_EQ(FormatDateTimeField("07122", 3, true), "07-12-2  :");
    EXPECT_EQ(FormatDateTimeField("", 1, false), "..20  :");
}

TEST(BuildTable, DateFollowsTheLayoutAndYearSettings) {
    Table t;
    t.tickOnly({FieldDateTime});
    t.settings.RadioGroup1.ItemIndex = 1;
    t.settings.RadioGroup2.ItemIndex = 0;
    t.build({"1;4711", measurement(2, "0712241530", "3")});
    EXPECT_EQ(t.grid.Cell(1, 1), "12.24.2007  15:30");
    t.settings.RadioGroup1.ItemIndex = 4;
    t.settings.RadioGroup2.ItemIndex = 1;
    t.build({"1;4711", measurement(2, "0712241530", "3")});
    EXPECT_EQ(t.grid.Cell(1, 1), "07/12/24  15:30");
}

TEST(BuildTable, DecimalDelimiterReplacesCommasAndPointsButLeavesTheDate) {
    EXPECT_EQ(ApplyDecimalDelimiter("12.5", ','), "12,5");
    EXPECT_EQ(ApplyDecimalDelimiter("12,5", '.'), "12.5");
    EXPECT_EQ(ApplyDecimalDelimiter("1.234,5", ','), "1,234,5");
    EXPECT_EQ(ApplyDecimalDelimiter("0712241530", ','), "0712241530");

    Table t;
    t.tickOnly({FieldDateTime, 4, 5, FieldEfficiency});
    t.settings.RadioGroup3.ItemIndex = 1;
    t.settings.RadioGroup1.ItemIndex = 3;
    const std::string line = "2;0712241530;1;12,5;180.5;60;4;120;15;2;1;10;140;7,3";
    t.build({"1;4711", line});
    EXPECT_EQ(t.row(1),
              (std::vector<std::string>{"", "07-12-24  15:30", "12.5", "180.5", "92.7", ""}));
    t.settings.RadioGroup3.ItemIndex = 0;
    t.build({"1;4711", line});
    EXPECT_EQ(t.row(1),
              (std::vector<std::string>{"", "07-12-24  15:30", "12,5", "180,5", "92,7", ""}));
}

TEST(BuildTable, EfficiencyIsLeftEmptyWithoutAMeasurableLoss) {
    Table t;
    t.tickOnly({17, FieldEfficiency});
    t.build({"1;4711", measurement(2, "0712241530", "3", "7.3"),
             measurement(2, "0712241531", "3", "0.05"), measurement(2, "0712241532", "3", "0.1"),
             measurement(2, "0712241533", "3", "n/a"), "2;0712241534;3"});
    EXPECT_EQ(t.row(1), (std::vector<std::string>{"", "7,3", "92,7", ""}));
    EXPECT_EQ(t.row(2), (std::vector<std::string>{"", "0,05", "", ""}));
    EXPECT_EQ(t.row(3), (std::vector<std::string>{"", "0,1", "99,9", ""}));
    EXPECT_EQ(t.row(4), (std::vector<std::string>{"", "n/a", "", ""}));
    EXPECT_EQ(t.row(5), (std::vector<std::string>{"", "", "", ""}));
}

TEST(BuildTable, FuelNumbersOutsideTheTableShowTheNearestFuel) {
    Table t;
    t.tickOnly({FieldFuel});
    t.build({"1;4711", measurement(2, "0712241530", "9"), measurement(2, "0712241530", "0"),
             measurement(2, "0712241530", "x"), measurement(2, "0712241530", "4")});
    EXPECT_EQ(t.grid.Cell(1, 1), "Fuel 5");
    EXPECT_EQ(t.grid.Cell(1, 2), "Fuel 1");
    EXPECT_EQ(t.grid.Cell(1, 3), "Fuel 1");
    EXPECT_EQ(t.grid.Cell(1, 4), "Fuel 4");

    // A fuel count beyond the table's size never reads past its end.
    t.fuelCount = 75;
    t.build({"1;4711", measurement(2, "0712241530", "70")});
    EXPECT_EQ(t.grid.Cell(1, 1), "Fuel 60");
}

TEST(BuildTable, TestMeasurementsAreLabelledAndUseTheTestHeadings) {
    Table t;
    t.tickOnly({FieldSerialNo, FieldCustomerNo, 15, FieldDraft});
    t.build({"1;4711", measurement(21, "0712241530", "3"), measurement(22, "0712241531", "3"),
             measurement(23, "0712241532", "3"), measurement(2, "0712241533", "3"),
             measurement(2, "0712241534", "3")});
    EXPECT_EQ(t.row(0), (std::vector<std::string>{"Prova", "N.matricola", "Codice impianto",
                                                  "Press.", "Tiraggio corr.", ""}));
    ASSERT_EQ(t.grid.RowCount(), 6);
    const std::vector<std::string> labels = {"Pr.1", "Pr.2", "Pr.3", "Med.", ""};
    for (int r = 1; r <= 5; ++r) {
        EXPECT_EQ(t.grid.Cell(0, r), labels[static_cast<std::size_t>(r - 1)]) << "row " << r;
        EXPECT_EQ(t.grid.Cell(2, r), "4711") << "row " << r;
        EXPECT_EQ(t.grid.Cell(3, r), "2,5") << "row " << r;
    }

    t.build({"1;4711", measurement(2, "0712241530", "3")});
    EXPECT_EQ(t.grid.Cell(0, 0), "");
    EXPECT_EQ(t.grid.Cell(1, 0), "Serial No.");
}

TEST(BuildTable, DraftGoesToTheNextMeasurementOnly) {
    Table t;
    t.tickOnly({FieldDateTime, 22, FieldDraft});
    t.build({"1;4711", "12;a;b;c;-2.5;x", measurement(2, "0712241530", "3"),
             measurement(2, "0712241531", "3"), "12;a;b;c;3.1", measurement(21, "0712241532", "3"),
             measurement(2, "0712241533", "3")});
    ASSERT_EQ(t.grid.RowCount(), 5);
    EXPECT_EQ(t.row(1), (std::vector<std::string>{"", "24.12.07  15:30", "0", "-2,5", ""}));
    EXPECT_EQ(t.row(2), (std::vector<std::string>{"", "24.12.07  15:31", "0", "", ""}));
    // A test measurement leaves the draft to the measurement after it.
    EXPECT_EQ(t.row(3), (std::vector<std::string>{"Pr.1", "24.12.07  15:32", "0", "", ""}));
    EXPECT_EQ(t.row(4), (std::vector<std::string>{"Med.", "24.12.07  15:33", "0", "3,1", ""}));
}

TEST(BuildTable, UnitsLineFollowsInsertUnitsEvenWhileItIsGreyed) {
    Table t;
    t.tickOnly({FieldSerialNo, 4, 7, FieldDraft});
    t.settings.CBDimension.Checked = true;
    t.settings.CBDimension.Enabled = false;
    t.build({});
    EXPECT_EQ(t.row(0), (std::vector<std::string>{"", "Serial No.  ", "TA  / C\xB0", "O2  / Vol%",
                                                  "Draft[corr]  / Pa", ""}));
}

TEST(BuildTable, ColumnsAreTheTickedFieldsPlusTwo) {
    Table t;
    t.tickOnly({FieldCustomerNo, FieldFuel, 9, 16, 21});
    t.build({"1;4711", measurement(2, "0712241530", "2")});
    EXPECT_EQ(t.grid.ColCount(), 7);
    EXPECT_EQ(t.row(0),
              (std::vector<std::string>{"", "Cust.No.", "Fuel", "CO", "Lambda", "St 3", ""}));
    EXPECT_EQ(t.row(1), (std::vector<std::string>{"", "4711", "Fuel 2", "120", "1,25", "3", ""}));
}

TEST(BuildTable, WithoutLinesOrFieldsTheCountsStay) {
    Table t;
    t.grid.SetRowCount(9);
    t.grid.SetColCount(12);
    t.build({});
    EXPECT_EQ(t.grid.RowCount(), 9);
    EXPECT_EQ(t.grid.ColCount(), 26);
    EXPECT_EQ(t.grid.Cell(1, 1), "");

    t.tickOnly({});
    t.grid.SetColCount(12);
    t.build({"1;4711", measurement(2, "0712241530", "3")});
    EXPECT_EQ(t.grid.ColCount(), 12);
    EXPECT_EQ(t.grid.RowCount(), 2);

    // Lines of unknown types are skipped, but the row count still follows the rows built.
    t.grid.SetRowCount(9);
    t.build({"7;1;2;3", ""});
    EXPECT_EQ(t.grid.RowCount(), 1);
}

TEST(ClearTable, EmptiesEveryCellAndKeepsTheCounts) {
    StringGrid grid(3, 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            grid.SetCell(c, r, "x");
    ClearTable(grid);
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.RowCount(), 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(grid.Cell(c, r), "");
}

} // namespace
