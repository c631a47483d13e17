#include "app/OvenaForms.h"
#include "app/ProgramFile.h"
#include "app/mstart.h"
#include "app/qt/ApplicationViews.h"
#include "app/qt/QtUiServices.h"
#include "app/qt/TestHooks.h"
#include "platform/ConfigPaths.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"

#include <QApplication>
#include <iostream>

int main(int argc, char** argv) {
    using namespace ovena;
    QApplication application(argc, argv);
    installFontSubstitutes();
    QtUiServices ui;

    const SingleInstanceGuard guard(programFilePath());
    if (!guard.Admit(ui))
        return 0;
    ui.setApplicationTitle("TEV OVENA");

    SettingsStore store(settingsFile());
    std::string warning;
    store.load(&warning);
    if (!warning.empty())
        std::cerr << "ovena: " << warning << '\n';
    GioShell shell;
    registerApplicationViews(ui);

    int status = 0;
    {
        OvenaForms forms(ui, shell, store);
        forms.FormMain.Show();
        startScreenshotRun(forms, ui);
        status = QApplication::exec();
        ui.releaseViews();
    }
    return status;
}
