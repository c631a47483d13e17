#include "session/Session.h"

#include "link/komm.h"
#include "platform/Cp1252.h"
#include "platform/PortMap.h"
#include "procedures/MainExport.h"
#include "table/OutputSettings.h"

namespace ovena {

Session::BusyScope::BusyScope(Session& session) : session_(session) {
    if (session_.busy_++ == 0)
        session_.OnBusy.Notify(true);
}

Session::BusyScope::~BusyScope() {
    if (--session_.busy_ == 0)
        session_.OnBusy.Notify(false);
}

Session::Session(UiServices& ui, const SettingsStore& store, OutputSettings& settings,
                 TFormKomm& komm, ProgressDialog& progress, MainExport& exporter,
                 SessionFrontEnd frontEnd, SessionOptions options)
    : ui_(ui), store_(store), settings_(settings), komm_(komm), progress_(progress),
      exporter_(exporter), frontEnd_(std::move(frontEnd)), options_(std::move(options)),
      archiveFile_(options_.ArchiveFile.empty() ? archive::defaultArchiveFile()
                                                : options_.ArchiveFile),
      sync_(ui, store, archiveFile_) {
    sync_.OnChange = [this] { OnServerChanged.Notify(); };
}

archive::ArchiveSettings Session::ArchiveSettings() const {
    return archive::readArchiveSettings(store_);
}

archive::Archive Session::OpenArchive() const {
    return archive::Archive::openFile(archiveFile_, true);
}

void Session::ReadInstrument() {
    if (Busy())
        return;
    ClearTable(exporter_.Table());
    Exported.reset();
    try {
        BusyScope busy(*this);
        run(&ovena::ReadInstrument);
        if (options_.SyncAfterReadout)
            sync_.Start();
        OnReadoutEnded.Notify();
    } catch (...) {
        OnArchiveChanged.Notify();
        throw;
    }
    OnArchiveChanged.Notify();
}

void Session::ShowInstrumentInfo() {
    if (Busy())
        return;
    BusyScope busy(*this);
    run(&ovena::ShowInstrumentInfo);
}

void Session::ClearInstrumentMemory() {
    if (Busy())
        return;
    BusyScope busy(*this);
    run(&ovena::ClearInstrumentMemory);
}

void Session::run(void (*procedure)(ProcedureHost&)) {
    ProcedureHost host{ui_,
                       komm_,
                       progress_,
                       Readout,
                       frontEnd_.Port,
                       [this] {
                           return settings_.cbsvers.Checked ? InstrumentGeneration::Second
                                                            : InstrumentGeneration::First;
                       },
                       [this] { Exported = exporter_.BuildTable(Readout, settings_); },
                       frontEnd_.ShowInfoBox,
                       this};
    procedure(host);
}

void Session::SyncWithServer() {
    if (!Busy())
        sync_.Start();
}

bool Session::ExportRecords(std::span<const TableRecord> records) {
    return exporter_.ExportRecords(records, settings_);
}

void Session::SettingsChanged() {
    OnSettingsChanged.Notify();
}

void Session::ReadoutStarted() {
    ArchiveStatus.clear();
    if (!sync_.Running())
        sync_.Status.clear();
    Stored.reset();
    recorder_.emplace(archiveFile_, ArchiveSettings().workstation);
    recorder_->start("COM" + std::to_string(komm_.Port) + " " + deviceForPort(komm_.Port));
}

void Session::RecordRead(std::span<const std::string> lines) {
    recorder_->addRecord({lines.begin(), lines.end()});
}

Outcome Session::ReadoutEnded(const InstrumentData& data, ReadoutEnd end) {
    const Outcome kept = recorder_->finish(data.InstrumentSerial, data.FuelNamesRead(),
                                           std::string(ReadoutEndText(end)));
    if (!kept) {
        ArchiveStatus = "Archive: the measurements could not be archived.";
        return Outcome::Failed(utf8ToCp1252(kept.Reason()));
    }
    Stored = recorder_->stored();
    ArchiveStatus = "Archive: " + std::to_string(Stored->records) + " records kept, " +
                    std::to_string(Stored->newRecords) + " of them new.";
    return kept;
}

} // namespace ovena
