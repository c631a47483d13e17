#include "StoredSettings.h"
#include "app/OvenaForms.h"
#include "platform/ConfigPaths.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Version.h"
#include "support/FakeUi.h"
#include "support/PseudoPorts.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <memory>
#include <stdexcept>

namespace ovena {
namespace {

using test::FakeUi;
using namespace test;
using testing::ElementsAre;

class MainWindow : public testing::Test {
protected:
    void storePort(const std::string& tag) { ASSERT_TRUE(test::storePort(tag)); }
    void start() {
        store.load();
        forms = std::make_unique<OvenaForms>(ui, shell, store);
        forms->FormMain.Show();
    }
    TFormMain& main() { return forms->FormMain; }
    int komPort() { return forms->FormKomm.Port; }

    FakeUi ui;
    GioShell shell;
    SettingsStore store{settingsFile()};
    std::unique_ptr<OvenaForms> forms;
};

TEST_F(MainWindow, OffersEachPresentPortAndSelectsTheStoredOne) {
    PseudoPorts ports{1, 3};
    storePort("3");
    start();

    ASSERT_EQ(main().PortButtons.size(), 2u);
    const RadioButton& com1 = main().PortButtons[0];
    const RadioButton& com3 = main().PortButtons[1];
    EXPECT_EQ(com1.Name, "RB_01");
    EXPECT_EQ(com1.Caption, "COM1");
    EXPECT_EQ(com1.Top, 20);
    EXPECT_EQ(com1.Left, 16);
    EXPECT_EQ(com1.Tag, 1);
    EXPECT_FALSE(com1.Checked);
    EXPECT_EQ(com1.Hint, ports.device(1));
    EXPECT_EQ(com3.Name, "RB_03");
    EXPECT_EQ(com3.Caption, "COM3");
    EXPECT_EQ(com3.Top, 40);
    EXPECT_EQ(com3.Tag, 3);
    EXPECT_TRUE(com3.Checked);
    EXPECT_EQ(com3.Hint, ports.device(3));
    EXPECT_EQ(komPort(), 3);
    EXPECT_EQ(main().Caption, std::string("Halvor Saefty TEV   .   OVENA  ") + VersionText);
}

TEST_F(MainWindow, WithoutPortsTheStoredPortStaysChosenAsNotConnected) {
    PseudoPorts ports{};
    storePort("5");
    start();

    ASSERT_EQ(main().PortButtons.size(), 1u);
    const RadioButton& com5 = main().PortButtons[0];
    EXPECT_EQ(com5.Name, "RB_05");
    EXPECT_EQ(com5.Caption, "COM5");
    EXPECT_EQ(com5.Top, 20);
    EXPECT_TRUE(com5.Checked);
    EXPECT_FALSE(com5.Enabled);
    EXPECT_EQ(com5.Hint, "not connected");
    EXPECT_EQ(main().GroupBox2.Tag, 5);
    EXPECT_EQ(komPort(), 5);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MainWindow, WithoutPortsAndNoStoredOneTheGroupStaysEmpty) {
    PseudoPorts ports{};
    start();
    EXPECT_TRUE(main().PortButtons.empty());
    EXPECT_EQ(main().GroupBox2.Tag, 0);
    EXPECT_EQ(komPort(), 1);
}

TEST_F(MainWindow, AStoredTagThatIsNoNumberLeavesTheDefault) {
    PseudoPorts ports{1};
    storePort("3x");
    start();
    EXPECT_EQ(main().GroupBox2.Tag, 1); // no button selected: the walk sets 1
    EXPECT_FALSE(main().PortButtons[0].Checked);
}

TEST_F(MainWindow, APortNumberOutsideTheRangeIsRefused) {
    PseudoPorts ports{3};
    storePort("3");
    start();
    ASSERT_EQ(komPort(), 3);

    main().PortButtons[0].Tag = 100;
    main().SelectPort();

    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Fehler");
    EXPECT_EQ(ui.boxes[0].text, "Comport not available");
    EXPECT_EQ(komPort(), 3);
}

TEST_F(MainWindow, ConfigurationThenExitWritesTheFieldSelectionOnce) {
    PseudoPorts ports{};
    start();
    main().BtKonfigClick();
    main().Listboxfields.Checked[5] = false;
    EXPECT_FALSE(storedSettings().keyExists(FieldsKey));

    main().btCloseClick();

    EXPECT_FALSE(main().ConfigVisited); // so closing the window does not write it again
    SettingsStore stored = storedSettings();
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(stored.readInteger(FieldsKey, fieldValueName(i)), i == 5 ? 0u : 1u) << i;
    EXPECT_EQ(ui.events.back(), std::string("hide Halvor Saefty TEV   .   OVENA  ") + VersionText);
}

TEST_F(MainWindow, ExitWithoutConfigurationWritesNoFieldSelection) {
    PseudoPorts ports{};
    start();
    main().SpItReaddataClick();
    main().btCloseClick();

    SettingsStore stored = storedSettings();
    EXPECT_FALSE(stored.read(FieldsKey, fieldValueName(0)).has_value());
    EXPECT_EQ(stored.readString(SettingsKey, "GroupBox2_Tag"), "0");
}

TEST_F(MainWindow, LeavingTheConfigurationByTev640OrHelpSavesTheSelection) {
    PseudoPorts ports{};
    start();
    main().BtKonfigClick();
    main().Listboxfields.Checked[0] = false;
    main().SpItReaddataClick();
    EXPECT_EQ(storedSettings().readInteger(FieldsKey, fieldValueName(0)), 0u);

    main().BtKonfigClick();
    main().Listboxfields.Checked[0] = true;
    main().BtHelpClick();
    EXPECT_EQ(storedSettings().readInteger(FieldsKey, fieldValueName(0)), 1u);
    EXPECT_FALSE(main().ConfigVisited);
}

TEST_F(MainWindow, LoadsTheFieldSelectionAndIgnoresValuesThatAreNoIntegers) {
    PseudoPorts ports{};
    {
        SettingsStore seeded(settingsFile());
        seeded.writeInteger(FieldsKey, fieldValueName(3), 0);
        seeded.writeString(FieldsKey, fieldValueName(4), "0");
        seeded.writeInteger(FieldsKey, fieldValueName(23), 7);
        ASSERT_TRUE(seeded.save());
    }
    start();
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(main().Listboxfields.Checked[static_cast<std::size_t>(i)], i != 3) << i;
}

TEST_F(MainWindow, AFailingHelpDocumentIsReportedAndTheCursorRestored) {
    PseudoPorts ports{};
    start();
    main().ProgramDir = test::sandboxFolder() + "/";

    main().BtHelpClick();

    EXPECT_EQ(ui.cursors, (std::vector{CursorShape::Hourglass, CursorShape::Default}));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Information");
    EXPECT_EQ(ui.boxes[0].text, "Anwendung nicht gefunden  \"Ovena Help.PDF\"");
}

TEST_F(MainWindow, TheCursorIsRestoredWhenOpeningTheHelpThrows) {
    struct BrokenShell : GioShell {
        int openDocument(const std::string&) override { throw std::runtime_error("broken"); }
    } broken;
    PseudoPorts ports{};
    OvenaForms brokenForms(ui, broken, store);
    EXPECT_THROW(brokenForms.FormMain.OpenHelp(), std::runtime_error);
    EXPECT_EQ(ui.cursor(), CursorShape::Default);
}

TEST_F(MainWindow, TheProgramFolderEndsWithASeparator) {
    PseudoPorts ports{};
    start();
    ASSERT_FALSE(main().ProgramDir.empty());
    EXPECT_EQ(main().ProgramDir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(main().ProgramDir + "app_tests"));
}

} // namespace
} // namespace ovena
