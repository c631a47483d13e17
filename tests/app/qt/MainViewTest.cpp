#include "../StoredSettings.h"
#include "QtTestSupport.h"
#include "app/OvenaForms.h"
#include "app/qt/QtUiServices.h"
#include "platform/ConfigPaths.h"
#include "platform/Shell.h"
#include "platform/Version.h"
#include "support/FakeMachine.h"
#include "support/PseudoPorts.h"
#include "support/PtyPeer.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <gmock/gmock.h>

namespace ovena {
namespace {

using namespace test;

class MainViewTest : public testing::Test {
protected:
    MainViewTest() { registerApplicationViews(ui); }
    ~MainViewTest() override {
        ui.releaseViews();
        forms.reset();
    }

    void start(const std::string& storedPort = "") {
        if (!storedPort.empty()) {
            ASSERT_TRUE(storePort(storedPort));
        }
        store.load();
        forms = std::make_unique<OvenaForms>(ui, shell, store);
        forms->FormMain.Show();
        ui.processEvents();
    }
    QWidget* window() { return ui.viewOf(forms->FormMain).widget(); }
    template <class W = QWidget> W* child(const char* name) {
        W* found = window()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    void click(const char* name) { child<QAbstractButton>(name)->click(); }

    QApplication& application = test::qtApplication();
    QtUiServices ui;
    GioShell shell;
    SettingsStore store{settingsFile()};
    std::unique_ptr<OvenaForms> forms;
};

TEST_F(MainViewTest, TheWindowIsAFixedCentredDialogWithItsCommandBar) {
    PseudoPorts ports{};
    start();
    QWidget* main = window();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->size(), QSize(611, 380));
    EXPECT_EQ(main->minimumSize(), main->maximumSize());
    EXPECT_EQ(main->windowTitle(),
              QString::fromUtf8(std::string("Halvor Saefty TEV   .   OVENA  ") + VersionText));
    const QRect screen = main->screen()->availableGeometry();
    EXPECT_LE((main->geometry().center() - screen.center()).manhattanLength(), 4); // whole pixels

    struct Expected {
        const char* name;
        const char* text;
        const char* hint;
    };
    const Expected buttons[] = {{"btClose", "Exit", "Terminate the program"},
                                {"BtHelp", "Help text", "Call Help text"},
                                {"SpItReaddata", "TEV640", "Switch to data export functions"},
                                {"BtKonfig", "Configuration", "Switch do configuration controls"}};
    int top = -1;
    for (const Expected& expected : buttons) {
        auto* button = child<QToolButton>(expected.name);
        ASSERT_TRUE(button);
        EXPECT_EQ(button->size(), QSize(100, 60));
        EXPECT_EQ(button->text(), QString::fromLatin1(expected.text));
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(expected.hint));
        EXPECT_TRUE(button->autoRaise());
        EXPECT_GT(button->y(), top); // stacked from the top
        top = button->y();
    }
    auto* pages = child<QTabWidget>("PageControl");
    EXPECT_FALSE(pages->tabBar()->isVisible());
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabIntro");
}

TEST_F(MainViewTest, TheCommandBarSwitchesPages) {
    PseudoPorts ports{};
    start();
    auto* pages = child<QTabWidget>("PageControl");
    click("SpItReaddata");
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabTEV640");
    EXPECT_TRUE(child("BtExecuteExport")->isVisible());
    click("BtKonfig");
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabKonfig");
    EXPECT_EQ(child<QGroupBox>("GroupBox2")->title(), "Comports");
}

TEST_F(MainViewTest, PortButtonsShowThePortsPresentWithTheirDevices) {
    PseudoPorts ports{1, 3};
    start("3");
    click("BtKonfig");
    auto* group = child<QGroupBox>("GroupBox2");
    auto radios = group->findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 2);
    auto* com1 = child<QRadioButton>("RB_01");
    auto* com3 = child<QRadioButton>("RB_03");
    EXPECT_EQ(com1->text(), "COM1");
    EXPECT_EQ(com1->pos(), QPoint(16, 20));
    EXPECT_EQ(com1->toolTip().toStdString(), ports.device(1));
    EXPECT_FALSE(com1->isChecked());
    EXPECT_EQ(com3->text(), "COM3");
    EXPECT_EQ(com3->pos(), QPoint(16, 40));
    EXPECT_EQ(com3->toolTip().toStdString(), ports.device(3));
    EXPECT_TRUE(com3->isChecked());
    EXPECT_EQ(forms->FormKomm.Port, 3);

    com1->click();
    EXPECT_TRUE(com1->isChecked());
    EXPECT_FALSE(com3->isChecked());
    EXPECT_EQ(forms->FormKomm.Port, 3); // taken at the next selection
    click("SpItReaddata");
    click("BtKonfig");
    EXPECT_EQ(forms->FormKomm.Port, 1);
}

