#include "ExportFixture.h"

#include "export/ExportError.h"
#include "export/ExportWriter.h"
#include "export/WriterRegistry.h"

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace ovena::test {
namespace {

using O = TExportOption;

// A writer that records what the loop hands it and exposes the shared services.
class ProbeWriter : public TCustomExport {
public:
    using TCustomExport::BuildTextRow;
    using TCustomExport::ColumnKind;
    using TCustomExport::ColumnWidth;
    using TCustomExport::FitToWidth;
    using TCustomExport::TCustomExport;
    using TCustomExport::TimeStampText;

    std::vector<std::string> seen;
    int failAtRow = 0;

protected:
    void WriteHeader(const ExportList& captions) override {
        TCustomExport::WriteHeader(captions);
        std::string line;
        for (const auto& c : captions)
            line += c.Text + "|";
        seen.push_back(line);
    }
    void WriteRow(const ExportList& row, int rowNumber) override {
        TCustomExport::WriteRow(row, rowNumber);
        if (rowNumber == failAtRow)
            throw ExportError("disk full");
        seen.push_back(std::to_string(rowNumber) + ":" + row.back().Text);
    }
};

class WriterBase : public ExportTest {
protected:
    WriterBase() : ExportTest(pointLocale()) {}
    ProbeWriter probe() {
        component->RowCount = component->SourceRowCount();
        return ProbeWriter(*component, TExportType::xText, "");
    }
};

TEST_F(WriterBase, FitToWidthCutsWithTheTruncateSymbolOrPads) {
    ProbeWriter w = probe();
    EXPECT_EQ(w.FitToWidth("abcdefghijk", 5, true), "abcd-");
    EXPECT_EQ(w.FitToWidth("12.5", 8, true), "    12.5");
    EXPECT_EQ(w.FitToWidth("12.5", 8, false), "12.5    ");
    EXPECT_EQ(w.FitToWidth("abc", 5, true), "abc  ");
    EXPECT_EQ(w.FitToWidth("12 ", 5, true), "12   "); // not a number: padded like text
    EXPECT_EQ(w.FitToWidth("a\r\nb", 3, true), "ab ");
    EXPECT_EQ(w.FitToWidth("abcde", 5, true), "abcde");
    EXPECT_EQ(w.FitToWidth("abc", 0, true), "");
    component->SetTruncateSymbol("~~~~~");
    EXPECT_EQ(w.FitToWidth("abcdefghijk", 5, true), "abcde");
    component->SetTruncateSymbol("  ");
    EXPECT_EQ(component->TruncateSymbol(), "");
    EXPECT_EQ(w.FitToWidth("abcdefghijk", 5, true), "abcde");
}

TEST_F(WriterBase, TextRowKeepsEmbeddedBreaksOnOneLine) {
    component->SetOptions({});
    ProbeWriter w = probe();
    component->CaptionList = {{"Note", {}}};
    EXPECT_EQ(w.BuildTextRow({{"a\r\nb", {}}}), "ab   \r\n");
}

TEST_F(WriterBase, RowNumberColumnIsAsWideAsItsLongestNumber) {
    ProbeWriter w = probe();
    component->RowCount = 5;
    EXPECT_EQ(w.ColumnWidth(0), 4);
    component->RowCount = 12345;
    EXPECT_EQ(w.ColumnWidth(0), 5);
    component->CaptionList = {{"Item", {}}, {"Date", {}}, {"Fuel", {}}};
    component->SetColWidths({"", "12"});
    EXPECT_EQ(w.ColumnWidth(1), 5); // caption length + 1
    EXPECT_EQ(w.ColumnWidth(2), 12);
}

TEST_F(WriterBase, ColumnKindReadsCaptionsNumbersAndAnnotations) {
    ProbeWriter w = probe();
    component->CaptionList = {
        {"Item", {}}, {"Cost", TExportItemInfo{ValueKind::Currency, "", 0}}, {"Text", {}}};
    EXPECT_EQ(w.ColumnKind(2, "x"), ValueKind::Caption); // no row yet, captions shown
    component->SetOptions({O::NumberRows});
    EXPECT_EQ(w.ColumnKind(0, "1"), ValueKind::Number);
    EXPECT_EQ(w.ColumnKind(1, "abc"), ValueKind::Currency);
    EXPECT_EQ(w.ColumnKind(2, "1.5"), ValueKind::Number);
    EXPECT_EQ(w.ColumnKind(2, "1.5 "), ValueKind::Text);
    EXPECT_EQ(w.ColumnKind(2, "1.5.1"), ValueKind::Text);
}

TEST_F(WriterBase, TimeStampLeavesOutMidnight) {
    ProbeWriter w = probe();
    EXPECT_EQ(w.TimeStampText(), "Created: 12/9/2026 8:15:30 AM");
    services.clock = [] { return testTime(0, 0, 0); };
    EXPECT_EQ(w.TimeStampText(), "Created: 12/9/2026");
}

TEST_F(WriterBase, LoopHandsCaptionsAndNumberedRowsAndRestoresTheWindow) {
    ProbeWriter w = probe();
    EXPECT_TRUE(w.Execute());
    EXPECT_EQ(w.seen, (std::vector<std::string>{"Item|Date|O2|Fuel|", "1:Oil", "2:Natural gas",
                                                "3:Wood \"dry\""}));
    EXPECT_EQ(ui.cursor(), CursorShape::Default);
    EXPECT_TRUE(mainWindow.Enabled);
    EXPECT_NE(std::find(ui.events.begin(), ui.events.end(), "disable Ovena"), ui.events.end());
}

TEST_F(WriterBase, AnErrorInTheLoopIsReportedOnceAndFailsTheRun) {
    ProbeWriter w = probe();
    w.failAtRow = 2;
    EXPECT_FALSE(w.Execute());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Export Failed.\n\ndisk full") << "the reason below";
    EXPECT_EQ(ui.boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(w.seen.size(), 2u);
    EXPECT_EQ(ui.cursor(), CursorShape::Default);
    EXPECT_TRUE(mainWindow.Enabled);
}

TEST_F(WriterBase, FooterPlaceholderThatTakesNoNumberFailsTheTextExport) {
    component->SetFooter({"%d rows"});
    component->ExportType = TExportType::xText;
    component->ViewOnly = false;
    component->ExportFile = path("out.txt");
    EXPECT_FALSE(component->Export());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text.substr(0, 52),
              "Export failed. Try again with a different file name.");
    EXPECT_FALSE(std::filesystem::exists(path("out.txt")));
    EXPECT_TRUE(component->ExportFile.empty());
}

TEST_F(WriterBase, FooterEventMayStillChangeTheFooter) {
    component->SetOptions({});
    int reported = -1;
    component->OnWriteFooter = [&](TExportXComponent& sender, std::int32_t n) {
        reported = n;
        sender.SetFooter({"Total: %.0f"});
    };
    // Delimited files carry no footer, but it is formatted all the same.
    EXPECT_EQ(exportToFile(TExportType::xText_Tab_Delimited).find("Total"), std::string::npos);
    EXPECT_EQ(reported, 3);
    EXPECT_EQ(component->FooterLines, std::vector<std::string>{"Total: 3"});
}

class ViewExport : public ExportTest {
protected:
    ViewExport() : ExportTest(pointLocale()) {
        shell.types["txt"] = "text/plain";
        shell.openCommands["text/plain"] = true;
        component->SetOptions({});
        component->ExportType = TExportType::xText_Tab_Delimited;
    }
};

TEST_F(ViewExport, WritesATemporaryFileAndOpensIt) {
    ASSERT_TRUE(component->Export());
    ASSERT_EQ(shell.opened.size(), 1u);
    const std::string opened = shell.opened[0];
    EXPECT_EQ(opened.rfind(sandboxFolder() + "/tmp/exp", 0), 0u) << opened;
    EXPECT_EQ(opened.substr(opened.size() - 4), ".txt");
    EXPECT_EQ(readFile(opened).substr(0, 15), "09.12.2026\t3.5\t");
    EXPECT_TRUE(ui.boxes.empty());
    deleteTempFiles();
    EXPECT_FALSE(std::filesystem::exists(opened));
}

TEST_F(ViewExport, AFailedViewerShowsTheViewError) {
    shell.openResult = 31;
    EXPECT_TRUE(component->Export());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Error occured while trying to view data exported to the Text format.\n\nIf this "
              "problem persists, you may want to consider re-installing the Text Viewer "
              "Application.");
}

TEST_F(ViewExport, MinimisesWhileTheViewerIsInFrontAndRestoresOnActivation) {
    ui.foreground = &mainWindow;
    ASSERT_TRUE(component->Export());
    EXPECT_EQ(ui.events.back(), "minimize");
    EXPECT_TRUE(component->MinimisedByExport);
    ui.activate();
    EXPECT_EQ(ui.events.back(), "restore");
    EXPECT_FALSE(component->MinimisedByExport);
    ui.activate();
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "restore"), 1);
}

