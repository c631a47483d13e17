#include "Program.h"

#include "app/OvenaForms.h"
#include "app/ProgramFile.h"
#include "app/mstart.h"
#include "app/qt/ApplicationViews.h"
#include "app/qt/QtUiServices.h"
#include "platform/Shell.h"
#include "session/Settings.h"

#include <QApplication>

namespace ovena {

int runProgram(int argc, char** argv, const ProgramAdditions& additions) {
    QApplication application(argc, argv);
    installFontSubstitutes();
    QtUiServices ui;
    if (additions.servicesMade)
        additions.servicesMade(ui);

    const SingleInstanceGuard guard(programFilePath());
    if (!guard.Admit(ui))
        return 0;
    ui.setApplicationTitle("TEV OVENA");

    SettingsStore store = loadSettings("ovena");
    GioShell shell;
    registerApplicationViews(ui);

    int status = 0;
    {
        OvenaForms forms(ui, shell, store);
        forms.FormMain.Show();
        if (additions.windowShown)
            additions.windowShown(forms, ui);
        status = QApplication::exec();
        ui.releaseViews();
    }
    return status;
}

} // namespace ovena
