// The window's instrument procedures against tev640-sim: the readout through the choice dialog
// into a file, the info box, the generation and header check boxes, and the busy window that
// refuses a second procedure, a page change and closing while one runs.

#include "StoredSettings.h"
#include "TwoRecords.h"
#include "app/OvenaForms.h"
#include "export/EC_Choice.h"
#include "platform/LocaleSettings.h"
#include "platform/Shell.h"
#include "support/ChoiceDialog.h"
#include "support/FakeUi.h"
#include "support/PseudoPorts.h"
#include "support/SimulatedInstrument.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <memory>

namespace ovena {
namespace {

using namespace test;
using testing::Contains;
using testing::Not;

class WindowProcedures : public testing::Test {
protected:
    WindowProcedures() {
        store.load();
        store.writeString(InternationalKey, "sDecimal", ",");
        store.writeString(InternationalKey, "sList", ";");
        store.writeString(SettingsKey, "GroupBox2_Tag", std::to_string(TwoRecordsPort));
        forms = std::make_unique<OvenaForms>(ui, shell, store);
        main().Show();
    }
    TFormMain& main() { return forms->FormMain; }
    bool anyButtonEnabled() {
        TFormMain& m = main();
        return m.BtExecuteExport.Enabled || m.BtInfo.Enabled || m.RxSpeedButton1.Enabled ||
               m.btClose.Enabled || m.BtHelp.Enabled || m.SpItReaddata.Enabled ||
               m.BtKonfig.Enabled;
    }
    bool allButtonsEnabled() {
        TFormMain& m = main();
        return m.BtExecuteExport.Enabled && m.BtInfo.Enabled && m.RxSpeedButton1.Enabled &&
               m.btClose.Enabled && m.BtHelp.Enabled && m.SpItReaddata.Enabled &&
               m.BtKonfig.Enabled;
    }
    // Picks the fields of TwoRecordsCsv.
    void chooseCsvFields() {
        main().Listboxfields.Checked.fill(false);
        for (int field : {0, 1, 2, 3, 7, 18})
            main().Listboxfields.Checked[static_cast<std::size_t>(field)] = true;
        main().CBHeader.Checked = true;
        main().CBNumberRows.Checked = true;
        main().CBHeaderClick();
    }
    // Answers the choice dialog with CSV to a file, after `whileOpen` ran.
    void answerChoiceWithCsvFile(std::function<void()> whileOpen = {}) {
        ui.onShowModal = [whileOpen](Form& form) {
            auto& dialog = dynamic_cast<TExportChoiceForm&>(form);
            if (whileOpen)
                whileOpen();
            return chooseFileExport(dialog, "Comma-Delimited Text (CSV)");
        };
    }

    // No port of the machine shows up; the simulator takes COM5 over.
    PseudoPorts ports{};
    SimulatedInstrument sim{TwoRecordsPort, TwoRecordsMemory};
    FakeUi ui;
    GioShell shell;
    SettingsStore store{settingsFile()};
    std::unique_ptr<OvenaForms> forms;
};

TEST_F(WindowProcedures, ExecuteExportReadsTheInstrumentIntoTheChosenFile) {
    chooseCsvFields();
    const std::string file = sandboxFolder() + "/readout.csv";
    ui.saveDialogAnswers.push_back(file);
    answerChoiceWithCsvFile();

    main().BtExecuteExportClick();

    EXPECT_EQ(readFile(file), TwoRecordsCsv);
    EXPECT_EQ(forms->FormKomm.Port, TwoRecordsPort);
    EXPECT_EQ(main().session().Readout.InstrumentSerial, "64012345");
    EXPECT_FALSE(forms->FormMInfo.Visible);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(WindowProcedures, WhileAProcedureRunsTheButtonsAreDisabledAndDoNothing) {
    chooseCsvFields();
    ui.saveDialogAnswers.push_back(sandboxFolder() + "/readout.csv");
    bool busyDuringExport = false;
    bool disabledDuringExport = false;
    answerChoiceWithCsvFile([&] {
        busyDuringExport = main().session().Busy();
        disabledDuringExport = !anyButtonEnabled();
        main().BtInfoClick();
        main().BtExecuteExportClick();
        main().RxSpeedButton1Click();
        main().BtKonfigClick();
        main().btCloseClick();
        main().Close();
    });
    const TFormMain::TabSheet page = main().ActivePage;

    main().BtExecuteExportClick();

    EXPECT_TRUE(busyDuringExport);
    EXPECT_TRUE(disabledDuringExport);
    EXPECT_EQ(main().ActivePage, page);
    EXPECT_TRUE(main().Visible) << "the window did not close under the readout";
    const auto commands = sim.commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "SERVICE001"), 1)
        << "no second procedure started";
    EXPECT_FALSE(main().session().Busy());
    EXPECT_TRUE(allButtonsEnabled());
}

TEST_F(WindowProcedures, InfoShowsAFreshInfoBoxAndTheGenerationBoxPicksTheServiceCommand) {
    main().cbsvers.Checked = true;
    main().CBHeaderClick();
    std::vector<std::string> lines;
    Form* shown = nullptr;
    bool busyDuringInfo = false;
    ui.onShowModal = [&](Form& form) {
        auto& box = dynamic_cast<TAboutBox&>(form);
        shown = &box;
        lines = box.ListBox.Items;
        busyDuringInfo = main().session().Busy() && !anyButtonEnabled();
        box.BitBtn1Click();
        return ModalResult::Ok;
    };

    main().BtInfoClick();

    EXPECT_EQ(lines.size(), 10u);
    EXPECT_THAT(lines, Contains(testing::HasSubstr("64012345")));
    EXPECT_NE(shown, &forms->AboutBox);
    EXPECT_TRUE(busyDuringInfo);
    EXPECT_THAT(sim.commands(), Contains("SERVICE002"));
    EXPECT_THAT(sim.commands(), Not(Contains("SERVICE001")));
    EXPECT_TRUE(allButtonsEnabled());
}

TEST_F(WindowProcedures, ClearMemoryAnsweredNoSendsNothingAndFreesTheWindow) {
    ui.boxAnswers.push_back(ModalResult::No);
    main().RxSpeedButton1Click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Clear data memory in Instrument?");
    EXPECT_THAT(sim.commands(), Not(Contains(testing::StartsWith("W"))));
    EXPECT_TRUE(allButtonsEnabled());
}

TEST_F(WindowProcedures, HeaderBoxesSwitchTheExportOptionsAndAreStoredAtClose) {
    EXPECT_FALSE(main().CBDimension.Enabled);
    main().CBHeader.Checked = true;
    main().CBtimestamp.Checked = true;
    main().CBHeaderClick();
    EXPECT_TRUE(main().CBDimension.Enabled);
    const TExportOptions options = main().Export.ExportStringGrid1.Options();
    EXPECT_TRUE(options.contains(TExportOption::ShowColHeaders));
    EXPECT_TRUE(options.contains(TExportOption::TimeStamp));
    EXPECT_FALSE(options.contains(TExportOption::NumberRows));
    main().RadioGroup1.ItemIndex = 3;

    main().btCloseClick();

    const SettingsStore stored = storedSettings();
    EXPECT_EQ(stored.readString(SettingsKey, "CBHeader_Checked"), "True");
    EXPECT_EQ(stored.readString(SettingsKey, "CBtimestamp_Checked"), "True");
    EXPECT_EQ(stored.readString(SettingsKey, "RadioGroup1_ItemIndex"), "3");
    EXPECT_EQ(stored.readString(SettingsKey, "GroupBox2_Tag"), "5");
}

} // namespace
} // namespace ovena
