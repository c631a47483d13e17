#include "BiffTestSupport.h"
#include "ExportFixture.h"

#include "export/BiffRecords.h"
#include "export/ExportError.h"

#include "platform/LocaleSettings.h"

#include <cmath>
#include <filesystem>

namespace ovena::test {
namespace {

using O = TExportOption;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

class BiffExport : public ExportTest {
protected:
    explicit BiffExport(LocaleSettings locale = commaLocale()) : ExportTest(std::move(locale)) {}

    std::string workbook() { return exportToFile(TExportType::xMicrosoft_Excel, "out.xls"); }
    std::vector<BiffRecord> cells() { return biffCells(workbook()); }
};

class BiffPointExport : public BiffExport {
protected:
    BiffPointExport() : BiffExport(pointLocale()) {}
};

const BiffRecord* cellAt(const std::vector<BiffRecord>& cells, unsigned row, unsigned column) {
    for (const BiffRecord& c : cells)
        if (c.row() == row && c.column() == column)
            return &c;
    return nullptr;
}

TEST_F(BiffExport, StoredLocaleChoosesTheStreamVariant) {
    settings.writeString(InternationalKey, "Locale", "00000409");
    std::string file = workbook();
    const std::string codePage = bytes({0x42, 0x00, 0x02, 0x00, 0xE4, 0x04});
    EXPECT_EQ(file.substr(0, 18), bytes({0x09, 0x00, 0x04, 0x00, 0x00, 0x00, 0x10, 0x00}) + // BOF
                                      codePage + bytes({0x00, 0x00, 0x08, 0x00})); // DIMENSIONS

    settings.writeString(InternationalKey, "Locale", "00000407");
    file = workbook();
    EXPECT_EQ(file.substr(0, 20),
              bytes({0x09, 0x08, 0x06, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00}) + codePage +
                  bytes({0x00, 0x02, 0x0A, 0x00}));
}

TEST_F(BiffPointExport, WithoutAStoredLocaleThePlatformLocaleDecides) {
    EXPECT_EQ(workbook().substr(0, 2), bytes({0x09, 0x00})); // 00000409 from the locale
    services.locale.Locale = "00000407";
    EXPECT_EQ(workbook().substr(0, 2), bytes({0x09, 0x08}));
}

TEST_F(BiffExport, ALocaleThatIsNotHexadecimalStopsTheExport) {
    settings.writeString(InternationalKey, "Locale", "German");
    component->ExportType = TExportType::xMicrosoft_Excel;
    component->ViewOnly = false;
    component->ExportFile = path("out.xls");
    bool failed = false;
    component->OnExportFailed = [&](TExportXComponent&) { failed = true; };
    EXPECT_THROW(component->Export(), ExportError);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(BiffExport, PrologueRecordsInOrder) {
    settings.writeString(InternationalKey, "Locale", "00000407");
    component->SetOptions({O::ShowColHeaders});
    component->XL_Options.PrintGridlines = true;
    component->XL_Options.PageHeader = "";
    const std::string file = workbook();
    std::string expected = biff::bof(5) + bytes({0x42, 0x00, 0x02, 0x00, 0xE4, 0x04}) + // 1252
                           biff::dimensions(5, 5, 4) +
                           bytes({0x14, 0x00, 0x01, 0x00, 0x00}) + // empty page header
                           biff::pageFooter("Page &P of &N") +
                           bytes({0x2A, 0x00, 0x02, 0x00, 0x00, 0x00}) + // no headings
                           bytes({0x2B, 0x00, 0x02, 0x00, 0x01, 0x00});  // grid lines
    for (int i = 0; i < 5; ++i)
        expected += biff::font(200, 0, "Arial");
    expected += biff::font(200, 0x0002, "Arial") + biff::font(240, 0x0005, "Arial") +
                biff::font(200, 0x0001, "Arial");
    expected += biff::format("General") + biff::format("dd.mm.yyyy") + biff::format("h:mm") +
                biff::format("dd.mm.yyyy h:mm") +
                biff::format("#,##0.00\" \x80\"_);[Red]\\-#,##0.00\" \x80\"");
    // Font index, 0, format index + 0x40, border byte.
    for (auto xf : {bytes({5, 0, 0x40, 0}), bytes({5, 0, 0x40, 0}), bytes({5, 0, 0x41, 0}),
                    bytes({5, 0, 0x42, 0}), bytes({5, 0, 0x43, 0}), bytes({5, 0, 0x44, 0}),
                    bytes({7, 0, 0x40, 0}), bytes({6, 0, 0x40, 0}), bytes({8, 0, 0x40, 0x60})})
        expected += bytes({0x43, 0x00, 0x04, 0x00}) + xf;
    EXPECT_EQ(file.substr(0, expected.size()), expected);
    EXPECT_EQ(file.substr(file.size() - 4), biff::eof());
}

TEST_F(BiffExport, CellsByValueKindUnderACommaLocale) {
    component->SetOptions({O::ShowColHeaders});
    grid.SetCell(0, 1, "12,5");
    grid.SetCell(1, 1, "12.5");
    grid.SetCell(2, 1, "");
    grid.SetCell(0, 2, std::string(300, 'x'));
    grid.SetCell(1, 2, "two\r\nlines");
    grid.SetCell(2, 2, "-0,25");
    const std::vector<BiffRecord> c = cells();

    const BiffRecord* number = cellAt(c, 1, 0);
    ASSERT_TRUE(number);
    EXPECT_EQ(number->id, 0x0003);
    EXPECT_EQ(number->data.size(), 15u);
    EXPECT_EQ(number->number(), 12.5);
    EXPECT_EQ(number->data.substr(4, 3), bytes({0x41, 0, 0}));

    const BiffRecord* pointText = cellAt(c, 1, 1);
    ASSERT_TRUE(pointText);
    EXPECT_EQ(pointText->id, 0x0004);
    EXPECT_EQ(pointText->label(), "12.5");

    const BiffRecord* empty = cellAt(c, 1, 2);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->id, 0x0004);
    EXPECT_EQ(empty->data.size(), 8u);
    EXPECT_EQ(empty->byte(7), 0u);

    const BiffRecord* cut = cellAt(c, 2, 0);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->data.size(), 263u);
    EXPECT_EQ(cut->label(), std::string(255, 'x'));
    EXPECT_EQ(cellAt(c, 2, 1)->label(), "twolines");
    EXPECT_EQ(cellAt(c, 2, 2)->number(), -0.25);

