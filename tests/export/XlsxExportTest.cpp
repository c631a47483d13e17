// The xlsx workbook as independent readers see it: Debian's python3-openpyxl reads back every
// cell, its type and style and the sheet's settings; LibreOffice, where installed, converts it.

#include "BiffTestSupport.h"
#include "ExportFixture.h"
#include "XlsxReader.h"

#include "support/PtyPeer.h"

#include "export/XLSXText.h"

#include "platform/Cp1252.h"
#include "platform/TempFiles.h"

#include <cctype>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ovena::test {
namespace {

using O = TExportOption;
using namespace std::string_view_literals;

XlsxCell text(std::string utf8) {
    XlsxCell cell;
    cell.text = std::move(utf8);
    return cell;
}
XlsxCell number(double value) {
    XlsxCell cell;
    cell.type = XlsxCell::Number;
    cell.number = value;
    return cell;
}

// Same type and value; styles are checked where they matter.
bool sameValue(const XlsxCell& a, const XlsxCell& b) {
    return a.type == b.type && a.text == b.text && a.number == b.number && a.boolean == b.boolean;
}

class XlsxExport : public ExportTest {
protected:
    explicit XlsxExport(LocaleSettings locale = commaLocale()) : ExportTest(std::move(locale)) {}

    void SetUp() override {
        if (!openpyxlInstalled())
            GTEST_SKIP() << "Debian's python3-openpyxl is not installed (/usr/bin/python3 "
                            "cannot import openpyxl); scripts/install-deps installs it";
    }

    XlsxSheet workbook(const std::string& name = "out.xlsx") {
        exportToFile(TExportType::xExcel_Workbook, name);
        return readXlsx(path(name));
    }

    // Compares the values of every cell with the expected ones; no other cell may exist.
    static void expectCells(const XlsxSheet& sheet,
                            const std::map<std::pair<int, int>, XlsxCell>& expected) {
        EXPECT_EQ(sheet.cells.size(), expected.size());
        int mismatches = 0;
        for (const auto& [at, cell] : expected) {
            const XlsxCell* found = sheet.at(at.first, at.second);
            if ((!found || !sameValue(*found, cell)) && ++mismatches <= 10)
                ADD_FAILURE() << "row " << at.first << " column " << at.second << ": expected "
                              << cell << ", read "
                              << (found ? (std::ostringstream() << *found).str() : "nothing");
        }
        EXPECT_EQ(mismatches, 0);
    }
};

// The main window's layout over a readout: every cell's type and value, the styles, the frozen
// caption row, the autofilter, the widths and the page setup.
class XlsxReadout : public XlsxExport {
protected:
    explicit XlsxReadout(LocaleSettings locale) : XlsxExport(std::move(locale)) {}