TEST_F(MainViewTest, AStoredPortThatIsGoneStaysChosenAsNotConnected) {
    PseudoPorts ports{1, 3};
    start("2");
    EXPECT_FALSE(child<QRadioButton>("RB_01")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("RB_03")->isChecked());
    auto* com2 = child<QRadioButton>("RB_02");
    EXPECT_TRUE(com2->isChecked());
    EXPECT_FALSE(com2->isEnabled());
    EXPECT_EQ(com2->toolTip(), "not connected");
    EXPECT_EQ(com2->pos(), QPoint(16, 40));
    EXPECT_EQ(forms->FormKomm.Port, 2);
    click("btClose");
    EXPECT_EQ(storedSettings().readString(SettingsKey, "GroupBox2_Tag"), "2");
}

TEST_F(MainViewTest, AnAdapterPluggedWhileThePageIsShownAppearsWithoutARestart) {
    FakeMachine machine;
    PtyPeer ftdiLine(0), acmLine(0);
    start("5");
    click("BtKonfig");
    auto* com5 = child<QRadioButton>("RB_05");
    ASSERT_FALSE(com5->isEnabled());

    machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB0", ftdiLine.device());
    machine.plug(FakeMachine::cdcAcm(), "1-3", "ttyACM0", acmLine.device());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!window()->findChild<QRadioButton*>("RB_06") &&
           std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);

    com5 = child<QRadioButton>("RB_05");
    auto* com6 = child<QRadioButton>("RB_06");
    ASSERT_TRUE(com5 && com6);
    EXPECT_TRUE(com5->isEnabled());
    EXPECT_TRUE(com5->isChecked());
    EXPECT_EQ(com5->toolTip().toStdString(), machine.node("ttyUSB0") + " (FTDI FT232R USB UART)");
    EXPECT_TRUE(com6->isEnabled());
    EXPECT_FALSE(com6->isChecked());
    EXPECT_EQ(com6->pos(), QPoint(16, 40));
    com6->click();
    click("SpItReaddata");
    click("BtKonfig");
    EXPECT_EQ(forms->FormKomm.Port, 6);
}

TEST_F(MainViewTest, ConfigurationThenExitWritesTheFieldSelection) {
    PseudoPorts ports{3};
    start("3");
    click("BtKonfig");
    click("btClose");
    EXPECT_FALSE(window()->isVisible());
    SettingsStore stored = storedSettings();
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(stored.readInteger(FieldsKey, fieldValueName(i)), 1u);
    EXPECT_EQ(stored.readString(SettingsKey, "GroupBox2_Tag"), "3");
}

TEST_F(MainViewTest, ExitWithoutConfigurationWritesNoFieldSelection) {
    PseudoPorts ports{3};
    start("3");
    click("SpItReaddata");
    click("btClose");
    EXPECT_FALSE(window()->isVisible());
    SettingsStore stored = storedSettings();
    EXPECT_FALSE(stored.read(FieldsKey, fieldValueName(0)).has_value());
    EXPECT_EQ(stored.readString(SettingsKey, "GroupBox2_Tag"), "3");
}

TEST_F(MainViewTest, TheTitleBarsCloseButtonRunsTheClosingSteps) {
    PseudoPorts ports{};
    start();
    click("BtKonfig");
    window()->close();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(forms->FormMain.ConfigVisited);
    EXPECT_TRUE(storedSettings().read(FieldsKey, fieldValueName(0)).has_value());
}

