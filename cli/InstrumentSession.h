#pragma once

#include "cli/SettingsFlags.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalUi.h"

#include "export/EC_Main.h"
#include "link/komm.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "procedures/MainExport.h"
#include "session/Session.h"
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
    // The port whose failed open the message "Error : Init RS232 on COM" explains.
    const TSerial* port = nullptr;

    ModalResult messageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                           const std::vector<MessageButton>& buttons) override;
    ModalResult showModal(Form& form) override;
};

// The main window's table export without a window: the stored settings (read, never saved,
// changed for one run by the command line's flags), the terminal, and the table with its export
// configured as the window's.
class ExportSession {
public:
    ExportSession();

    // Applies the flags and answers the choice dialog with their format and file.
    void prepare(const TableExportFlags& flags);

    SettingsStore store;
    OutputSettings settings;
    InstrumentUi ui;
    GioShell shell;
    ExportServices services;
    StringGrid grid;
    MainExport mainExport;
};

// The instrument session on the terminal: the command exchange on real ticks, a progress bar
// on stderr when that is a terminal, the port the settings hold (or the command line gives)
// and the info box's lines on stdout.
class InstrumentTerminal : public ExportSession {
public:
    // `archiveFile` replaces the workstation's archive file for this run.
    explicit InstrumentTerminal(const std::string& archiveFile = {});

    TFormKomm komm;
    TerminalProgress progress;
    Session session;

    // Shows every command and reply of the exchange on stderr.
    void traceExchange();

private:
    int chosenPort() const;
};

} // namespace ovena::cli