    void exportAndCompare(int records) {
        fillReadout(grid, records, services.locale);
        component->SetOptions({O::NumberRows, O::ShowColHeaders, O::TimeStamp});
        component->SetHeader({"Halvoer Safety TEV GmbH,  Germany"});
        component->SetFooter({"%.0f measurements"});
        component->XL_Options.PrintGridlines = true;
        component->XL_Options.PrintHeadings = true;
        component->XL_Options.PageHeader = "Messbericht \xB0"
                                           "C";
        const XlsxSheet sheet = workbook("readout.xlsx");

        const LocaleSettings& locale = services.locale;
        const int captionRow = 4;
        std::map<std::pair<int, int>, XlsxCell> expected;
        expected[{0, 0}] = text("Created: " + cp1252ToUtf8(timeStamp()));
        expected[{2, 0}] = text("Halvoer Safety TEV GmbH,  Germany");
        expected[{captionRow, 0}] = text("Item");
        std::vector<int> longest(static_cast<std::size_t>(grid.ColCount()) + 1, 4);
        for (int c = 0; c < grid.ColCount(); ++c) {
            expected[{captionRow, c + 1}] = text(cp1252ToUtf8(grid.Cell(c, 0)));
            longest[static_cast<std::size_t>(c) + 1] = static_cast<int>(grid.Cell(c, 0).size());
        }
        for (int r = 1; r <= records; ++r) {
            expected[{captionRow + r, 0}] = number(r);
            longest[0] = std::max(longest[0], static_cast<int>(std::to_string(r).size()));
            for (int c = 0; c < grid.ColCount(); ++c) {
                const std::string& cell = grid.Cell(c, r);
                auto& width = longest[static_cast<std::size_t>(c) + 1];
                width = std::max(width, static_cast<int>(cell.size()));
                if (cell.empty())
                    continue; // an empty cell stays empty
                const bool identifier = cell.size() > 1 && cell[0] == '0' && std::isdigit(cell[1]);
                expected[{captionRow + r, c + 1}] = isLocaleNumber(cell, locale) && !identifier
                                                        ? number(numberOf(cell, locale))
                                                        : text(cp1252ToUtf8(cell));
            }
        }
        const int footerRow = captionRow + records + 2;
        expected[{footerRow, 0}] = text(std::to_string(records) + " measurements");
        expectCells(sheet, expected);

        // The date column holds the texts the grid (and the BIFF workbook) has.
        EXPECT_EQ(sheet.at(captionRow + 1, 2)->type, XlsxCell::Text);
        EXPECT_EQ(sheet.at(captionRow + 1, 2)->text, grid.Cell(1, 1));
        EXPECT_NE(sheet.at(captionRow + 4, 4)->text.find("\xC3\xB6"), std::string::npos)
            << "Heiz\xC3\xB6l as UTF-8";

        for (int c = 0; c <= grid.ColCount(); ++c) {
            const XlsxCell& caption = *sheet.at(captionRow, c);
            EXPECT_TRUE(caption.bold && caption.bottomBorder) << "caption " << c;
            EXPECT_FALSE(sheet.at(captionRow + 1, c)->bold) << "data " << c;
            EXPECT_EQ(std::floor(sheet.widths.at(c)), longest[static_cast<std::size_t>(c)] + 2)
                << "column " << c;
        }
        EXPECT_FALSE(sheet.at(0, 0)->bold);
        EXPECT_TRUE(sheet.at(footerRow, 0)->italic);
        EXPECT_EQ(sheet.freezePanes, "A6");
        EXPECT_EQ(sheet.autoFilter, "A5:M" + std::to_string(captionRow + records + 1));
        EXPECT_EQ(sheet.sheetNames, std::vector<std::string>{"Worksheet"}) << "no title";
        EXPECT_EQ(sheet.headerCenter, "Messbericht \xC2\xB0"
                                      "C");
        EXPECT_EQ(sheet.footerCenter, "Page &P of &N");
        EXPECT_TRUE(sheet.printGridlines);
        EXPECT_FALSE(sheet.printHeadings) << "the captions name the printed columns";
        EXPECT_EQ(sheet.orientation, "landscape");
        EXPECT_EQ(sheet.fitToPage, "1 1 0") << "one page wide, as many tall as it takes";
        EXPECT_EQ(sheet.printTitleRows, "$5:$5");
    }

