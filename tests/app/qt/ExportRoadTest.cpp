// The whole road in the real window: "Execute Export" reads tev640-sim, the choice dialog is
// answered with CSV to a file, the save dialog with a sandbox path, and the file holds the
// table. The window's buttons are greyed while the readout runs.

#include "../StoredSettings.h"
#include "../TwoRecords.h"
#include "QtTestSupport.h"
#include "app/OvenaForms.h"
#include "app/qt/QtUiServices.h"
#include "platform/LocaleSettings.h"
#include "platform/Shell.h"
#include "support/PseudoPorts.h"
#include "support/SimulatedInstrument.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <gmock/gmock.h>

namespace ovena {
namespace {

using namespace test;

// Runs `action` once a modal window of type W is up, skipping other modal windows.
template <class W> void whenModal(std::function<void(W*)> action) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (auto* modal = qobject_cast<W*>(QApplication::activeModalWidget());
            modal && modal->isVisible()) {
            poll->stop();
            poll->deleteLater();
            action(modal);
        }
    });
    poll->start(10);
}

class ExportRoad : public testing::Test {
protected:
    ExportRoad() {
        registerApplicationViews(ui);
        store.load();
        store.writeString(InternationalKey, "sDecimal", ",");
        store.writeString(InternationalKey, "sList", ";");
        store.writeString(SettingsKey, "GroupBox2_Tag", std::to_string(TwoRecordsPort));
        store.writeString(SettingsKey, "CBHeader_Checked", "True");
        store.writeString(SettingsKey, "CBNumberRows_Checked", "True");
        forms = std::make_unique<OvenaForms>(ui, shell, store);
    }
    ~ExportRoad() override {
        ui.releaseViews();
        forms.reset();
    }
    QWidget* window() { return ui.viewOf(forms->FormMain).widget(); }
    template <class W = QWidget> W* child(QWidget* parent, const char* name) {
        W* found = parent->findChild<W*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }

    QApplication& application = qtApplication();
    PseudoPorts ports{};
    SimulatedInstrument sim{TwoRecordsPort, TwoRecordsMemory};
    QtUiServices ui;
    GioShell shell;
    SettingsStore store{settingsFile()};
    std::unique_ptr<OvenaForms> forms;
};

TEST_F(ExportRoad, ExecuteExportWritesTheChosenCsvFile) {
    forms->FormMain.Show();
    forms->FormMain.SpItReaddataClick();
    // The field list as the user ticks it on the configuration page.
    forms->FormMain.BtKonfigClick();
    auto* fields = child<QListWidget>(window(), "Listboxfields");
    ASSERT_EQ(fields->count(), 24);
    for (int row = 0; row < fields->count(); ++row)
        fields->item(row)->setCheckState(
            row == 0 || row == 1 || row == 2 || row == 3 || row == 7 || row == 18 ? Qt::Checked
                                                                                  : Qt::Unchecked);
    child<QToolButton>(window(), "SpItReaddata")->click();

    const std::string file = sandboxFolder() + "/readout.csv";
    bool greyedDuringReadout = false;
    QStringList offered;
    whenModal<QDialog>([&](QDialog* dialog) {
        greyedDuringReadout = !child(window(), "BtInfo")->isEnabled() &&
                              !child(window(), "BtExecuteExport")->isEnabled() &&
                              !child(window(), "BtKonfig")->isEnabled() &&
                              !child(window(), "btClose")->isEnabled();
        auto* formats = child<QComboBox>(dialog, "ExportTypeComboBox");
        for (int i = 0; i < formats->count(); ++i)
            offered << formats->itemText(i);
        const int csv = formats->findText(QStringLiteral("Comma-Delimited Text (CSV)"));
        formats->setCurrentIndex(csv);
        Q_EMIT formats->activated(csv);
        child<QRadioButton>(dialog, "FileRadioButton")->click();
        whenModal<QFileDialog>([file](QFileDialog* save) {
            typeFileName(save, QString::fromStdString(file));
            static_cast<QDialog*>(save)->accept(); // QFileDialog::accept is protected
        });
        buttonWithText(dialog, QStringLiteral("&Ok"))->click();
    });

    child<QPushButton>(window(), "BtExecuteExport")->click();

    EXPECT_TRUE(greyedDuringReadout);
    EXPECT_THAT(offered, testing::Contains(QStringLiteral("Comma-Delimited Text (CSV)")));
    EXPECT_EQ(readFile(file), TwoRecordsCsv);
    EXPECT_TRUE(child(window(), "BtInfo")->isEnabled());
    EXPECT_TRUE(child(window(), "BtKonfig")->isEnabled());
}

} // namespace
} // namespace ovena