    // Captions in row 0 with the bordered bold style.
    EXPECT_EQ(cellAt(c, 0, 1)->label(), "O2");
    EXPECT_EQ(cellAt(c, 0, 1)->xf(), 8u);
    EXPECT_EQ(number->xf(), 1u);
}

TEST_F(BiffPointExport, PointLocaleReadsPointNumbers) {
    component->SetOptions({O::ShowColHeaders});
    grid.SetCell(0, 1, "12.5");
    grid.SetCell(1, 1, "12,5");
    const std::vector<BiffRecord> c = cells();
    EXPECT_EQ(cellAt(c, 1, 0)->id, 0x0003);
    EXPECT_EQ(cellAt(c, 1, 0)->number(), 12.5);
    EXPECT_EQ(cellAt(c, 1, 1)->id, 0x0004);
    EXPECT_EQ(cellAt(c, 1, 1)->label(), "12,5");
}

TEST_F(BiffPointExport, NumbersNoCellHoldsStayText) {
    component->SetOptions({O::ShowColHeaders});
    grid.SetCell(1, 1, "1e999");
    grid.SetCell(1, 2, "-1e-400");
    grid.SetCell(1, 3, "2.5e-3");
    const std::vector<BiffRecord> c = cells();
    for (unsigned row : {1u, 2u}) {
        ASSERT_TRUE(cellAt(c, row, 1));
        EXPECT_EQ(cellAt(c, row, 1)->id, 0x0004);
        EXPECT_EQ(cellAt(c, row, 1)->xf(), 1u);
    }
    EXPECT_EQ(cellAt(c, 1, 1)->label(), "1e999");
    EXPECT_EQ(cellAt(c, 2, 1)->label(), "-1e-400");
    EXPECT_EQ(cellAt(c, 3, 1)->number(), 0.0025);
}

TEST_F(BiffExport, NumberedRowsHoldNumbers) {
    component->SetOptions({O::NumberRows, O::ShowColHeaders});
    const std::vector<BiffRecord> c = cells();
    EXPECT_EQ(cellAt(c, 0, 0)->label(), "Item");
    for (unsigned r = 1; r <= 3; ++r) {
        ASSERT_TRUE(cellAt(c, r, 0));
        EXPECT_EQ(cellAt(c, r, 0)->id, 0x0003);
        EXPECT_EQ(cellAt(c, r, 0)->number(), r);
    }
}

TEST_F(BiffExport, TitleOnlyLeavesOneEmptyRowBeforeTheCaptions) {
    component->SetOptions({O::ShowColHeaders});
    component->SetTitle("Flue gas");
    const std::vector<BiffRecord> c = cells();
    EXPECT_EQ(c[0].row(), 0u);
    EXPECT_EQ(c[0].label(), "Flue gas");
    EXPECT_EQ(c[0].xf(), 6u);
    EXPECT_EQ(c[1].row(), 2u); // the first caption
    EXPECT_EQ(c[1].label(), "Date");
    EXPECT_EQ(c[1].xf(), 8u);
    EXPECT_EQ(cellAt(c, 3, 0)->label(), "09.12.2026");
}

TEST_F(BiffExport, HeaderOnlyStartsInRowZero) {
    component->SetOptions({O::ShowColHeaders});
    component->SetHeader({"Halvoer Safety TEV GmbH,  Germany"});
    const std::vector<BiffRecord> c = cells();
    EXPECT_EQ(c[0].row(), 0u);
    EXPECT_EQ(c[0].label(), "Halvoer Safety TEV GmbH,  Germany");
    EXPECT_EQ(c[0].xf(), 1u);
    EXPECT_EQ(c[1].row(), 2u);
    EXPECT_EQ(c[1].label(), "Date");
}

TEST_F(BiffExport, EveryBlockAboveAndBelowTheTable) {
    component->SetOptions({O::ShowColHeaders, O::TimeStamp});
    component->SetTitle("Flue gas");
    component->SetHeader({"Halvoer Safety TEV GmbH,  Germany", "12,5"});
    component->SetFooter({"%.0f items", "end"});
    const std::vector<BiffRecord> c = cells();
    struct Expected {
        unsigned row, column, xf;
        std::string text;
    };
    const Expected expected[] = {
        {0, 0, 6, "Flue gas"},
        {1, 0, 1, "Created: 09.12.2026 08:15:30"},
        {3, 0, 1, "Halvoer Safety TEV GmbH,  Germany"},
        {4, 0, 1, "12,5"}, // header lines are text
        {6, 0, 8, "Date"},
        {7, 0, 1, "09.12.2026"},
        {9, 2, 1, "Wood \"dry\""},
        {11, 0, 7, "3 items"},
        {12, 0, 1, "end"},
    };
    for (const Expected& e : expected) {
        const BiffRecord* cell = cellAt(c, e.row, e.column);
        ASSERT_TRUE(cell) << e.text;
        EXPECT_EQ(cell->id, 0x0004) << e.text;
        EXPECT_EQ(cell->label(), e.text);
        EXPECT_EQ(cell->xf(), e.xf) << e.text;
    }
    EXPECT_EQ(cellAt(c, 8, 1)->number(), 12.25);
    for (unsigned emptyRow : {2u, 5u, 10u})
        for (unsigned col = 0; col < 3; ++col)
            EXPECT_FALSE(cellAt(c, emptyRow, col)) << emptyRow;
}

TEST_F(BiffExport, FinalDimensionsForThreeCaptionsAndTenRows) {
    component->SetOptions({O::ShowColHeaders});
    fillGrid(3, 10);
    const std::string file = workbook();
    const std::vector<BiffRecord> records = biffRecords(file);
    ASSERT_EQ(records[2].id, 0x0200);
    EXPECT_EQ(records[2].data, bytes({0, 0, 12, 0, 0, 0, 4, 0, 0, 0}));
}

TEST_F(BiffExport, DimensionsCoverTheRowsAboveAndBelowTheTable) {
    component->SetOptions({O::ShowColHeaders, O::TimeStamp});
    component->SetTitle("Flue gas");
    component->SetFooter({"%.0f items"});
    fillGrid(3, 10);
    // Title 0, time stamp 1, captions 3, data 4 to 13, footer 15.
    const std::vector<BiffRecord> records = biffRecords(workbook());
    EXPECT_EQ(records[2].data, bytes({0, 0, 16, 0, 0, 0, 4, 0, 0, 0}));
}

TEST_F(BiffExport, ColumnWidthsFromTheLongestText) {
    component->SetOptions({O::ShowColHeaders});
    grid.SetCell(1, 2, std::string(300, 'w'));
    std::vector<BiffRecord> widths;
    for (const BiffRecord& r : biffRecords(workbook()))
        if (r.id == 0x0024)
            widths.push_back(r);
    ASSERT_EQ(widths.size(), 3u);
    EXPECT_EQ(widths[0].data, bytes({0, 0, 0x00, 0x0C})); // "09.12.2026" + 2 = 12 characters
    EXPECT_EQ(widths[1].data, bytes({1, 1, 0x00, 0xFF})); // 255 x 256 = 65280
    EXPECT_EQ(widths[2].data, bytes({2, 2, 0x00, 0x0D})); // "Natural gas" + 2 = 13
}

// Captions that give their columns the value kinds only annotations produce.
class BiffAnnotatedExport : public BiffExport {
protected:
    BiffAnnotatedExport() : source(services) {
        source.SetOptions({O::ShowColHeaders});
        source.captions = typedCaptions();
    }
    bool exportSource() {
        source.ExportType = TExportType::xMicrosoft_Excel;
        source.ViewOnly = false;
        source.ExportFile = path("typed.xls");
        return source.Export();
    }
    std::vector<BiffRecord> typedCells() {
        EXPECT_TRUE(exportSource());
        return biffCells(readFile(path("typed.xls")));
    }