TEST_F(MainViewTest, TheHourglassIsRestoredAfterAFailingHelpDocument) {
    PseudoPorts ports{};
    start();
    forms->FormMain.ProgramDir = test::sandboxFolder() + "/";
    bool hourglassWhileShown = false;
    QString title;
    QString text;
    test::whenModalAppears([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_TRUE(box);
        hourglassWhileShown = QGuiApplication::overrideCursor() &&
                              QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        title = box->windowTitle();
        text = box->text();
        test::buttonWithText(box, "OK")->click();
    });
    click("BtHelp");
    EXPECT_TRUE(hourglassWhileShown);
    EXPECT_EQ(title, "Information");
    EXPECT_EQ(text, QString::fromUtf8("Anwendung nicht gefunden  \"Ovena Help.PDF\""));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(MainViewTest, HelpOpensTheGeneratedDocumentInTheRegisteredViewer) {
    namespace fs = std::filesystem;
    const std::string sandbox = test::sandboxFolder();
    const std::string opened = sandbox + "/opened";
    const std::string viewer = sandbox + "/viewer.sh";
    // The viewer renames its record into place, so the test never reads it half written.
    test::writeFile(viewer, "#!/bin/sh\nprintf '%s' \"$1\" > " + opened + ".part && mv " + opened +
                                ".part " + opened + "\n");
    fs::permissions(viewer, fs::perms::owner_all);
    fs::create_directories(sandbox + "/data/applications");
    test::writeFile(sandbox + "/data/applications/ovena-test-viewer.desktop",
                    "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + viewer +
                        " %f\nMimeType=application/pdf;\n");
    test::writeFile(sandbox + "/config/mimeapps.list",
                    "[Default Applications]\napplication/pdf=ovena-test-viewer.desktop\n");
    const std::string help = test::buildFolder() + "/bin/Ovena Help.pdf";
    ASSERT_EQ(test::readFile(help).substr(0, 5), "%PDF-");

    PseudoPorts ports{};
    start();
    forms->FormMain.ProgramDir = test::buildFolder() + "/bin/";
    click("BtHelp");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(opened) && std::chrono::steady_clock::now() < until)
        ui.waitForEvents(-1);
    ASSERT_TRUE(fs::exists(opened));
    EXPECT_EQ(fs::canonical(test::readFile(opened)), fs::canonical(help));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MainViewTest, ProcedureButtonsFollowTheirState) {
    PseudoPorts ports{};
    start();
    EXPECT_TRUE(child("BtExecuteExport")->isEnabled());
    EXPECT_TRUE(child("BtInfo")->isEnabled());
    EXPECT_TRUE(child("RxSpeedButton1")->isEnabled());
    forms->FormMain.BtInfo.Enabled = false;
    forms->FormMain.BtKonfig.Enabled = false;
    forms->FormMain.changed();
    EXPECT_FALSE(child("BtInfo")->isEnabled());
    EXPECT_FALSE(child("BtKonfig")->isEnabled());
}

TEST_F(MainViewTest, TheArchiveStatusShowsUnderDataExport) {
    PseudoPorts ports{};
    start();
    EXPECT_EQ(child<QLabel>("ArchiveStatus")->text(), "");
    forms->FormMain.ArchiveStatus.Caption =
        "Archive: 2 records kept, 0 of them new.\nServer not reached: Gr\xFC\xDF"
        "e";
    forms->FormMain.changed();
    EXPECT_EQ(child<QLabel>("ArchiveStatus")->text(),
              QString::fromUtf8("Archive: 2 records kept, 0 of them new.\nServer not reached: "
                                "Gr\u00FC\u00DFe"));
}

TEST_F(MainViewTest, TheConfigurationPageShowsAndChangesTheSettings) {
    PseudoPorts ports{};
    start();
    click("BtKonfig");
    TFormMain& form = forms->FormMain;
    EXPECT_EQ(child<QGroupBox>("RadioGroup1")->title(), "Date Time format");
    EXPECT_TRUE(child<QRadioButton>("RadioGroup1_0")->isChecked());
    EXPECT_EQ(child<QRadioButton>("RadioGroup1_4")->text(), "ccyy/mm/dd hh:mm");
    EXPECT_TRUE(child<QRadioButton>("RadioGroup2_1")->isChecked()) << "YY";
    EXPECT_TRUE(child<QRadioButton>("RadioGroup3_0")->isChecked()) << "Comma";
    EXPECT_EQ(child<QGroupBox>("HeaderGroup")->title(), "Header");
    EXPECT_EQ(child<QCheckBox>("cbsvers")->text(), "TEV 640 Vers 2.x, 3.x");
    click("cbsvers");
    EXPECT_TRUE(form.cbsvers.Checked) << "read by the next service command";

    auto* fields = child<QListWidget>("Listboxfields");
    ASSERT_EQ(fields->count(), 24);
    EXPECT_EQ(fields->item(4)->text(), "T - combustion air ");
    EXPECT_EQ(fields->item(4)->checkState(), Qt::Checked);
    fields->item(5)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(form.Listboxfields.Checked[5]);

    click("RadioGroup2_0");
    EXPECT_EQ(form.RadioGroup2.ItemIndex, 0);

    EXPECT_FALSE(child<QCheckBox>("CBDimension")->isEnabled());
    click("CBHeader");
    EXPECT_TRUE(form.CBHeader.Checked);
    EXPECT_TRUE(child<QCheckBox>("CBDimension")->isEnabled());
    click("CBDimension");
    click("CBHeader");
    EXPECT_FALSE(child<QCheckBox>("CBDimension")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>("CBDimension")->isChecked()) << "greyed, the tick mark stays";

    // Leaving the page saves the field selection.
    click("SpItReaddata");
    EXPECT_EQ(storedSettings().readInteger(FieldsKey, fieldValueName(5)), 0u);
}

} // namespace
} // namespace ovena
