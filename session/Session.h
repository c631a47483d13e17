#pragma once

#include "archive/Archive.h"
#include "archive/Sync.h"
#include "archive/Workstation.h"
#include "procedures/InstrumentData.h"
#include "procedures/Procedures.h"
#include "procedures/ReadoutSink.h"
#include "session/Listeners.h"
#include "session/ServerSync.h"
#include "table/TableBuilder.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ovena {

class MainExport;
class OutputSettings;
class ProgressDialog;
class SettingsStore;
class TFormKomm;
class UiServices;

// What a front end adds to the session: how the user chose the port and sees the info box.
struct SessionFrontEnd {
    // The number n of the port COMn chosen.
    std::function<int()> Port;
    // Shows the info box's lines (the last line on top) modally; returns when it is closed.
    std::function<void(const std::vector<std::string>& lines, const std::string& caption)>
        ShowInfoBox;
};

// How a front end runs the session.
struct SessionOptions {
    // The archive the readouts go to; empty: the workstation's (archive::defaultArchiveFile).
    std::string ArchiveFile;
    // Each readout ends by starting a sync when the settings name a server (the window's policy;
    // ovena-cli syncs on demand).
    bool SyncAfterReadout = false;
};

// The instrument session the window and ovena-cli share: the three procedures run one at a time
// with the workstation's archive behind them, the export that ends a readout, the sync with the
// company's server in the background, and the events the front ends follow. The front end keeps the
// settings, the command exchange, the progress dialog and the export.
class Session : private ReadoutSink {
public:
    // Keeps references only; the settings are read as each procedure runs.
    Session(UiServices& ui, const SettingsStore& store, OutputSettings& settings, TFormKomm& komm,
            ProgressDialog& progress, MainExport& exporter, SessionFrontEnd frontEnd,
            SessionOptions options = {});
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Marks the session busy while it lives (nested scopes allowed): a procedure, a sync or
    // anything that must not run beside them.
    class BusyScope {
    public:
        explicit BusyScope(Session& session);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        Session& session_;
    };

    // What the last readout collected.
    InstrumentData Readout;

    // The procedures, each with the session busy; while busy they do nothing. A readout clears
    // the export's table first, keeps its records in the archive, builds and exports the table,
    // then starts a sync as the options say; exceptions of the export reach the caller.
    void ReadInstrument();
    void ShowInstrumentInfo();
    void ClearInstrumentMemory();
    // Starts sending the server the settings name what the archive holds and it lacks (see
    // ServerSync: in the background, the session not busy, one sync at a time); does nothing
    // while busy or without a server. How it goes is in ServerStatus, told by OnServerChanged.
    void SyncWithServer();
    // Exports archived records through the readout's export and its choice dialog; answers
    // whether the export succeeded.
    bool ExportRecords(std::span<const TableRecord> records);
    // The front end changed the settings the table is built from: tells OnSettingsChanged.
    void SettingsChanged();

    bool Busy() const { return busy_ > 0; }
    OutputSettings& Settings() const { return settings_; }
    archive::ArchiveSettings ArchiveSettings() const;
    const std::string& ArchiveFile() const { return archiveFile_; }
    // The session's archive, created when missing; throws archive::ArchiveError.
    archive::Archive OpenArchive() const;

    // What the last readout did to the archive (Windows-1252, one line, empty when nothing was
    // done): "Archive: 2 records kept, 1 of them new.".
    std::string ArchiveStatus;
    // What the sync does or did (ServerSync::Status); a readout clears it unless a sync runs.
    const std::string& ServerStatus() const { return sync_.Status; }
    ServerSync& Sync() { return sync_; }
    const ServerSync& Sync() const { return sync_; }
    // The readout kept by the last readout; none when it was not.
    std::optional<archive::StoredReadout> Stored;
    // Whether the export that ended the last readout succeeded; none when no table was built.
    std::optional<bool> Exported;

    // Busy began (true) or ended (false).
    Listeners<bool> OnBusy;
    // A readout ended (the table exported and the sync done, or the procedure failed), still
    // busy.
    Listeners<> OnReadoutEnded;
    // Records may have come into the archive (after a readout, no longer busy).
    Listeners<> OnArchiveChanged;
    Listeners<> OnSettingsChanged;
    // The sync started, reported progress or ended (ServerStatus, Sync().Running()).
    Listeners<> OnServerChanged;

private:
    void ReadoutStarted() override;
    void RecordRead(std::span<const std::string> lines) override;
    Outcome ReadoutEnded(const InstrumentData& data, ReadoutEnd end) override;

    void run(void (*procedure)(ProcedureHost&));

    UiServices& ui_;
    const SettingsStore& store_;
    OutputSettings& settings_;
    TFormKomm& komm_;
    ProgressDialog& progress_;
    MainExport& exporter_;
    SessionFrontEnd frontEnd_;
    SessionOptions options_;
    std::string archiveFile_;
    std::optional<archive::ReadoutRecorder> recorder_;
    int busy_ = 0;
    // Last: its thread ends before the rest goes.
    ServerSync sync_;
};

} // namespace ovena