    std::string timeStamp() const {
        return services.locale.sShortDate == "dd.MM.yyyy" ? "09.12.2026 08:15:30"
                                                          : "12/9/2026 8:15:30 AM";
    }
};

class XlsxReadoutComma : public XlsxReadout {
protected:
    XlsxReadoutComma() : XlsxReadout(commaLocale()) {}
};
class XlsxReadoutPoint : public XlsxReadout {
protected:
    XlsxReadoutPoint() : XlsxReadout(pointLocale()) {}
};

TEST_F(XlsxReadoutComma, EveryCellTypedAsTheLocaleWritesNumbers) {
    exportAndCompare(60);
}

TEST_F(XlsxReadoutPoint, EveryCellTypedAsTheLocaleWritesNumbers) {
    exportAndCompare(60);
}

// The workbook library writes numbers, widths and margins with the C library: in a process with
// a German C locale (the window program on a German desktop) it would write "12,5", and no
// reader opens such a workbook.
TEST_F(XlsxReadoutComma, EveryCellTheSameInAProcessWithACommaDecimalCLocale) {
    const CommaDecimalProcessLocale german;
    if (!german.available())
        GTEST_SKIP() << german.failure();
    exportAndCompare(60);
}

// A literal ampersand before "G" or "[Picture]" is no picture code: the workbook is made and
// the reader sees the header code "&&" with a zero-width space after it.
TEST_F(XlsxExport, ALiteralAmpersandBeforeAPictureCodeIsText) {
    component->XL_Options.PageHeader = "Logo &&[Picture] &&G";
    EXPECT_EQ(workbook().headerCenter, "Logo &&\xE2\x80\x8B[Picture] &&\xE2\x80\x8BG");
}

TEST_F(XlsxExport, RowsAboveAndBelowTheTableAsInTheBiffWorkbook) {
    component->SetTitle("Flue gas report");
    component->SetOptions({O::ShowColHeaders, O::TimeStamp});
    component->SetHeader({"Halvoer", "Germany"});
    component->SetFooter({"%.0f rows", "end"});
    const XlsxSheet sheet = workbook();
    expectCells(sheet, {{{0, 0}, text("Flue gas report")},
                        {{1, 0}, text("Created: 09.12.2026 08:15:30")},
                        {{3, 0}, text("Halvoer")},
                        {{4, 0}, text("Germany")},
                        {{6, 0}, text("Date")},
                        {{6, 1}, text("O2")},
                        {{6, 2}, text("Fuel")},
                        {{7, 0}, text("09.12.2026")},
                        {{7, 1}, number(3.5)},
                        {{7, 2}, text("Oil")},
                        {{8, 0}, text("10.12.2026")},
                        {{8, 1}, number(12.25)},
                        {{8, 2}, text("Natural gas")},
                        {{9, 0}, text("11.12.2026")},
                        {{9, 1}, number(4)},
                        {{9, 2}, text("Wood \"dry\"")},
                        {{11, 0}, text("3 rows")},
                        {{12, 0}, text("end")}});
    const XlsxCell& title = *sheet.at(0, 0);
    EXPECT_TRUE(title.bold && title.underline);
    EXPECT_TRUE(sheet.at(11, 0)->italic);
    EXPECT_FALSE(sheet.at(12, 0)->italic) << "only the first footer line";
    EXPECT_EQ(sheet.freezePanes, "A8");
    EXPECT_EQ(sheet.autoFilter, "A7:C10");
    EXPECT_EQ(sheet.printTitleRows, "$7:$7");
    EXPECT_FALSE(sheet.printGridlines);
    EXPECT_FALSE(sheet.printHeadings);
    EXPECT_EQ(sheet.headerCenter, "");
    EXPECT_EQ(sheet.sheetNames, std::vector<std::string>{"Flue gas report"});
    EXPECT_EQ(sheet.title, "Flue gas report");
    EXPECT_EQ(sheet.creator, "Ovena");
    EXPECT_EQ(sheet.application, "Ovena");
}

TEST_F(XlsxExport, TheSheetIsNamedByTheTitleAsFarAsANameMayHoldIt) {
    struct Case {
        std::string title, sheet;
    };
    for (const Case& e :
         {Case{"Flue gas: [1]/2", "Flue gas 12"}, Case{"'Heiz\xF6l'", "Heiz\xC3\xB6l"},
          Case{std::string(40, 'a'), std::string(31, 'a')}, Case{"*?", "Worksheet"}}) {
        component->SetTitle(e.title);
        const XlsxSheet sheet = workbook();
        EXPECT_EQ(sheet.sheetNames, std::vector<std::string>{e.sheet}) << e.title;
        EXPECT_EQ(sheet.title, cp1252ToUtf8(e.title));
    }
}

// The table builder's own notation: a decimal comma on a desktop whose locale writes a point,
// dates in its layout; numbers show the decimals they carry, identifiers keep their zeros.
TEST_F(XlsxExport, CellsAreTypedByTheTablesOwnNotation) {
    services.locale = pointLocale();
    component->TableNotation = {",", "DD.MM.YY  hh:mm"};
    component->SetOptions({O::ShowColHeaders});
    const std::vector<std::vector<std::string>> rows{{"02.01.20  10:22", "18,3", "004714"},
                                                     {"31.12.19  23:59", "23,0", "-5"},
                                                     {"30.02.20  10:00", "1,40", "0,5"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            grid.SetCell(c, r + 1, rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
    const XlsxSheet sheet = workbook();
    const std::string dateFormat = "dd\\.mm\\.yy\\ \\ hh\\:mm";
    struct Expected {
        int row, column;
        XlsxCell::Type type;
        double value;
        std::string format;
    };
    for (const Expected& e : {
             Expected{1, 0, XlsxCell::Number, 43832 + (10 * 60 + 22) / 1440.0, dateFormat},
             Expected{2, 0, XlsxCell::Number, 43830 + (23 * 60 + 59) / 1440.0, dateFormat},
             Expected{3, 0, XlsxCell::Text, 0, "General"},
             Expected{1, 1, XlsxCell::Number, 18.3, "0.0"},
             Expected{2, 1, XlsxCell::Number, 23, "0.0"},
             Expected{3, 1, XlsxCell::Number, 1.4, "0.00"},
             Expected{1, 2, XlsxCell::Text, 0, "General"},
             Expected{2, 2, XlsxCell::Number, -5, "0"},
             Expected{3, 2, XlsxCell::Number, 0.5, "0.0"},
         }) {
        const XlsxCell* cell = sheet.at(e.row, e.column);
        ASSERT_TRUE(cell) << e.row << "," << e.column;
        EXPECT_EQ(cell->type, e.type) << *cell;
        if (e.type == XlsxCell::Number) {
            EXPECT_NEAR(cell->number, e.value, 1e-9) << *cell;
        }
        EXPECT_EQ(cell->numberFormat, e.format) << *cell;
    }
    EXPECT_EQ(sheet.at(1, 2)->text, "004714");

    const std::optional<std::string> soffice = libreOffice();
    if (!soffice)
        GTEST_SKIP() << "LibreOffice is not installed; openpyxl read the types and formats";
    const auto shown = libreOfficeCsv(*soffice, path("out.xlsx"));
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[1][0], "02.01.20  10:22");
    EXPECT_EQ(shown[2][1], "23.0") << "LibreOffice shows the decimals in its own locale";
    EXPECT_EQ(shown[1][2], "004714");
}

TEST_F(XlsxExport, TheFilterLeavesOutTheEmptyColumnAfterTheTable) {
    component->SetOptions({O::ShowColHeaders, O::ExportInvisibleCols});
    for (int r = 0; r <= 3; ++r)
        grid.SetCell(3, r, "");
    EXPECT_EQ(workbook().autoFilter, "A1:C4");
}

TEST_F(XlsxExport, WithoutCaptionsNothingIsFrozenOrFiltered) {
    component->SetTitle("Report");
    component->SetOptions({});
    const XlsxSheet sheet = workbook();
    // Title in row 0, one empty row, the data from row 2 on.
    EXPECT_EQ(sheet.at(0, 0)->text, "Report");
    EXPECT_EQ(sheet.at(2, 0)->text, "09.12.2026");
    EXPECT_EQ(sheet.at(4, 2)->text, "Wood \"dry\"");
    EXPECT_EQ(sheet.cells.size(), 1u + 9u);
    EXPECT_EQ(sheet.freezePanes, "");
    EXPECT_EQ(sheet.autoFilter, "");
}

TEST_F(XlsxExport, ColumnWidthsFromColWidthsOrTheLongestText) {
    component->SetOptions({O::ShowColHeaders, O::NumberRows});
    component->SetColWidths({"", "30"});
    grid.SetCell(2, 1, std::string(300, 'w'));
    const XlsxSheet sheet = workbook();
    EXPECT_EQ(std::floor(sheet.widths.at(0)), 4 + 2) << "Item";
    EXPECT_EQ(std::floor(sheet.widths.at(1)), 10 + 2) << "the longest date";
    EXPECT_EQ(std::floor(sheet.widths.at(2)), 30) << "as ColWidths says";
    EXPECT_EQ(std::floor(sheet.widths.at(3)), 255) << "the widest a column can be";
}

TEST_F(XlsxExport, HostileCellsGiveAWorkbookEveryReaderOpens) {
    std::string allHighBytes;
    for (int b = 0x80; b <= 0xFF; ++b)
        allHighBytes.push_back(static_cast<char>(b));
    const std::vector<std::string> hostile{
        "\"quoted\" 'single'",
        "<b>&amp; & </b>",
        std::string("bell\x07 nul\0 esc\x1B tab\tline\nend"sv),
        allHighBytes,
        std::string(40000, 'x'),
        "1e999",
        "-1e-400",
        "]]>",
    };
    grid.SetColCount(1);
    grid.SetRowCount(static_cast<int>(hostile.size()) + 1);
    grid.SetCell(0, 0, "Hostile");
    for (std::size_t r = 0; r < hostile.size(); ++r)
        grid.SetCell(0, static_cast<int>(r) + 1, hostile[r]);
    component->SetOptions({O::ShowColHeaders});

    const XlsxSheet sheet = workbook();
    std::map<std::pair<int, int>, XlsxCell> expected{{{0, 0}, text("Hostile")}};
    expected[{1, 0}] = text("\"quoted\" 'single'");
    expected[{2, 0}] = text("<b>&amp; & </b>");
    expected[{3, 0}] = text("bell nul esc tab\tline\nend");
    expected[{4, 0}] = text(cp1252ToUtf8(allHighBytes));
    expected[{5, 0}] = text(std::string(XlsxCellCharacters, 'x'));
    expected[{6, 0}] = text("1e999");
    expected[{7, 0}] = text("-1e-400");
    expected[{8, 0}] = text("]]>");
    expectCells(sheet, expected);
}

// Captions that give their columns the value kinds only annotations produce.
class XlsxAnnotatedExport : public XlsxExport {
protected:
    XlsxAnnotatedExport() : source(services) {
        source.SetOptions({O::ShowColHeaders});
        source.captions = typedCaptions();
    }
    bool exportSource() {
        source.ExportType = TExportType::xExcel_Workbook;
        source.ViewOnly = false;
        source.ExportFile = path("typed.xlsx");
        return source.Export();
    }

    AnnotatedSource source;
};

TEST_F(XlsxAnnotatedExport, TypedValuesWithTheirNumberFormats) {
    const double day = 46365; // 9 December 2026, days since 30 December 1899
    source.rows = {{{"12,50", {}},
                    annotated("", 0, 2),
                    {"09.12.2026", {}},
                    {"10:30:00", {}},
                    {"09.12.2026 18:00:00", {}},
                    {"09.12.2026 18:00:00", {}},
                    {"09.12.2026 18:00:00", {}},
                    ExportItem{"n/a", TExportItemInfo{4, "1.234,5", 0}},
                    {"12,5", {}}},
                   rowOf(9, {{0, {"1e999", {}}}, {1, annotated("", 0, 1)}})};
    ASSERT_TRUE(exportSource());
    const XlsxSheet sheet = readXlsx(path("typed.xlsx"));
    struct Expected {
        int column;
        double value;
        std::string format;
    };
    const Expected expected[] = {
        {0, 12.5, "#,##0.00\" \xE2\x82\xAC\"_);[Red]\\-#,##0.00\" \xE2\x82\xAC\""},
        {2, day, "dd.mm.yyyy"},
        {3, 0.4375, "h:mm"},
        {4, day + 0.75, "dd.mm.yyyy h:mm"},
        {5, day, "dd.mm.yyyy"},
        {6, 0.75, "h:mm"},
        {7, 1234.5, "0.0"},
    };
    for (const Expected& e : expected) {
        const XlsxCell* cell = sheet.at(1, e.column);
        ASSERT_TRUE(cell) << e.column;
        EXPECT_EQ(cell->type, XlsxCell::Number) << e.column;
        EXPECT_NEAR(cell->number, e.value, 1e-9) << e.column;
        EXPECT_EQ(cell->numberFormat, e.format) << e.column;
    }
    EXPECT_EQ(sheet.at(1, 1)->type, XlsxCell::Boolean);
    EXPECT_TRUE(sheet.at(1, 1)->boolean);
    EXPECT_EQ(sheet.at(1, 8)->type, XlsxCell::Text) << "kind 12 and above is text";
    EXPECT_EQ(sheet.at(2, 0)->text, "1e999") << "an amount no cell can hold stays text";
    EXPECT_EQ(sheet.at(2, 1)->type, XlsxCell::Boolean);
    EXPECT_FALSE(sheet.at(2, 1)->boolean);
    EXPECT_FALSE(sheet.at(2, 2)) << "a blank date writes nothing";
}

TEST_F(XlsxAnnotatedExport, ADateThatDoesNotConvertFailsTheExport) {
    source.rows = {rowOf(9, {{2, {"31.02.2026", {}}}})};
    const int descriptors = openDescriptorCount();
    EXPECT_FALSE(exportSource());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Export Failed.\n\n'31.02.2026' is not a valid date");
    EXPECT_TRUE(folderEntries().empty()) << "the failed file stays out of the folder";
    EXPECT_EQ(openDescriptorCount(), descriptors) << "the rows written so far are let go";
}

// The files in the temporary folder.
std::vector<std::string> tempEntries() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(tempFolder()))
        if (e.is_regular_file())
            names.push_back(e.path().filename().string());
    return names;
}

TEST_F(XlsxExport, ViewedWorkbookIsTheOnlyTemporaryFileLeft) {
    const std::vector<std::string> before = tempEntries();
    component->ExportType = TExportType::xExcel_Workbook;
    component->ViewOnly = true;
    shell.types["xlsx"] = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
    shell.openCommands[shell.types["xlsx"]] = true;
    ASSERT_TRUE(component->Export());
    ASSERT_EQ(shell.opened.size(), 1u);
    const std::filesystem::path viewed = shell.opened[0];
    EXPECT_EQ(viewed.extension(), ".xlsx");
    EXPECT_EQ(viewed.filename().string().substr(0, 3), "exp");
    EXPECT_EQ(readXlsx(viewed).at(0, 0)->text, "Created: 09.12.2026 08:15:30");

    std::vector<std::string> after = tempEntries();
    std::erase(after, viewed.filename().string());
    std::sort(after.begin(), after.end());
    std::vector<std::string> expected = before;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(after, expected) << "the library's temporary files are gone";
}

// A named export that cannot be written whole reports the failure and leaves the old file.
TEST_F(XlsxExport, AWorkbookThatCannotBeWrittenWholeKeepsTheOldFile) {
    const std::string oldBytes = "the previous workbook";
    writeFile(path("report.xlsx"), oldBytes);
    // Rows enough that the library's temporary files pass the child's file size limit long
    // before the packed workbook does.
    fillGrid(4, 20000);
    component->SetOptions({O::ShowColHeaders});
    component->ExportType = TExportType::xExcel_Workbook;
    component->ViewOnly = false;
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000000, 1000000};
        setrlimit(RLIMIT_FSIZE, &limit);
        component->ExportFile = path("report.xlsx");
        const bool ok = component->Export();
        _exit(ok                                                                       ? 1
              : ui.boxes.size() == 1 && ui.boxes[0].text.starts_with("Export Failed.") ? 0
                                                                                       : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(readFile(path("report.xlsx")) == oldBytes) << "the old file was replaced";
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"report.xlsx"});
}