    AnnotatedSource source;
};

TEST_F(BiffAnnotatedExport, TypedValuesWithTheirStyles) {
    const double day = 46365; // 9 December 2026, days since 30 December 1899
    source.rows = {{{"12,50", {}},
                    annotated("", 0, 2),
                    {"09.12.2026", {}},
                    {"10:30:00", {}},
                    {"09.12.2026 18:00:00", {}},
                    {"09.12.2026 18:00:00", {}},
                    {"09.12.2026 18:00:00", {}},
                    ExportItem{"n/a", TExportItemInfo{4, "1.234,5", 0}},
                    {"12,5", {}}}};
    const std::vector<BiffRecord> c = typedCells();
    struct Expected {
        unsigned column, id, xf;
        double value;
    };
    const Expected expected[] = {
        {0, 0x0003, 5, 12.5},       {2, 0x0003, 2, day}, {3, 0x0003, 3, 0.4375},
        {4, 0x0003, 4, day + 0.75}, {5, 0x0003, 2, day}, {6, 0x0003, 3, 0.75},
        {7, 0x0003, 1, 1234.5},
    };
    for (const Expected& e : expected) {
        const BiffRecord* cell = cellAt(c, 1, e.column);
        ASSERT_TRUE(cell) << e.column;
        EXPECT_EQ(cell->id, e.id) << e.column;
        EXPECT_EQ(cell->xf(), e.xf) << e.column;
        EXPECT_NEAR(cell->number(), e.value, 1e-9) << e.column;
    }
    const BiffRecord* boolean = cellAt(c, 1, 1);
    ASSERT_TRUE(boolean);
    EXPECT_EQ(boolean->id, 0x0005);
    EXPECT_EQ(boolean->data.substr(7), bytes({1, 0}));
    EXPECT_EQ(cellAt(c, 1, 8)->id, 0x0004); // kind 12 and above is text
    EXPECT_EQ(cellAt(c, 1, 8)->label(), "12,5");
}

TEST_F(BiffAnnotatedExport, BlankTypedCellsAndUnsetBooleansWriteNothing) {
    source.rows = {rowOf(9, {{1, annotated("", 0, 0)}, {2, {" ", {}}}}),
                   rowOf(9, {{1, annotated("", 0, 1)}})};
    const std::vector<BiffRecord> c = typedCells();
    // Row 0 captions, row 1 only the text column, row 2 the false Boolean and the text column.
    EXPECT_EQ(c.size(), 9u + 1u + 2u);
    EXPECT_EQ(cellAt(c, 1, 8)->id, 0x0004);
    ASSERT_TRUE(cellAt(c, 2, 1));
    EXPECT_EQ(cellAt(c, 2, 1)->data.substr(7), bytes({0, 0}));
}

TEST_F(BiffAnnotatedExport, AValueThatDoesNotConvertFailsTheExport) {
    for (const char* bad : {"31.02.2026", "soon"}) {
        source.rows = {rowOf(9, {{2, {bad, {}}}})};
        ui.boxes.clear();
        EXPECT_FALSE(exportSource());
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_TRUE(ui.boxes[0].text.starts_with("Export Failed.\n\n")) << ui.boxes[0].text;
        EXPECT_TRUE(folderEntries().empty()) << "the failed file stays out of the folder";
    }
    source.rows = {rowOf(9, {{0, {"12.50", {}}}})};
    EXPECT_FALSE(exportSource()) << "a point is no decimal separator under a comma locale";
}

TEST_F(BiffAnnotatedExport, TypedNumbersNoCellHoldsStayText) {
    source.rows = {rowOf(9, {{0, {"1e999", {}}}, {7, {"9e-999", {}}}})};
    const std::vector<BiffRecord> c = typedCells();
    EXPECT_EQ(cellAt(c, 1, 0)->id, 0x0004);
    EXPECT_EQ(cellAt(c, 1, 0)->label(), "1e999");
    EXPECT_EQ(cellAt(c, 1, 7)->id, 0x0004);
    EXPECT_EQ(cellAt(c, 1, 7)->label(), "9e-999");
}

TEST_F(BiffExport, ATableAsWideAsTheSheetIsWholeAndAWiderOneFails) {
    component->SetOptions({O::ShowColHeaders});
    fillGrid(256, 1);
    const std::vector<BiffRecord> records = biffRecords(workbook());
    unsigned widths = 0;
    unsigned lastColumn = 0;
    for (const BiffRecord& r : records) {
        if (r.id == 0x0024)
            ++widths;
        if (r.id == 0x0004)
            lastColumn = std::max(lastColumn, r.column());
    }
    EXPECT_EQ(widths, 256u);
    EXPECT_EQ(lastColumn, 255u);

    fillGrid(257, 1);
    component->ExportType = TExportType::xMicrosoft_Excel;
    component->ViewOnly = false;
    component->ExportFile = path("wide.xls");
    EXPECT_FALSE(component->Export());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Export Failed.\n\nThe table has 257 columns; the Excel workbook "
                                "holds 256: use the Excel Workbook (xlsx)");
    EXPECT_FALSE(std::filesystem::exists(path("wide.xls")));
}

