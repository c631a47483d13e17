#include "BiffTestSupport.h"
#include "ExportFixture.h"

namespace ovena::test {
namespace {

using O = TExportOption;

class SylkExport : public ExportTest {
protected:
    explicit SylkExport(LocaleSettings locale = commaLocale()) : ExportTest(std::move(locale)) {}
    std::string sylk() { return exportToFile(TExportType::xSYLK, "out.slk"); }
};

class SylkPointExport : public SylkExport {
protected:
    SylkPointExport() : SylkExport(pointLocale()) {}
};

TEST_F(SylkExport, WholeFileUnderACommaLocale) {
    component->SetOptions({O::ShowColHeaders});
    EXPECT_EQ(sylk(), crlfLines({
                          "ID;PTEXPORTX",
                          "P;Pdd.mm.yyyy",
                          "P;Ph:mm",
                          "P;Pdd.mm.yyyy h:mm",
                          "P;P#,##0.00\" \x80\"_);;[Red]\\-#,##0.00\" \x80\"",
                          "C;X1;Y1;K\"Date\"",
                          "C;X2;Y1;K\"O2\"",
                          "C;X3;Y1;K\"Fuel\"",
                          "C;X1;Y2;K\"09.12.2026\"",
                          "C;X2;Y2;K3.5",
                          "C;X3;Y2;K\"Oil\"",
                          "C;X1;Y3;K\"10.12.2026\"",
                          "C;X2;Y3;K12.25",
                          "C;X3;Y3;K\"Natural gas\"",
                          "C;X1;Y4;K\"11.12.2026\"",
                          "C;X2;Y4;K4",
                          "C;X3;Y4;K\"Wood \"dry\"\"",
                          // Each column its own longest text: Date 10, O2 5, Fuel 11.
                          "F;W1 1 10",
                          "F;W2 2 5",
                          "F;W3 3 11",
                          "E",
                      }));
}

TEST_F(SylkPointExport, WithoutCaptionsTheFirstRowIsRowOne) {
    component->SetOptions({O::NumberRows, O::Time24HourFormat, O::TimeDisplaySeconds});
    grid.SetRowCount(2);
    EXPECT_EQ(sylk(), crlfLines({
                          "ID;PTEXPORTX",
                          "P;Pm/d/yyyy",
                          "P;Ph:mm:ss",
                          "P;Pm/d/yyyy h:mm:ss",
                          "P;P\"$\"#,##0.00_);;[Red]\\(\"$\"#,##0.00\\)",
                          "C;X1;Y1;K1",
                          "C;X2;Y1;K\"09.12.2026\"",
                          "C;X3;Y1;K3.5",
                          "C;X4;Y1;K\"Oil\"",
                          "F;W1 1 4",
                          "F;W2 2 10",
                          "F;W3 3 3",
                          "F;W4 4 4",
                          "E",
                      }));
}

TEST_F(SylkExport, LongTextsAreCutAndWidthsCapped) {
    component->SetOptions({O::ShowColHeaders});
    grid.SetCell(2, 1, std::string(300, 'z'));
    grid.SetCell(2, 2, "a;b");
    const std::string file = sylk();
    EXPECT_NE(file.find("C;X3;Y2;K\"" + std::string(255, 'z') + "\"\r\n"), std::string::npos);
    EXPECT_NE(file.find("C;X3;Y3;K\"a;;b\"\r\n"), std::string::npos);
    EXPECT_NE(file.find("F;W3 3 255\r\n"), std::string::npos);
}

class SylkAnnotatedExport : public SylkExport {
protected:
    SylkAnnotatedExport() : source(services) {
        source.SetOptions({O::ShowColHeaders});
        source.captions = {annotated("Count", 4), annotated("Amount", 5), annotated("Day", 7),
                           annotated("At", 8),    annotated("When", 9),   annotated("Ok", 6),
                           annotated("Note", 0)};
    }
    std::string exportSource() {
        source.ExportType = TExportType::xSYLK;
        source.ViewOnly = false;
        source.ExportFile = path("typed.slk");
        EXPECT_TRUE(source.Export());
        return readFile(path("typed.slk"));
    }
    // The cell and format records, without the lines before and after them.
    std::string records(const std::string& file) {
        const std::size_t first = file.find("C;X1;Y1;");
        return file.substr(first, file.find("F;W") - first);
    }

    AnnotatedSource source;
    const std::string captionRecords =
        crlfLines({"C;X1;Y1;K\"Count\"", "C;X2;Y1;K\"Amount\"", "C;X3;Y1;K\"Day\"",
                   "C;X4;Y1;K\"At\"", "C;X5;Y1;K\"When\"", "C;X6;Y1;K\"Ok\"", "C;X7;Y1;K\"Note\""});
};

TEST_F(SylkAnnotatedExport, TypedCellsGetTheirFormats) {
    source.rows = {{{"7", {}},
                    {"12,50", {}},
                    {"09.12.2026", {}},
                    {"10:30", {}},
                    {"09.12.2026 18:00:00", {}},
                    annotated("", 0, 2),
                    {"", {}}}};
    EXPECT_EQ(records(exportSource()),
              captionRecords + crlfLines({"C;X1;Y2;K7", "F;P3;FG0G;X2;Y2", "C;X2;Y2;K12.50",
                                          "F;P0;FG0G;X3;Y2", "C;X3;Y2;K46365", "F;P1;FG0G;X4;Y2",
                                          "C;X4;Y2;K0.4375", "F;P2;FG0G;X5;Y2", "C;X5;Y2;K46365.75",
                                          "C;X6;Y2;K\"\"", "C;X7;Y2;K\"\""}));
}

TEST_F(SylkAnnotatedExport, NumbersNoCellHoldsStayText) {
    source.rows = {
        {{"1e999", {}}, {"-1e-400", {}}, {"", {}}, {"", {}}, {"", {}}, {"", {}}, {"1,5e999", {}}}};
    EXPECT_EQ(records(exportSource()),
              captionRecords + crlfLines({"C;X1;Y2;K\"1e999\"", "C;X2;Y2;K\"-1e-400\"",
                                          "C;X6;Y2;K\"\"", "C;X7;Y2;K\"1,5e999\""}));
}

TEST_F(SylkAnnotatedExport, BlankTypedCellsWriteNoRecord) {
    source.rows = {rowOf(7, {{1, {" ", {}}}})};
    // Row 2 holds only the two text cells.
    EXPECT_EQ(records(exportSource()),
              captionRecords + crlfLines({"C;X6;Y2;K\"\"", "C;X7;Y2;K\"\""}));
}

// A column with nothing in it gets the narrowest width a reader takes, not 0, which Gnumeric
// refuses.
TEST_F(SylkExport, AnEmptyColumnKeepsAWidthGnumericReads) {
    component->SetOptions({});
    for (int r = 0; r <= 3; ++r)
        grid.SetCell(2, r, "");
    EXPECT_NE(sylk().find("F;W3 3 1\r\n"), std::string::npos);
    if (std::system("command -v ssconvert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Gnumeric's ssconvert is not installed (Debian package gnumeric)";
    int status = 0;
    const std::string said = commandOutput(
        "ssconvert '" + path("out.slk") + "' '" + path("shown.csv") + "' 2>&1", status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_EQ(said, "") << "no complaint about the file";
    EXPECT_EQ(readFile(path("shown.csv")).substr(0, 15), "09.12.2026,3.5,");
}

} // namespace
} // namespace ovena::test
