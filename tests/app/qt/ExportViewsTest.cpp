// The export's own windows in Qt: the choice dialog and the progress window.

#include "QtTestSupport.h"
#include "app/qt/QtUiServices.h"
#include "export/EC_Choice.h"
#include "export/EC_SGrid.h"
#include "export/XProgress.h"
#include "platform/LocaleSettings.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <gmock/gmock.h>

namespace ovena {
namespace {

using namespace test;

class ExportViews : public testing::Test {
protected:
    ExportViews() {
        registerApplicationViews(ui);
        FillTypeList();
    }
    ~ExportViews() override { ui.releaseViews(); }
    void FillTypeList() {
        component.FillTypeList(dialog.ExportTypeComboBox.Items);
        dialog.ItemCount = 3;
        dialog.ChosenType = TExportType::xText;
        dialog.FormShow();
    }
    template <class W> W* child(QWidget* window, const char* name) {
        W* found = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }

    QApplication& application = qtApplication();
    QtUiServices ui;
    GioShell shell;
    SettingsStore store{sandboxFolder() + "/registry.reg"};
    ExportServices services{ui, shell, store, LocaleSettings{}};
    StringGrid grid;
    TExportStringGrid component{services, nullptr, &grid};
    TExportChoiceForm dialog{component};
};

TEST_F(ExportViews, ChoosingTheClipboardGreysBothChoicesAndOkConfirmsIt) {
    QSize size;
    QString title;
    QString preselected;
    bool viewEnabled = true, fileEnabled = true, viewChecked = false;
    whenModalAppears([&](QWidget* window) {
        size = window->size();
        title = window->windowTitle();
        auto* formats = child<QComboBox>(window, "ExportTypeComboBox");
        preselected = formats->currentText();
        const int clipboard = formats->findText(QStringLiteral("Clipboard"));
        ASSERT_GE(clipboard, 0);
        formats->setCurrentIndex(clipboard);
        Q_EMIT formats->activated(clipboard);
        viewEnabled = child<QRadioButton>(window, "ViewRadioButton")->isEnabled();
        fileEnabled = child<QRadioButton>(window, "FileRadioButton")->isEnabled();
        viewChecked = child<QRadioButton>(window, "ViewRadioButton")->isChecked();
        buttonWithText(window, QStringLiteral("&Ok"))->click();
    });

    EXPECT_EQ(ui.showModal(dialog), ModalResult::Ok);
    EXPECT_EQ(size, QSize(400, 125));
    EXPECT_EQ(title, "Export 3 Items");
    EXPECT_EQ(preselected, QString::fromStdString(DisplayName(TExportType::xText)));
    EXPECT_FALSE(viewEnabled);
    EXPECT_FALSE(fileEnabled);
    EXPECT_TRUE(viewChecked);
    EXPECT_EQ(dialog.ChosenType, TExportType::xClipboard);
    EXPECT_TRUE(dialog.ViewChoice);
}

TEST_F(ExportViews, EscCancelsTheChoice) {
    whenModalAppears([](QWidget* window) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window, &escape);
    });
    EXPECT_EQ(ui.showModal(dialog), ModalResult::Cancel);
    EXPECT_EQ(dialog.Result, ModalResult::Cancel);
}

TEST_F(ExportViews, TheProgressWindowAdvancesAndEscCancelsTheExport) {
    TProgressForm progress(ui, "Exporting...", "", "%d Items Exported in %.2f Seconds.", 50);
    progress.Show();
    QWidget* window = ui.viewOf(progress).widget();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(263, 32));
    EXPECT_EQ(window->windowTitle(), "Exporting...");
    auto* bar = child<QProgressBar>(window, "ProgressBar");
    EXPECT_EQ(bar->maximum(), 16); // 50 items in steps of 3
    EXPECT_TRUE(progress.Update(3));
    EXPECT_EQ(bar->value(), 1);

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window, &escape);
    EXPECT_TRUE(progress.Cancelled());
    EXPECT_FALSE(progress.Visible);
    EXPECT_FALSE(progress.Update(6));
}

TEST_F(ExportViews, TheCountingPanelShowsTheMessage) {
    auto progress = std::make_unique<TProgressForm>(ui, "Exporting...", "", "%d Items", -1);
    progress->Show();
    QWidget* window = ui.viewOf(*progress).widget();
    EXPECT_FALSE(child<QProgressBar>(window, "ProgressBar")->isVisible());
    progress->Update(1);
    EXPECT_EQ(child<QLabel>(window, "ExportPanel")->text(), "1 Items");
    progress.reset(); // the form goes while its view waits for the event loop
    ui.processEvents();
}

} // namespace
} // namespace ovena
