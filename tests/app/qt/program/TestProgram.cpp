// The window program as scripts and tests drive it; built for them only and never installed.
// Two switches in the environment:
//   OVENA_BOX_LOG=FILE          every message box appends "caption|text" (UTF-8) to FILE and
//                               answers its default button by itself once it is shown;
//   OVENA_SCREENSHOTS=FOLDER    after start the program shows each page and its dialogs,
//                               and the archive window filled with a plant's services, writes
//                               them as PNG files into FOLDER, and ends.

#include "app/OvenaForms.h"
#include "app/qt/Program.h"
#include "app/qt/QtUiServices.h"
#include "archive/Workstation.h"
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
#include <cstdio>

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

// Six yearly services of one plant, each a measurement after three tests, and one visit of
// another plant, as two readouts of one instrument keep them.
void fillArchive() {
    archive::Archive store = archive::Archive::openFile(archive::defaultArchiveFile(), true);
    const auto line = [](int type, int year, int fuel, double o2, int co, double qa) {
        char text[160];
        // Values 3 to 21: air, flue-gas and boiler temperature, O2, CO, NO, pressure, lambda,
        // CO2, CO at 0% O2, Qa, seven zeros, NOx.
        std::snprintf(
            text, sizeof text,
            "%d;%02d11151000;%d;19.5;%.1f;55.0;%.1f;%d;%d;1005.0;1.3;%.1f;0;%.1f;0;0;0;0;0;"
            "0;0;%d",
            type, year, fuel, 120.0 + 8 * o2, o2, co, co / 2, 21 - 1.2 * o2, qa, co / 2 + 3);
        return std::string(text);
    };
    std::vector<archive::RecordLines> first, second;
    for (int year = 19; year <= 24; ++year) {
        const double o2 = 6.5 - 0.5 * (year - 19);
        const int co = 60 - 6 * (year - 19);
        const double qa = 9.0 - 0.6 * (year - 19);
        archive::RecordLines record{"1;4711"};
        for (int test = 0; test < 3; ++test)
            record.push_back(
                line(21 + test, year, 1, o2 + 0.2 * test, co + 3 * test, qa + 0.1 * test));
        record.push_back("12;0;0;0;-0.1" + std::to_string(year % 10));
        record.push_back(line(2, year, 1, o2, co, qa));
        (year < 23 ? first : second).push_back(record);
    }
    first.push_back({"1;5230", line(2, 21, 2, 4.2, 18, 6.8)});
    archive::ReadoutInfo readout{
        "2023-01-10T09:00:00Z",      "service-van", "technician", "COM1", "64012345",
        {"Heiz\xF6l EL", "Erdgas H"}};
    store.store(readout, first);
    readout.startedAt = "2024-11-15T11:00:00Z";
    store.store(readout, second);
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

    // The archive window with the chart of a plant's yearly services.
    fillArchive();
    main.BtArchiveClick();
    TFormArchive& archiveWindow = forms.FormArchive;
    archiveWindow.WindowWidth = 900;
    archiveWindow.WindowHeight = 640;
    ui.viewOf(archiveWindow).widget()->resize(900, 640);
    archiveWindow.CustomerFilter = "4711";
    archiveWindow.FilterChanged();
    archiveWindow.ChooseRow(0);
    saveWindow(ui, archiveWindow, folder + QStringLiteral("/archive-chart.png"));
    archiveWindow.Close();

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
