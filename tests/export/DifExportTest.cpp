#include "BiffTestSupport.h"
#include "ExportFixture.h"

#include "export/ExportError.h"

#include "platform/TempFiles.h"

#include <filesystem>

namespace ovena::test {
namespace {

using O = TExportOption;

// The temporary DIF texts left in the temporary folder.
int leftoverTempTexts() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tempFolder()))
        if (entry.path().extension() == ".z93")
            ++count;
    return count;
}

class DifExport : public ExportTest {
protected:
    std::string dif() { return exportToFile(TExportType::xDIF, "out.dif"); }
};

TEST_F(DifExport, ThreeColumnsWithCaptionsAndTwoRows) {
    component->SetOptions({O::ShowColHeaders});
    component->SetTitle("Flue gas");
    grid.SetRowCount(3);
    EXPECT_EQ(dif(), crlfLines({"TABLE",   "0,1",    "\"Flue gas\"", "VECTORS",
                                "0,3",     "\"\"",   "TUPLES",       "0,3",
                                "\"\"",    "DATA",   "0,0",          "\"\"",
                                "-1,0",    "BOT",    "1,0",          "\"Date\"",
                                "1,0",     "\"O2\"", "1,0",          "\"Fuel\"",
                                "-1,0",    "BOT",    "1,0",          "\"09.12.2026\"",
                                "0,3.5",   "V",      "1,0",          "\"Oil\"",
                                "-1,0",    "BOT",    "1,0",          "\"10.12.2026\"",
                                "0,12.25", "V",      "1,0",          "\"Natural gas\"",
                                "-1,0",    "EOD"}));
    EXPECT_EQ(leftoverTempTexts(), 0);
}

TEST_F(DifExport, WithoutCaptionsAndRowsOnlyTheFrame) {
    AnnotatedSource source(services);
    source.SetOptions({});
    source.captions = {{"A", {}}, {"B", {}}, {"C", {}}};
    source.ExportType = TExportType::xDIF;
    source.ViewOnly = false;
    source.ExportFile = path("empty.dif");
    ASSERT_TRUE(source.Export());
    EXPECT_EQ(readFile(path("empty.dif")),
              crlfLines({"TABLE", "0,1", "\"\"", "VECTORS", "0,3", "\"\"", "TUPLES", "0,0", "\"\"",
                         "DATA", "0,0", "\"\"", "-1,0", "EOD"}));
}

TEST_F(DifExport, QuotesDoubledAndNumbersWithAPoint) {
    component->SetOptions({O::NumberRows});
    component->SetTitle("The \"best\" fuels");
    grid.SetCell(1, 3, "3,4");
    grid.SetCell(0, 3, "line\r\nbreak");
    const std::string file = dif();
    EXPECT_NE(file.find("\r\n\"The \"\"best\"\" fuels\"\r\n"), std::string::npos);
    // The third row: row number, text without its line break, 3,4 as 3.4, doubled quotes.
    EXPECT_NE(file.find(crlfLines({"-1,0", "BOT", "0,3", "V", "1,0", "\"linebreak\"", "0,3.4", "V",
                                   "1,0", "\"Wood \"\"dry\"\"\"", "-1,0", "EOD"})),
              std::string::npos);
    EXPECT_NE(file.find("\r\nTUPLES\r\n0,3\r\n"), std::string::npos);
}

TEST_F(DifExport, ARunThatFailsLeavesNoTemporaryText) {
    class FailingSource : public AnnotatedSource {
    public:
        using AnnotatedSource::AnnotatedSource;
        void FillRow(ExportList& list) override {
            if (SourceRow == 1)
                throw ExportError("source lost");
            AnnotatedSource::FillRow(list);
        }
    };
    FailingSource source(services);
    source.captions = {{"A", {}}};
    source.rows = {{{"1", {}}}, {{"2", {}}}};
    source.ExportType = TExportType::xDIF;
    source.ViewOnly = false;
    source.ExportFile = path("failed.dif");
    EXPECT_FALSE(source.Export());
    EXPECT_EQ(leftoverTempTexts(), 0);
    EXPECT_TRUE(folderEntries().empty());
}

} // namespace
} // namespace ovena::test