TEST_F(XlsxExport, ATableWiderThanASheetFailsInsteadOfLosingColumns) {
    fillGrid(16385, 1); // one column more than a worksheet has
    component->SetOptions({O::ShowColHeaders});
    component->ExportType = TExportType::xExcel_Workbook;
    component->ViewOnly = false;
    component->ExportFile = path("wide.xlsx");
    const int descriptors = openDescriptorCount();
    EXPECT_FALSE(component->Export());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.boxes[0].text.starts_with("Export Failed.\n\n")) << ui.boxes[0].text;
    EXPECT_TRUE(folderEntries().empty());
    EXPECT_EQ(openDescriptorCount(), descriptors);
}

TEST_F(XlsxExport, LibreOfficeReadsTheSameValues) {
    const std::optional<std::string> soffice = libreOffice();
    if (!soffice)
        GTEST_SKIP() << "LibreOffice is not installed; the openpyxl tests still read the workbook";
    component->SetOptions({O::ShowColHeaders, O::NumberRows});
    grid.SetCell(2, 2,
                 "_x0041_ Gr\xFC\xDF"
                 "e");
    workbook("values.xlsx");
    const auto rows = libreOfficeCsv(*soffice, path("values.xlsx"));
    const std::vector<std::vector<std::string>> expected{
        {"Item", "Date", "O2", "Fuel"},
        {"1", "09.12.2026", "3.5", "Oil"},
        {"2", "10.12.2026", "12.25",
         "_x0041_ Gr\xC3\xBC\xC3\x9F"
         "e"},
        {"3", "11.12.2026", "4", "Wood \"dry\""},
    };
    EXPECT_EQ(rows, expected);
}

} // namespace
} // namespace ovena::test
