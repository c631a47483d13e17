#pragma once

#include "cli/TerminalProgress.h"
#include "cli/TerminalUi.h"

#include "export/EC_Main.h"
#include "link/komm.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "procedures/InstrumentData.h"
#include "procedures/MainExport.h"
#include "procedures/Procedures.h"
#include "table/OutputSettings.h"

#include <optional>
#include <string>

namespace ovena::cli {

// The terminal as the instrument commands meet it: the export choice dialog is answered with
// the format given on the command line (to a file, or viewed for the clipboard), and the
// confirmation is asked on the terminal unless the command line already answered it.
class InstrumentUi : public TerminalUi {
public:
    std::optional<TExportType> chosenType; // answers the choice dialog; none cancels it
    bool assumeYes = false;                // answers every confirmation with "&Ja"
    bool declined = false;                 // a confirmation was answered with "&Nein"

    ModalResult messageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                           const std::vector<MessageButton>& buttons) override;
    ModalResult showModal(Form& form) override;
};

// What the main window holds for its procedures, without a window: the stored settings (read,
// never saved), the command exchange, the readout data, the table and its export configured as
// the window's.
class InstrumentSession {
public:
    InstrumentSession();

    SettingsStore store;
    OutputSettings settings;
    InstrumentUi ui;
    GioShell shell;
    ExportServices services;
    TFormKomm komm;
    TerminalProgress progress;
    InstrumentData data;
    StringGrid grid;
    MainExport mainExport;
    ProcedureHost host;

    // The outcome of the export that ends a readout; none when no table was built.
    std::optional<bool> exported;

private:
    void selectPort();
};

} // namespace ovena::cli
