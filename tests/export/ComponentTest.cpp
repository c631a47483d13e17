#include "ExportFixture.h"

#include "export/EC_Choice.h"
#include "export/ExportError.h"
#include "export/TextWriters.h"
#include "export/WriterRegistry.h"
#include "export/XProgress.h"

#include <filesystem>

namespace ovena::test {
namespace {

using O = TExportOption;
using T = TExportType;

class Component : public ExportTest {};

TEST_F(Component, DefaultsOfANewComponent) {
    EXPECT_EQ(component->ExportType, T::xMicrosoft_Excel);
    EXPECT_TRUE(component->ViewOnly);
    EXPECT_EQ(component->Options(),
              (TExportOptions{O::NumberRows, O::ShowColHeaders, O::ShowClipboardMsg,
                              O::ShowProgress, O::TimeStamp}));
    EXPECT_EQ(component->HTML_Options,
              (THTML_Options{THTML_Option::htColHeadersBold, THTML_Option::htAutoLink,
                             THTML_Option::htOddRowColoring}));
    EXPECT_EQ(component->HTML_Template, THTML_Template::htSimple);
    EXPECT_EQ(component->TruncateSymbol(), "-");
    EXPECT_EQ(component->AllowedTypes, allExportTypes());
    EXPECT_EQ(component->XL_Options.PageFooter, "Page &P of &N");
    EXPECT_EQ(component->Word_RTF_Options.LeftMargin, 1250);
    EXPECT_EQ(component->Word_RTF_Options.BottomMargin, 1000);
    EXPECT_EQ(component->Print_Options.DetailedTitle.Size, 16);
}

TEST_F(Component, SettersCleanWhatTheyAreGiven) {
    component->SetHeader({"one", "two", "", "  ", "\t"});
    EXPECT_EQ(component->Header(), (std::vector<std::string>{"one", "two"}));
    component->SetFooter({"", "x", ""});
    EXPECT_EQ(component->Footer(), (std::vector<std::string>{"", "x"}));
    component->SetTitle("Flue\tgas\r\n report");
    EXPECT_EQ(component->Title(), "Fluegas report");
    component->SetTruncateSymbol("  ~ ");
    EXPECT_EQ(component->TruncateSymbol(), "~");
    component->SetOptions({O::ExportAllWhenNoneSelected, O::NumberRows});
    EXPECT_EQ(component->Options(), TExportOptions{O::NumberRows});
}

TEST_F(Component, CustomHtmlTemplateNeedsElevenFields) {
    const std::string good = "a;b;c;d;e;f;g;h;i;j;k";
    component->SetHTML_CustomTemplate(good);
    EXPECT_EQ(component->HTML_CustomTemplate(), good);
    for (const std::string bad : {"a;b;c;d;e;f;g;h;i;j", "a;b;c;d;e;f;g;h;i;j;k;l"}) {
        try {
            component->SetHTML_CustomTemplate(bad);
            FAIL() << bad;
        } catch (const ExportError& e) {
            const std::string found = bad.size() < good.size() ? "9" : "11";
            EXPECT_EQ(std::string(e.what()), "Invalid Template! Please correct it.\n\nYou should "
                                             "have \"10\" semicolons but instead you have \"" +
                                                 found + "\"");
        }
        EXPECT_EQ(component->HTML_CustomTemplate(), good);
    }
    component->SetHTML_CustomTemplate("   ");
    EXPECT_EQ(component->HTML_CustomTemplate(), "");
}

TEST_F(Component, TypeTableNamesAndExtensions) {
    std::vector<std::string> list{"stale"};
    component->AllowedTypes = allExportTypes();
    component->AllowedTypes.erase(T::xDIF);
    component->AllowedTypes.erase(T::xSYLK);
    component->FillTypeList(list);
    EXPECT_EQ(list, (std::vector<std::string>{"HTML", "Microsoft Word", "Microsoft Excel",
                                              "Excel Workbook (xlsx)", "Text", "Rich Text",
                                              "Comma-Delimited Text (CSV)", "Tab-Delimited Text",
                                              "Clipboard"}));
    EXPECT_EQ(TypeFromDisplayName("SYLK Format"), T::xSYLK);
    EXPECT_EQ(TypeFromDisplayName("Data Interchange Format (DIF)"), T::xDIF);
    EXPECT_EQ(TypeFromDisplayName("html"), T::xText);
    EXPECT_EQ(TypeFromDisplayName("Excel Workbook (xlsx)"), T::xExcel_Workbook);
    EXPECT_EQ(static_cast<int>(T::xExcel_Workbook), 10) << "after the ten older types";
    EXPECT_EQ(DefaultExtension(T::xExcel_Workbook), "xlsx");
    EXPECT_EQ(WriterClassName(T::xExcel_Workbook, true), "TXLSXExport");
    EXPECT_EQ(DefaultExtension(T::xMicrosoft_Word), "doc");
    EXPECT_EQ(DefaultExtension(T::xText_Tab_Delimited), "txt");
    EXPECT_EQ(DefaultExtension(T::xClipboard), "");
}

TEST_F(Component, FormatWithoutItsWriterFailsWithAClearMessage) {
    // A program built with the text writers only.
    WriterRegistry textOnly;
    registerTextWriters(textOnly);
    services.writers = &textOnly;
    int failed = 0;
    component->OnExportFailed = [&](TExportXComponent&) { ++failed; };
    component->ExportType = T::xMicrosoft_Excel;
    component->ViewOnly = false;
    component->ExportFile = path("out.xls");
    try {
        component->Export();
        FAIL() << "exported without a writer";
    } catch (const ExportError& e) {
        EXPECT_STREQ(e.what(), "Export to Microsoft Excel is not available: the TBIFFExport "
                               "writer is not part of this program.");
    }
    EXPECT_EQ(failed, 1);
    EXPECT_TRUE(component->ExportFile.empty());
    EXPECT_TRUE(ui.saveRequests.empty());
    EXPECT_FALSE(std::filesystem::exists(path("out.xls")));
}

TEST_F(Component, EventsOfASuccessfulExport) {
    std::vector<std::string> events;
    component->OnBeginExport = [&](TExportXComponent&) { events.push_back("begin"); };
    component->OnExportFinished = [&](TExportXComponent&) { events.push_back("finished"); };
    component->OnExportFailed = [&](TExportXComponent&) { events.push_back("failed"); };
    exportToFile(T::xText_Comma_Delimited, "out.csv");
    EXPECT_EQ(events, (std::vector<std::string>{"begin", "finished"}));
    EXPECT_TRUE(component->ExportFile.empty());
}

TEST_F(Component, CancelledFileDialogFailsQuietly) {
    int failed = 0;
    component->OnExportFailed = [&](TExportXComponent&) { ++failed; };
    component->ExportType = T::xText;
    component->ViewOnly = false;
    EXPECT_FALSE(component->Export());
    EXPECT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(failed, 1);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(Component, ChoiceDialogLeadsToTheExport) {
    component->ExportType = T::xText_Tab_Delimited;
    component->Loaded();
    component->SetOptions({});
    ui.saveDialogAnswers.push_back(path("chosen.txt"));
    std::string caption;
    ui.onShowModal = [&](Form& form) {
        auto& dialog = dynamic_cast<TExportChoiceForm&>(form);
        caption = dialog.Caption;
        // No viewer for text files here: the dialog offers the file only.
        EXPECT_FALSE(dialog.ViewRadioButton.Enabled);
        EXPECT_TRUE(dialog.FileRadioButton.Checked);
        auto& items = dialog.ExportTypeComboBox.Items;
        dialog.ExportTypeComboBox.ItemIndex = static_cast<int>(
            std::find(items.begin(), items.end(), "Comma-Delimited Text (CSV)") - items.begin());
        dialog.ExportTypeComboBoxChange();
        dialog.OKBtnClick();
        return dialog.Result;
    };
    ASSERT_TRUE(component->ExportWithDialog());
    EXPECT_EQ(caption, "Export 3 Items");
    EXPECT_EQ(component->ExportType, T::xText_Comma_Delimited);
    EXPECT_EQ(component->LastChosenType, T::xText_Comma_Delimited);
    EXPECT_FALSE(component->ViewOnly);
    EXPECT_EQ(readFile(path("chosen.txt")).substr(0, 13), "\"09.12.2026\";");
}

TEST_F(Component, CancelledChoiceDialogFails) {
    int failed = 0;
    component->OnExportFailed = [&](TExportXComponent&) { ++failed; };
    EXPECT_FALSE(component->ExportWithDialog());
    EXPECT_EQ(failed, 1);
    EXPECT_TRUE(ui.saveRequests.empty());
}

// On a German desktop the window program runs in the German C library locale, where printf
// writes "12,5". Every file format must come out byte for byte as in the "C" locale, since it
// takes its number forms from the format and from the regional settings only. (The xlsx
// workbook holds the time it was made; the reader checks it in XlsxExportTest.)
TEST_F(Component, EveryFileFormatIsTheSameInAProcessWithACommaDecimalCLocale) {
    fillReadout(grid, 20, services.locale);
    component->SetOptions({O::NumberRows, O::ShowColHeaders, O::TimeStamp});
    component->SetFooter({"%.2n measurements"});
    std::map<T, std::string> plain;
    for (int i = 0; i < ExportTypeCount; ++i)
        if (const auto type = static_cast<T>(i);
            type != T::xClipboard && type != T::xExcel_Workbook)
            plain[type] = exportToFile(type, "plain" + std::to_string(i));

    const CommaDecimalProcessLocale german;
    if (!german.available())
        GTEST_SKIP() << german.failure();
    for (const auto& [type, bytes] : plain)
        EXPECT_EQ(exportToFile(type, "german" + std::to_string(static_cast<int>(type))), bytes)
            << DisplayName(type);
}

TEST(ProgressForm, BarAdvancesOncePerStepOfItems) {
    FakeUi ui;
    TProgressForm progress(ui, "Exporting...", "", "%d Items Exported in %.2f Seconds.", 100);
    EXPECT_EQ(progress.ProgressBar.Max, 20); // 100 div (100 div 25 + 1)
    int serviced = 0;
    ui.onProcessEvents = [&] { ++serviced; };
    for (int i = 1; i <= 100; ++i)
        EXPECT_TRUE(progress.Update(i));
    EXPECT_EQ(serviced, 20); // every fifth item
    EXPECT_EQ(progress.ProgressBar.Position, 20);
    TProgressForm small(ui, "Exporting...", "", "", 3);
    EXPECT_EQ(small.ProgressBar.Max, 3);
    for (int i = 1; i <= 5; ++i)
        small.Update(i);
    EXPECT_EQ(small.ProgressBar.Position, 3); // never past the end
}

TEST(ProgressForm, CountingModeShowsTheMessage) {
    FakeUi ui;
    TProgressForm progress(ui, "Exporting...", "", "%d Items Exported in %.2f Seconds.", -1);
    EXPECT_FALSE(progress.ProgressBar.Visible);
    EXPECT_TRUE(progress.ExportPanel.Visible);
    EXPECT_EQ(progress.ClientHeight, 57);
    progress.Update(7);
    EXPECT_EQ(progress.ExportPanel.Caption, "7 Items Exported in 0.00 Seconds.");
}

TEST(ProgressForm, EscCancelsOnlyAShownWindow) {
    FakeUi ui;
    TProgressForm progress(ui, "Exporting...", "", "", 10);
    progress.FormKeyDown(27);
    EXPECT_TRUE(progress.Update(1)); // never shown: nothing to close
    progress.Show();
    progress.FormKeyDown(13);
    EXPECT_TRUE(progress.Update(2));
    progress.FormKeyDown(27);
    EXPECT_FALSE(progress.Visible);
    EXPECT_FALSE(progress.Update(3));
    EXPECT_EQ(ui.events, (std::vector<std::string>{"show Exporting...", "hide Exporting..."}));
}

} // namespace
} // namespace ovena::test