TEST_F(ViewExport, ActivationHandlerOfTheApplicationIsChainedAndPutBack) {
    int calls = 0;
    component.reset();
    ui.setActivationHandler([&] { ++calls; });
    component = std::make_unique<TExportStringGrid>(services, &mainWindow, &grid);
    ui.activate();
    EXPECT_EQ(calls, 1);
    component.reset();
    ui.activate();
    EXPECT_EQ(calls, 2);
}

TEST_F(ViewExport, TemporaryFilesAreDeletedWhenTheProgramEnds) {
    const std::string list = path("opened");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool ok = component->Export();
        writeFile(list, shell.opened.empty() ? "" : shell.opened[0]);
        std::exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string opened = readFile(list);
    ASSERT_FALSE(opened.empty());
    EXPECT_FALSE(std::filesystem::exists(opened));
}

TEST_F(ViewExport, TypeWithoutOpenCommandAsksForAFile) {
    shell.openCommands["text/plain"] = false;
    ui.saveDialogAnswers.push_back(path("chosen.txt"));
    ASSERT_TRUE(component->Export());
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    const SaveFileRequest& r = ui.saveRequests[0];
    EXPECT_EQ(r.title, "Export to Tab-Delimited Text File");
    EXPECT_EQ(r.filter, "Tab-Delimited Text files (*.txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_EQ(r.defaultExtension, "txt");
    EXPECT_TRUE(r.confirmOverwrite && r.hideReadOnly && r.pathMustExist);
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(readFile(path("chosen.txt")).substr(0, 10), "09.12.2026");
}

TEST_F(ViewExport, DifRegisteredToQuickTimeIsNeverViewed) {
    shell.types["dif"] = "QUICKTIME.DIF";
    shell.openCommands["QUICKTIME.DIF"] = true;
    shell.types["slk"] = "SYLK";
    shell.openCommands["SYLK"] = true;
    EXPECT_FALSE(component->CanView(TExportType::xDIF));
    EXPECT_TRUE(component->CanView(TExportType::xSYLK));
    EXPECT_TRUE(component->CanView(TExportType::xClipboard));
    EXPECT_FALSE(component->CanView(TExportType::xHTML));
}

TEST(WriterRegistryTest, NamesEveryWriterOfTheTypeTable) {
    EXPECT_EQ(WriterClassName(TExportType::xText, false), "TTextExport");
    EXPECT_EQ(WriterClassName(TExportType::xText, true), "TDetailedTextExport");
    EXPECT_EQ(WriterClassName(TExportType::xClipboard, true), "TDetailedClipboardExport");
    EXPECT_EQ(WriterClassName(TExportType::xMicrosoft_Word, false), "TRichTextExport");
    EXPECT_EQ(WriterClassName(TExportType::xRichText, true), "TRichTextExport");
    for (const char* name : {"TTextExport", "TDetailedTextExport", "TCSVExport", "TTabExport",
                             "TClipboardExport", "TDetailedClipboardExport"})
        EXPECT_NE(builtInWriters().find(name), nullptr) << name;
}

} // namespace
} // namespace ovena::test
