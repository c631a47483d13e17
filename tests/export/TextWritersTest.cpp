#include "ExportFixture.h"
#include "XlsxReader.h"

#include "export/ExportError.h"
#include "export/TextServices.h"

namespace ovena::test {
namespace {

std::string golden(const std::string& name) {
    return readFile(std::string(OVENA_EXPORT_GOLDEN_DIR) + "/" + name);
}

using O = TExportOption;

class CommaExport : public ExportTest {
protected:
    CommaExport() : ExportTest(commaLocale()) {}
    // The main window's configuration: title, company header, footer with the item count.
    void fullLayout() {
        component->SetTitle("Flue gas");
        component->SetHeader({"Halvoer Safety TEV GmbH,  Germany"});
        component->SetFooter({"%.0f items"});
    }
};

class PointExport : public ExportTest {
protected:
    PointExport() : ExportTest(pointLocale()) {}
};

TEST_F(CommaExport, FixedWidthTextWithEveryPart) {
    fullLayout();
    EXPECT_EQ(exportToFile(TExportType::xText), golden("text_comma_full.txt"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PointExport, FixedWidthTextWithColumnWidthsOnly) {
    component->SetOptions({O::ShowColHeaders});
    component->SetColWidths({"10", "6", "12"});
    EXPECT_EQ(exportToFile(TExportType::xText), golden("text_point_widths.txt"));
}

TEST_F(CommaExport, DetailedTextWithEveryPart) {
    fullLayout();
    TExportOptions options = component->Options();
    options.insert(O::DetailedMode);
    component->SetOptions(options);
    EXPECT_EQ(exportToFile(TExportType::xText), golden("detailed_comma_full.txt"));
}

TEST_F(PointExport, DetailedTextWithoutLabelsAtMidnight) {
    services.clock = [] { return testTime(0, 0, 0); };
    component->SetOptions({O::DetailedMode, O::TimeStamp});
    EXPECT_EQ(exportToFile(TExportType::xText), golden("detailed_point_plain.txt"));
}

TEST_F(PointExport, TimeStampWithTwelveHourClock) {
    component->SetOptions({O::DetailedMode, O::TimeStamp});
    EXPECT_EQ(exportToFile(TExportType::xText).substr(0, 33),
              "Created: 12/9/2026 8:15:30 AM\r\n\r\n");
}

// Without a list separator anywhere, the decimal separator decides.
TEST_F(CommaExport, CsvWithSemicolonWhenTheDecimalIsAComma) {
    services.locale.sList.clear();
    fullLayout(); // title, header and footer are not part of delimited files
    EXPECT_EQ(exportToFile(TExportType::xText_Comma_Delimited, "out.csv"), golden("csv_comma.txt"));
}

TEST_F(PointExport, CsvWithCommaWhenTheDecimalIsAPoint) {
    services.locale.sList.clear();
    component->SetOptions({O::ShowColHeaders});
    EXPECT_EQ(exportToFile(TExportType::xText_Comma_Delimited, "out.csv"), golden("csv_point.txt"));
}

// Separators that differ from what the decimal separator would give.
TEST_F(CommaExport, CsvTakesTheLocaleListSeparatorUnlessOneIsStored) {
    component->SetOptions({});
    services.locale.sList = "/";
    EXPECT_EQ(exportToFile(TExportType::xText_Comma_Delimited, "out.csv"),
              "\"09.12.2026\"/3,5/\"Oil\"\r\n\"10.12.2026\"/12,25/\"Natural gas\"\r\n"
              "\"11.12.2026\"/4/\"Wood \"\"dry\"\"\"\r\n");

    settings.writeString(InternationalKey, "sList", "|");
    EXPECT_EQ(exportToFile(TExportType::xText_Comma_Delimited, "out.csv"),
              "\"09.12.2026\"|3,5|\"Oil\"\r\n\"10.12.2026\"|12,25|\"Natural gas\"\r\n"
              "\"11.12.2026\"|4|\"Wood \"\"dry\"\"\"\r\n");
}

TEST_F(CommaExport, CsvNeverSplitsNumbersAtALocaleListSeparatorEqualToTheDecimal) {
    services.locale.sList = ",";
    component->SetOptions({});
    EXPECT_EQ(exportToFile(TExportType::xText_Comma_Delimited, "out.csv").substr(0, 18),
              "\"09.12.2026\";3,5;\"");
}

// Swiss German: a decimal point, and ";" for lists.
TEST_F(PointExport, CsvTakesTheLocaleListSeparatorUnderADecimalPoint) {
    services.locale.sList = ";";
    component->SetOptions({});
    EXPECT_EQ(exportToFile(TExportType::xText_Comma_Delimited, "out.csv"),
              "\"09.12.2026\";3.5;\"Oil\"\r\n\"10.12.2026\";12.25;\"Natural gas\"\r\n"
              "\"11.12.2026\";4;\"Wood \"\"dry\"\"\"\r\n");
}

TEST_F(CommaExport, CsvDropsLineBreaksOfTextsAndKeepsNumbersAsReceived) {
    grid.SetCell(2, 1, "two\r\nlines");
    grid.SetCell(1, 2, " 12,25");
    component->SetOptions({});
    const std::string csv = exportToFile(TExportType::xText_Comma_Delimited, "out.csv");
    EXPECT_NE(csv.find("3,5;\"twolines\"\r\n"), std::string::npos);
    EXPECT_NE(csv.find("\"10.12.2026\"; 12,25;"), std::string::npos);
}

TEST_F(CommaExport, TabDelimitedWithAsManyCaptionsAsFields) {
    EXPECT_EQ(exportToFile(TExportType::xText_Tab_Delimited), golden("tab_comma.txt"));
}

TEST_F(PointExport, TabDelimitedWithoutCaptions) {
    component->SetOptions({});
    EXPECT_EQ(exportToFile(TExportType::xText_Tab_Delimited), golden("tab_point_plain.txt"));
}

TEST_F(CommaExport, HiddenColumnsAndCaptionOverrides) {
    component->SetOptions({O::ShowColHeaders, O::ExportInvisibleCols});
    component->SetCaptions({"Datum", "", "Brennstoff", " ", ""});
    EXPECT_EQ(exportToFile(TExportType::xText_Tab_Delimited),
              "Datum\t\tBrennstoff\tHidden\r\n09.12.2026\t3,5\tOil\tx\r\n"
              "10.12.2026\t12,25\tNatural gas\ty\r\n11.12.2026\t4\tWood \"dry\"\tz\r\n");
}

// Texts a spreadsheet would evaluate get an apostrophe; numbers, signed ones too, do not.
TEST_F(CommaExport, DelimitedTextsThatLookLikeFormulasCannotRun) {
    struct Case {
        const char* cell;
        const char* written;
    };
    const Case cases[] = {
        {"=1+1", "'=1+1"},
        {"=HYPERLINK(\"http://x\";\"y\")", "'=HYPERLINK(\"http://x\";\"y\")"},
        {"+SUM(1;2)", "'+SUM(1;2)"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1:A2)", "'@SUM(A1:A2)"},
        {"\t=1+1", "'=1+1"},
        {"\r=1+1", "'=1+1"},
        {"-5", "-5"},
        {"+3,2", "+3,2"},
        {"-3.2", "-3.2"},
        {"a=1", "a=1"},
    };
    component->SetOptions({});
    for (const Case& e : cases) {
        grid.SetCell(2, 3, e.cell);
        const std::string tab = exportToFile(TExportType::xText_Tab_Delimited);
        EXPECT_EQ(tab.substr(tab.find("11.12.2026\t4\t") + 13), e.written + std::string("\r\n"))
            << e.cell;
        const std::string csv = exportToFile(TExportType::xText_Comma_Delimited, "out.csv");
        const std::string last = csv.substr(csv.find("11.12.2026\";4;") + 14);
        EXPECT_TRUE(last == e.written + std::string("\r\n") ||
                    last == '"' + EscapeChar(e.written, '"', '"') + "\"\r\n")
            << e.cell << " -> " << last;
    }
    component->EscapeFormulaTexts = false;
    grid.SetCell(2, 3, "=1+1");
    EXPECT_TRUE(exportToFile(TExportType::xText_Tab_Delimited).ends_with("\t=1+1\r\n"));
}

// Spreadsheets opening the file with their own defaults show the texts, not what they compute.
TEST_F(PointExport, SpreadsheetsOpenDelimitedFormulaTextsAsText) {
    services.locale.sList = ",";
    component->SetOptions({});
    grid.SetCell(2, 1, "=1+1");
    grid.SetCell(2, 2, "@SUM(2;3)");
    grid.SetCell(2, 3, "+SUM(1;2)");
    const auto shows = [](const std::vector<std::vector<std::string>>& rows) {
        std::vector<std::string> column;
        for (const auto& row : rows)
            column.push_back(row.size() > 2 ? row[2] : "");
        return column;
    };
    const std::vector<std::string> asWritten{"'=1+1", "'@SUM(2;3)", "'+SUM(1;2)"};
    bool anyReader = false;
    if (const std::optional<std::string> soffice = libreOffice()) {
        anyReader = true;
        exportToFile(TExportType::xText_Comma_Delimited, "lo.csv");
        const std::vector<std::string> column = shows(libreOfficeCsv(*soffice, path("lo.csv")));
        for (std::size_t r = 0; r < column.size(); ++r)
            EXPECT_TRUE(column[r] == asWritten[r] || column[r] == asWritten[r].substr(1))
                << column[r];
    }
    if (std::system("command -v ssconvert >/dev/null 2>&1") == 0) {
        anyReader = true;
        for (const bool escaped : {true, false}) {
            component->EscapeFormulaTexts = escaped;
            exportToFile(TExportType::xText_Comma_Delimited, "gnumeric.csv");
            int status = 0;
            const std::string out = commandOutput("ssconvert '" + path("gnumeric.csv") + "' '" +
                                                      path("shown.csv") + "' 2>&1",
                                                  status);
            ASSERT_EQ(status, 0) << out;
            const std::string shown = readFile(path("shown.csv"));
            if (escaped)
                EXPECT_EQ(shown.find(",2\n"), std::string::npos) << shown;
            else
                EXPECT_NE(shown.find(",2\n"), std::string::npos)
                    << "Gnumeric runs a formula written as it is:\n"
                    << shown;
        }
    }
    if (!anyReader)
        GTEST_SKIP() << "neither LibreOffice nor Gnumeric's ssconvert is installed";
}

TEST_F(CommaExport, SelectedRowsAreNumberedFromOne) {
    component->SetOptions({O::NumberRows, O::SelectedRowsOnly});
    grid.SelectionTop = 2;
    grid.SelectionBottom = 3;
    EXPECT_EQ(exportToFile(TExportType::xText_Tab_Delimited),
              "1\t10.12.2026\t12,25\tNatural gas\r\n2\t11.12.2026\t4\tWood \"dry\"\r\n");
}

TEST_F(CommaExport, AnEmptySelectionExportsEveryRow) {
    component->SetOptions({O::SelectedRowsOnly});
    grid.SelectionTop = 3;
    grid.SelectionBottom = 2;
    EXPECT_EQ(exportToFile(TExportType::xText_Tab_Delimited),
              "09.12.2026\t3,5\tOil\r\n10.12.2026\t12,25\tNatural gas\r\n"
              "11.12.2026\t4\tWood \"dry\"\r\n");
}

// A source that has captions but no rows.
class EmptySource : public TExportXComponent {
public:
    using TExportXComponent::TExportXComponent;
    std::string SourceCaption(int i) const override { return i == 0 ? "A" : "B"; }
    int SourceRowCount() override { return 0; }
    void GetCaptions(ExportList& list) override {
        list = {{ColumnCaption(0), {}}, {ColumnCaption(1), {}}};
    }
    void FillRow(ExportList&) override {}
    bool CheckSource() override { return true; }
};

TEST_F(CommaExport, ExportWithoutRowsWritesOnlyWhatPrecedesThem) {
    EmptySource source(services, &mainWindow);
    source.SetOptions({O::DetailedMode, O::ShowColHeaders, O::TimeStamp});
    source.SetFooter({"%.0f rows"});
    source.ViewOnly = false;
    source.ExportType = TExportType::xText;
    source.ExportFile = path("empty.txt");
    ASSERT_TRUE(source.Export());
    EXPECT_EQ(readFile(path("empty.txt")), "Created: 09.12.2026 08:15:30\r\n\r\n0 rows\r\n\r\n");
    source.ExportType = TExportType::xText_Comma_Delimited;
    source.ExportFile = path("empty.csv");
    ASSERT_TRUE(source.Export());
    EXPECT_EQ(readFile(path("empty.csv")), "\"A\";\"B\"\r\n");
}

TEST_F(CommaExport, DetailedClipboardPutsTheTextAndConfirms) {
    component->SetOptions({O::DetailedMode, O::ShowColHeaders, O::ShowClipboardMsg});
    component->SetFooter({"End"});
    component->ExportType = TExportType::xClipboard;
    ASSERT_TRUE(component->Export());
    EXPECT_TRUE(ui.clipboardSet);
    EXPECT_EQ(ui.clipboard.substr(0, 37), "Date: 09.12.2026\r\nO2  : 3,5\r\nFuel: Oi");
    EXPECT_EQ(ui.clipboard.substr(ui.clipboard.size() - 19), "Wood \"dry\"\r\n\r\nEnd\r\n");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Successfully Exported to Clipboard");
    EXPECT_EQ(ui.boxes[0].icon, MessageIcon::Information);
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(CommaExport, DetailedClipboardWithOneColumnPutsABreakBeforeTheFooter) {
    grid.SetColWidth(1, 0);
    grid.SetColWidth(2, 0);
    component->SetOptions({O::DetailedMode, O::NumberRows});
    component->SetFooter({"End"});
    component->ExportType = TExportType::xClipboard;
    ASSERT_TRUE(component->Export());
    EXPECT_EQ(ui.clipboard, "1\r\n09.12.2026\r\n\r\n2\r\n10.12.2026\r\n\r\n3\r\n11.12.2026\r\n\r\n"
                            "\r\nEnd\r\n");
    EXPECT_TRUE(ui.boxes.empty());
    // The detailed text file has no such break.
    component->SetOptions({O::DetailedMode, O::NumberRows});
    const std::string text = exportToFile(TExportType::xText);
    EXPECT_EQ(text.substr(text.size() - 23), "\r\n11.12.2026\r\n\r\nEnd\r\n\r\n");
}

TEST_F(CommaExport, FixedWidthClipboardMatchesTheTextFile) {
    fullLayout();
    component->ExportType = TExportType::xClipboard;
    ASSERT_TRUE(component->Export());
    EXPECT_EQ(ui.clipboard, golden("text_comma_full.txt"));
}

TEST_F(CommaExport, ClipboardCancelledInTheProgressWindowStaysUnchanged) {
    component->SetOptions({O::DetailedMode, O::ShowProgress, O::ShowClipboardMsg});
    component->ExportType = TExportType::xClipboard;
    ui.cancelWhenProgressShows();
    EXPECT_FALSE(component->Export());
    EXPECT_FALSE(ui.clipboardSet);
    EXPECT_TRUE(ui.boxes.empty());
}

} // namespace
} // namespace ovena::test
