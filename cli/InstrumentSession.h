#pragma once

#include "cli/SettingsFlags.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalUi.h"

#include "archive/Workstation.h"
#include "export/EC_Main.h"
#include "link/komm.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "procedures/InstrumentData.h"
#include "procedures/MainExport.h"
#include "procedures/Procedures.h"
#include "procedures/ReadoutSink.h"
#include "table/OutputSettings.h"

#include <optional>
#include <span>
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

// The settings store the window saves, read (a warning for lines it cannot read goes to stderr).
SettingsStore loadSettingsStore();

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

// Keeps the records of a readout in the workstation's archive as the readout reads them.
class ArchiveSink : public ReadoutSink {
public:
    ArchiveSink(std::string archiveFile, const SettingsStore& store, const TFormKomm& komm);

    void ReadoutStarted() override;
    void RecordRead(std::span<const std::string> lines) override;
    std::string ReadoutEnded(const InstrumentData& data, ReadoutEnd end) override;

    const std::string& file() const { return file_; }
    // The readout kept, once it is.
    std::optional<archive::StoredReadout> stored;

private:
    std::string file_;
    const TFormKomm& komm_;
    archive::ReadoutRecorder recorder_;
};

// What the main window holds for its procedures, without a window: the command exchange, the
// readout data and the archive the readout's records go to.
class InstrumentSession : public ExportSession {
public:
    // `archiveFile` replaces the workstation's archive file for this run.
    explicit InstrumentSession(const std::string& archiveFile = {});

    TFormKomm komm;
    TerminalProgress progress;
    InstrumentData data;
    ArchiveSink archive;
    ProcedureHost host;

    // The outcome of the export that ends a readout; none when no table was built.
    std::optional<bool> exported;

    // Shows every command and reply of the exchange on stderr.
    void traceExchange();

private:
    void selectPort();
};

} // namespace ovena::cli
