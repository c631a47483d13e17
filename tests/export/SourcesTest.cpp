#include "ExportFixture.h"

#include "export/EC_Choice.h"
#include "export/ExportError.h"

namespace ovena::test {
namespace {

using O = TExportOption;
using T = TExportType;

class GridSource : public ExportTest {
protected:
    std::vector<std::string> captions() {
        ExportList list;
        component->GetCaptions(list);
        std::vector<std::string> texts;
        for (const auto& c : list)
            texts.push_back(c.Text);
        return texts;
    }
};

TEST_F(GridSource, HiddenColumnsAreLeftOutUnlessInvisibleOnesAreWanted) {
    grid.SetColCount(3);
    grid.SetColWidth(0, 64);
    grid.SetColWidth(1, 0);
    grid.SetColWidth(2, 64);
    EXPECT_EQ(captions(), (std::vector<std::string>{"Date", "Fuel"}));
    component->SetOptions({O::ExportInvisibleCols});
    EXPECT_EQ(captions(), (std::vector<std::string>{"Date", "O2", "Fuel"}));
}

TEST_F(GridSource, CaptionOverridesCountHiddenColumns) {
    component->SetCaptions({"Datum", "Sauerstoff"});
    EXPECT_EQ(captions(), (std::vector<std::string>{"Datum", "Sauerstoff", "Fuel"}));
}

TEST_F(GridSource, ColumnWidthsAreValidated) {
    component->SetColWidths({" ", " 12 ", "", "  "});
    EXPECT_EQ(component->ColWidths(), (std::vector<std::string>{"", "12"}));
    for (const std::string bad : {"0", "-3", "abc", "1.5"}) {
        try {
            component->SetColWidths({"4", bad});
            FAIL() << bad;
        } catch (const ExportError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "ColWidths Property Error\n\n\"" + bad +
                          "\" is an Invalid Column Width. It must be a Positive Integer Number "
                          "greater than Zero.");
        }
        EXPECT_EQ(component->ColWidths(), (std::vector<std::string>{"", "12"}));
    }
}

TEST_F(GridSource, SourceChecksAndTheirMessages) {
    component->SetStringGrid(nullptr);
    try {
        component->CheckSource();
        FAIL();
    } catch (const ExportError& e) {
        EXPECT_STREQ(e.what(), "You must assign a TStringGrid before attempting to Export/Print.");
    }
    component->SetStringGrid(&grid);
    grid.SetRowCount(1);
    EXPECT_FALSE(component->CheckSource());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "There is no Data to Export.");
    EXPECT_EQ(ui.boxes[0].icon, MessageIcon::Warning);
    grid.SetRowCount(3);
    for (int c = 0; c < grid.ColCount(); ++c)
        grid.SetColWidth(c, 0);
    EXPECT_FALSE(component->CheckSource());
    EXPECT_EQ(ui.boxes.back().text, "There is no Data to Export.\n\nPlease ensure your columns "
                                    "are visible and have data.");
}

