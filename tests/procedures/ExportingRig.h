#pragma once

#include "ProcedureRig.h"
#include "support/FakeShell.h"
#include "support/TestEnvironment.h"

#include "platform/LocaleSettings.h"
#include "platform/SettingsStore.h"
#include "procedures/MainExport.h"
#include "table/OutputSettings.h"

#include <string>
#include <vector>

namespace ovena::test {

// A procedure rig whose table step is the main window's export, as in the program: the export
// component and its services over the rig's fake user interface.
class ExportingRig {
public:
    explicit ExportingRig(const LocaleSettings& locale = LocaleSettings{});

    // Answers every choice dialog with this format and "Export to File", noting the formats
    // offered and the one preselected.
    void chooseFile(const std::string& displayName);

    ProcedureRig rig;
    FakeShell shell;
    SettingsStore store{sandboxFolder() + "/registry.reg"};
    ExportServices services;
    Form mainWindow;
    StringGrid grid;
    MainExport mainExport{services, &mainWindow, grid};
    OutputSettings settings;
    std::vector<std::string> offered;
    std::string preselected;
};

} // namespace ovena::test
