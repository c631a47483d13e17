// The window program as scripts and tests drive it; built for them only and never installed.
// Two switches in the environment:
//   OVENA_BOX_LOG=FILE          every message box appends "caption|text" (UTF-8) to FILE and
//                               answers its default button by itself once it is shown;
//   OVENA_SCREENSHOTS=FOLDER    after start the program shows each page and its dialogs,
//                               writes them as PNG files into FOLDER, and ends.

#include "app/OvenaForms.h"
#include "app/qt/Program.h"
#include "app/qt/QtUiServices.h"
#include "export/EC_Choice.h"
#include "platform/Version.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

namespace ovena {
namespace {

void answerBoxes(QtUiServices& ui, const QString& logPath) {
    ui.setMessageBoxObserver([logPath](QMessageBox& box) {
        QFile log(logPath);
        if (log.open(QIODevice::Append | QIODevice::Text))
            QTextStream(&log) << box.windowTitle() << '|' << box.text() << '\n';
        QTimer::singleShot(0, &box, [&box] { box.defaultButton()->click(); });
    });
}

void saveWindow(QtUiServices& ui, Form& form, const QString& file) {
    ui.processEvents();
    ui.viewOf(form).widget()->grab().save(file);
}

void takeScreenshots(OvenaForms& forms, QtUiServices& ui, const QString& folder) {
    QDir().mkpath(folder);
    TFormMain& main = forms.FormMain;
    saveWindow(ui, main, folder + QStringLiteral("/main-intro.png"));
    main.SpItReaddataClick();
    saveWindow(ui, main, folder + QStringLiteral("/main-tev640.png"));
    main.BtKonfigClick();
    saveWindow(ui, main, folder + QStringLiteral("/main-configuration.png"));

    TFormMInfo& progress = forms.FormMInfo;
    progress.StartProgress("Read TEV 640 Database", true);
    progress.ShowStatus("Open TEV 640");
    saveWindow(ui, progress, folder + QStringLiteral("/progress.png"));
    progress.Close();

    // The info box with the program's own lines; the instrument's come from a real readout.
    TAboutBox& about = forms.AboutBox;
    about.SetInfo({"--------------------------------",
                   std::string("OVENA    Version : ") + VersionText,
                   "--------------------------------", "Halvor Safety TEV GmbH"},
                  "Ovena");
    about.FormShow();
    ui.showForm(about);
    saveWindow(ui, about, folder + QStringLiteral("/info-box.png"));
    ui.hideForm(about);

    // The choice dialog as the export shows it after a readout of 20 measurements; it is modal,
    // so it is taken once it is up and then cancelled.
    TExportStringGrid& component = main.Export.ExportStringGrid1;
    TExportChoiceForm choice(component);
    choice.ItemCount = 20;
    choice.ChosenType = component.LastChosenType;
    component.FillTypeList(choice.ExportTypeComboBox.Items);
    choice.FormShow();
    QTimer::singleShot(300, qApp, [folder] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->grab().save(folder + QStringLiteral("/export-choice.png"));
            dialog->close();
        }
    });
    ui.showModal(choice);
    QCoreApplication::quit();
}

} // namespace
} // namespace ovena

int main(int argc, char** argv) {
    using namespace ovena;
    ProgramAdditions additions;
    additions.servicesMade = [](QtUiServices& ui) {
        if (const QString log = qEnvironmentVariable("OVENA_BOX_LOG"); !log.isEmpty())
            answerBoxes(ui, log);
    };
    additions.windowShown = [](OvenaForms& forms, QtUiServices& ui) {
        const QString folder = qEnvironmentVariable("OVENA_SCREENSHOTS");
        if (!folder.isEmpty())
            QTimer::singleShot(300, qApp,
                               [&forms, &ui, folder] { takeScreenshots(forms, ui, folder); });
    };
    return runProgram(argc, argv, additions);
}