TEST_F(GridSource, ExportWithoutDataFailsAfterTheWarning) {
    grid.SetRowCount(1);
    int failed = 0;
    component->OnExportFailed = [&](TExportXComponent&) { ++failed; };
    component->ExportType = T::xText;
    EXPECT_FALSE(component->Export());
    EXPECT_FALSE(component->ExportWithDialog());
    EXPECT_EQ(failed, 2);
    EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_F(GridSource, SelectionBeyondTheGridCountsOnlyItsDataRows) {
    component->SetOptions({O::SelectedRowsOnly});
    grid.SelectionTop = 2;
    grid.SelectionBottom = 40;
    EXPECT_EQ(component->SourceRowCount(), 2);
}

class ChoiceDialog : public ExportTest {
protected:
    ChoiceDialog() : dialog(*component) {
        shell.types["htm"] = "text/html";
        shell.openCommands["text/html"] = true;
        shell.icons["text/html"] = "firefox-esr,0";
        shell.types["csv"] = "text/csv";
        shell.openCommands["text/csv"] = true;
        shell.icons["text/csv"] = "/usr/share/icons/calc.png,-2";
        shell.types["txt"] = "text/plain";
        component->AllowedTypes = allExportTypes();
        component->AllowedTypes.erase(T::xMicrosoft_Excel);
        component->FillTypeList(dialog.ExportTypeComboBox.Items);
    }
    void choose(const std::string& name) {
        auto& items = dialog.ExportTypeComboBox.Items;
        dialog.ExportTypeComboBox.ItemIndex =
            static_cast<int>(std::find(items.begin(), items.end(), name) - items.begin());
        dialog.ExportTypeComboBoxChange();
    }
    TExportChoiceForm dialog;
};

TEST_F(ChoiceDialog, CaptionAndPreselection) {
    dialog.ChosenType = T::xMicrosoft_Excel; // not allowed
    dialog.FormShow();
    EXPECT_EQ(dialog.Caption, "Export Items");
    EXPECT_EQ(dialog.ExportTypeComboBox.ItemIndex, 0);
    EXPECT_EQ(dialog.Image1.IconFile, "firefox-esr");
    EXPECT_TRUE(dialog.ViewRadioButton.Checked);
    dialog.ItemCount = 42;
    dialog.ChosenType = T::xText_Comma_Delimited;
    dialog.FormShow();
    EXPECT_EQ(dialog.Caption, "Export 42 Items");
    EXPECT_EQ(dialog.ExportTypeComboBox
                  .Items[static_cast<std::size_t>(dialog.ExportTypeComboBox.ItemIndex)],
              "Comma-Delimited Text (CSV)");
    EXPECT_EQ(dialog.Image1.IconFile, "/usr/share/icons/calc.png");
    EXPECT_EQ(dialog.Image1.IconIndex, -2);
    EXPECT_EQ(dialog.GroupBox1, "Please choose an Export Format ");
    EXPECT_EQ(dialog.OKBtn.Caption, "&Ok");
}

TEST_F(ChoiceDialog, ClipboardDisablesBothChoicesAndViews) {
    choose("Text");
    choose("Clipboard");
    EXPECT_FALSE(dialog.FileRadioButton.Enabled);
    EXPECT_FALSE(dialog.ViewRadioButton.Enabled);
    EXPECT_TRUE(dialog.ViewRadioButton.Checked);
    EXPECT_TRUE(dialog.ViewChoice);
    EXPECT_EQ(dialog.Image1.IconFile, "edit-paste");
}

TEST_F(ChoiceDialog, FormatWithoutViewerOffersTheFileOnly) {
    choose("Text");
    EXPECT_TRUE(dialog.FileRadioButton.Enabled);
    EXPECT_FALSE(dialog.ViewRadioButton.Enabled);
    EXPECT_TRUE(dialog.FileRadioButton.Checked);
    EXPECT_FALSE(dialog.ViewChoice);
    EXPECT_EQ(dialog.Image1.IconFile, "");
    choose("HTML");
    EXPECT_TRUE(dialog.ViewRadioButton.Enabled);
    EXPECT_TRUE(dialog.ViewChoice);
    dialog.FileRadioButtonClick();
    EXPECT_FALSE(dialog.ViewChoice);
    dialog.OKBtnClick();
    EXPECT_EQ(dialog.ChosenType, T::xHTML);
    EXPECT_EQ(dialog.Result, ModalResult::Ok);
}

TEST_F(ChoiceDialog, XlsxWorkbookShowsTheIconOfItsApplication) {
    const std::string sheet = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
    shell.types["xlsx"] = sheet;
    shell.openCommands[sheet] = true;
    shell.icons[sheet] = "libreoffice-calc,0";
    choose("Excel Workbook (xlsx)");
    EXPECT_TRUE(dialog.ViewRadioButton.Enabled);
    EXPECT_EQ(dialog.Image1.IconFile, "libreoffice-calc");
    dialog.OKBtnClick();
    EXPECT_EQ(dialog.ChosenType, T::xExcel_Workbook);
}

TEST_F(ChoiceDialog, DefaultIconNeedsFileCommaAndNumber) {
    for (const auto& [value, expected] : std::vector<std::pair<std::string, bool>>{
             {"app,0", true}, {"app", false}, {"app,x", false}, {"app,", false}, {",3", false}}) {
        shell.icons["text/html"] = value;
        EXPECT_EQ(defaultIconForExtension(shell, "htm").has_value(), expected) << value;
    }
    EXPECT_FALSE(defaultIconForExtension(shell, "unknown").has_value());
}

} // namespace
} // namespace ovena::test
