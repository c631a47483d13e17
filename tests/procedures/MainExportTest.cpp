// The main window's export: the component's configuration, the header check boxes, and the
// table step of a readout from tev640-sim through the choice dialog into a file.

#include "ExportingRig.h"

#include "export/EC_Choice.h"
#include "export/ExportError.h"
#include "procedures/MainExport.h"
#include "support/Locales.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <filesystem>
#include <gmock/gmock.h>

namespace ovena::test {
namespace {

using enum TExportOption;
using testing::ElementsAre;

class MainExportTest : public ::testing::Test, protected ExportingRig {
protected:
    MainExportTest() : ExportingRig(commaLocale()) {}
};

TEST_F(MainExportTest, ComponentIsConfiguredAsTheMainWindowKeepsIt) {
    const TExportStringGrid& c = mainExport.ExportStringGrid1;
    EXPECT_EQ(c.Options(), TExportOptions({DetailedMode, NumberRows, ShowColHeaders,
                                           ShowClipboardMsg, ShowProgress, TimeStamp}));
    EXPECT_EQ(c.HTML_Options,
              THTML_Options({THTML_Option::htColHeadersBold, THTML_Option::htAutoLink,
                             THTML_Option::htOddRowColoring}));
    EXPECT_THAT(c.Header(), ElementsAre("Halvoer Safety TEV GmbH,  Germany"));
    EXPECT_EQ(c.ExportType, TExportType::xMicrosoft_Excel);
    EXPECT_EQ(c.LastChosenType, TExportType::xMicrosoft_Excel);
    for (int t = 0; t < ExportTypeCount; ++t) {
        const auto type = static_cast<TExportType>(t);
        EXPECT_EQ(c.AllowedTypes.contains(type),
                  type != TExportType::xDIF && type != TExportType::xSYLK)
            << DisplayName(type);
    }
    EXPECT_EQ(c.TruncateSymbol(), "-");
    EXPECT_TRUE(c.XL_Options.PrintGridlines);
    EXPECT_TRUE(c.XL_Options.PrintHeadings);
    EXPECT_EQ(c.XL_Options.PageFooter, "Page &P of &N");
    EXPECT_EQ(c.Print_Options.DetailedFont.Name, "Courier New");
    EXPECT_EQ(c.GetStringGrid(), &grid);
}

TEST_F(MainExportTest, HeaderCheckBoxesSwitchOnlyTheirOwnOptions) {
    settings.CBtimestamp.Checked = true;
    settings.CBDimension.Checked = true;
    ApplyExportOptions(settings, mainExport.ExportStringGrid1);
    EXPECT_EQ(mainExport.ExportStringGrid1.Options(),
              TExportOptions({DetailedMode, ShowClipboardMsg, ShowProgress, TimeStamp}));
    EXPECT_FALSE(settings.CBDimension.Enabled);
    EXPECT_TRUE(settings.CBDimension.Checked) << "greyed, the tick mark stays";

    settings.CBHeader.Checked = true;
    settings.CBtimestamp.Checked = false;
    settings.CBNumberRows.Checked = true;
    ApplyExportOptions(settings, mainExport.ExportStringGrid1);
    EXPECT_EQ(
        mainExport.ExportStringGrid1.Options(),
        TExportOptions({DetailedMode, NumberRows, ShowColHeaders, ShowClipboardMsg, ShowProgress}));
    EXPECT_TRUE(settings.CBDimension.Enabled);
}

TEST_F(MainExportTest, ReadoutEndsInTheChosenFile) {
    rig.startSim(
        "serial=64012345\nfuel=Heiz\xF6l EL\nfuel=Erdgas H\n"
        "record\n1;4711\n"
        "2;0712241530;2;21.5;180.2;60.0;3.5;12;40;1013.2;1.20;10.8;15;7.3;0;0;0;0;0;1;0;41\n"
        "end\nrecord\n1;4712\n"
        "2;0712251000;1;20.0;150.0;55.0;4.0;8;35;1001.0;1.24;12.1;9;0.05;1;0;0;0;0;0;0;35\n"
        "end\n");
    settings.Listboxfields.Checked.fill(false);
    for (int field : {0, 1, 2, 3, 7, 18})
        settings.Listboxfields.Checked[static_cast<std::size_t>(field)] = true;
    settings.CBHeader.Checked = true;
    settings.CBNumberRows.Checked = true;
    bool exported = false;
    rig.host.BuildTable = [&] { exported = mainExport.BuildTable(rig.data, settings); };
    chooseFile("Comma-Delimited Text (CSV)");
    const std::string file = sandboxFolder() + "/readout.csv";
    rig.ui.saveDialogAnswers.push_back(file);

    ClearTable(grid);
    ReadInstrument(rig.host);

    EXPECT_TRUE(exported);
    EXPECT_EQ(preselected, "Microsoft Excel");
    EXPECT_THAT(offered,
                ElementsAre("HTML", "Microsoft Word", "Microsoft Excel", "Excel Workbook (xlsx)",
                            "Text", "Rich Text", "Comma-Delimited Text (CSV)", "Tab-Delimited Text",
                            "Clipboard"));
    EXPECT_EQ(readFile(file),
              "\"Item\";\"\";\"Serial No.\";\"Cust.No.\";\"Time\";\"Fuel\";\"O2\";\"Eta\";\"\"\r\n"
              "1;\"\";64012345;4711;\"24.12.07  15:30\";\"Erdgas H\";3,5;92,7;\"\"\r\n"
              "2;\"\";64012345;4712;\"25.12.07  10:00\";\"Heiz\xF6l EL\";4,0;\"\";\"\"\r\n");
    EXPECT_EQ(rig.ui.events.back(), "restore");
}

TEST_F(MainExportTest, CancelledChoiceExportsNothingAndRestoresTheApplication) {
    rig.data.Memo1.Lines = {"1;4711", "2;0712241530;1"};
    EXPECT_FALSE(mainExport.BuildTable(rig.data, settings));
    EXPECT_THAT(rig.ui.events, ElementsAre("modal Export 1 Items", "restore"));
    EXPECT_EQ(grid.Cell(2, 1), "4711") << "the table is built before the dialog";
}

TEST_F(MainExportTest, ReadoutWithoutRecordsLeavesNoRowsOfAnEarlierOneToExport) {
    rig.data.Memo1.Lines = {"1;4711", "2;0712241530;1", "1;4712", "2;0712241530;1"};
    EXPECT_FALSE(mainExport.BuildTable(rig.data, settings));
    ASSERT_EQ(grid.RowCount(), 3);

    ClearTable(grid);
    rig.data.Memo1.Lines.clear();
    rig.ui.events.clear();
    EXPECT_FALSE(mainExport.BuildTable(rig.data, settings));
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_THAT(boxTexts(rig.ui), ElementsAre("There is no Data to Export."));
    EXPECT_THAT(rig.ui.events, ElementsAre("restore")) << "no choice dialog";
}

TEST_F(MainExportTest, FailingExportStillRestoresTheApplication) {
    rig.data.Memo1.Lines = {"1;4711", "2;0712241530;1"};
    chooseFile("Comma-Delimited Text (CSV)");
    rig.ui.saveDialogAnswers.push_back(sandboxFolder() + "/no such folder/readout.csv");
    EXPECT_THROW(mainExport.BuildTable(rig.data, settings), ExportError);
    EXPECT_EQ(rig.ui.events.back(), "restore");
}

} // namespace
} // namespace ovena::test