TEST_F(BiffExport, ATableFillingTheSheetIsWholeAndALongerOneFailsBeforeWriting) {
    component->SetOptions({});
    fillGrid(1, 16384);
    const std::vector<BiffRecord> c = cells();
    ASSERT_EQ(c.size(), 16384u);
    EXPECT_EQ(c.back().row(), 16383u);
    EXPECT_EQ(c.back().label(), "r16384c0");

    struct Case {
        TExportOptions options;
        int rows;
        const char* reason;
    };
    for (const Case& e : {Case{{}, 16385, "The table has 16385 rows"},
                          Case{{O::ShowColHeaders}, 16384, "The table has 16385 rows"},
                          Case{{O::ShowColHeaders}, 16389, "The table has 16390 rows"}}) {
        component->SetOptions(e.options);
        fillGrid(1, e.rows);
        component->ExportType = TExportType::xMicrosoft_Excel;
        component->ViewOnly = false;
        component->ExportFile = path("out.xls");
        writeFile(path("out.xls"), "old workbook");
        ui.boxes.clear();
        EXPECT_FALSE(component->Export());
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].text, std::string("Export Failed.\n\n") + e.reason +
                                        "; the Excel workbook holds 16,384: use the Excel "
                                        "Workbook (xlsx)");
        EXPECT_EQ(readFile(path("out.xls")), "old workbook");
        EXPECT_EQ(folderEntries(), std::vector<std::string>{"out.xls"});
    }
}

} // namespace
} // namespace ovena::test
