#include "table/OutputSettings.h"

#include "export/EC_SGrid.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "support/FakeUi.h"
#include "table/FieldCatalogue.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace ovena;

TEST(FieldCatalogue, EveryMeasurementValueButTheTwentiethFeedsOneField) {
    std::map<int, int> uses;
    for (int field = FieldDateTime; field < FieldDraft; ++field)
        if (field != FieldEfficiency)
            ++uses[FieldTokenMap[static_cast<std::size_t>(field)]];
    for (int value = 1; value <= 21; ++value)
        EXPECT_EQ(uses[value], value == 20 ? 0 : 1) << "value " << value;
    // The efficiency is computed from Qa.
    EXPECT_EQ(FieldTokenMap[FieldEfficiency], FieldTokenMap[17]);
    EXPECT_EQ(FieldHeadings[17], "Qa");
}

TEST(OutputSettings, FirstStartDefaults) {
    const OutputSettings s;
    EXPECT_EQ(s.RadioGroup1.Caption, "Date Time format");
    EXPECT_EQ(
        s.RadioGroup1.Items,
        (std::vector<std::string>{"dd.mm.ccyy   hh:mm", "mm.dd.ccyy   hh:mm", "ccyy.mm.dd   hh:mm",
                                  "ccyy-mm-dd   hh:mm", "ccyy/mm/dd hh:mm"}));
    EXPECT_EQ(s.RadioGroup1.ItemIndex, 0);
    EXPECT_EQ(s.RadioGroup2.Caption, "Year format");
    EXPECT_EQ(s.RadioGroup2.Items, (std::vector<std::string>{"CCYY", "YY"}));
    EXPECT_EQ(s.RadioGroup2.ItemIndex, 1);
    EXPECT_EQ(s.RadioGroup3.Caption, "Decimal delimiter");
    EXPECT_EQ(s.RadioGroup3.Items, (std::vector<std::string>{"Comma", "Point"}));
    EXPECT_EQ(s.RadioGroup3.ItemIndex, 0);
    for (int i = 0; i < FieldCount; ++i) {
        EXPECT_EQ(s.Listboxfields.Items[static_cast<std::size_t>(i)],
                  FieldListTexts[static_cast<std::size_t>(i)]);
        EXPECT_TRUE(s.Listboxfields.Checked[static_cast<std::size_t>(i)]) << "field " << i;
    }
    EXPECT_EQ(s.Listboxfields.Items[4], "T - combustion air ");
    const std::vector<std::pair<const CheckBox*, std::string>> boxes = {
        {&s.CBHeader, "Insert Headline"},
        {&s.CBDimension, "Insert units"},
        {&s.CBtimestamp, "Time Stamp"},
        {&s.CBNumberRows, "Number Rows"},
        {&s.cbsvers, "TEV 640 Vers 2.x, 3.x"}};
    for (const auto& [box, caption] : boxes) {
        EXPECT_EQ(box->Caption, caption);
        EXPECT_FALSE(box->Checked) << caption;
    }
    EXPECT_FALSE(s.CBDimension.Enabled) << "greyed while Insert Headline is off";
    EXPECT_EQ(s.GroupBox2.Caption, "Comports");
    EXPECT_EQ(s.GroupBox2.Tag, 0);
}

// A desktop without file associations: enough for an export component that never exports.
class NoShell : public Shell {
public:
    std::optional<std::string> fileTypeForExtension(const std::string&) override { return {}; }
    bool hasOpenCommand(const std::string&) override { return false; }
    std::optional<std::string> defaultIcon(const std::string&) override { return {}; }
    int openDocument(const std::string&) override { return 31; }
};

TEST(ApplyExportOptions, HeaderBoxesSwitchTheirOptionsAndGreyInsertUnits) {
    test::FakeUi ui;
    NoShell shell;
    SettingsStore store;
    ExportServices services{ui, shell, store, LocaleSettings{}};
    TExportStringGrid exporter(services, nullptr);
    const TExportOptions configured{TExportOption::DetailedMode,   TExportOption::NumberRows,
                                    TExportOption::ShowColHeaders, TExportOption::ShowClipboardMsg,
                                    TExportOption::ShowProgress,   TExportOption::TimeStamp};
    exporter.SetOptions(configured);

    OutputSettings s;
    s.CBDimension.Checked = true;
    ApplyExportOptions(s, exporter);
    EXPECT_EQ(exporter.Options(),
              (TExportOptions{TExportOption::DetailedMode, TExportOption::ShowClipboardMsg,
                              TExportOption::ShowProgress}));
    EXPECT_FALSE(s.CBDimension.Enabled);
    EXPECT_TRUE(s.CBDimension.Checked) << "greying keeps the tick mark";

    s.CBHeader.Checked = true;
    ApplyExportOptions(s, exporter);
    EXPECT_TRUE(exporter.has(TExportOption::ShowColHeaders));
    EXPECT_FALSE(exporter.has(TExportOption::TimeStamp));
    EXPECT_TRUE(s.CBDimension.Enabled);

    s.CBHeader.Checked = false;
    s.CBtimestamp.Checked = true;
    ApplyExportOptions(s, exporter);
    EXPECT_FALSE(exporter.has(TExportOption::ShowColHeaders));
    EXPECT_TRUE(exporter.has(TExportOption::TimeStamp));
    EXPECT_FALSE(exporter.has(TExportOption::NumberRows));

    s.CBHeader.Checked = true;
    s.CBNumberRows.Checked = true;
    ApplyExportOptions(s, exporter);
    EXPECT_EQ(exporter.Options(), configured);
}

} // namespace
