#pragma once

#include "archive/Workstation.h"
#include "procedures/ReadoutSink.h"

#include <optional>
#include <string>

namespace ovena {

class SettingsStore;
class TFormKomm;
class UiServices;

// The window's measurement archive: keeps the records of each readout in the workstation's
// archive file as they are read, and at the end of the readout sends the company's server what
// it does not have yet, when the settings name one. The server is reached while the window's
// events are serviced, so the window stays drawn while it answers.
class ReadoutArchive : public ReadoutSink {
public:
    ReadoutArchive(UiServices& ui, const SettingsStore& store, const TFormKomm& komm);

    void ReadoutStarted() override;
    void RecordRead(std::span<const std::string> lines) override;
    std::string ReadoutEnded(const InstrumentData& data, ReadoutEnd end) override;

    // Sends the server what it lacks when the settings name one; a server out of reach changes
    // nothing and is told in the status only, since technicians often work without a network.
    void SyncWithServer();

    // What the last readout did to the archive, and to the server (Windows-1252, one line each,
    // empty when nothing was done).
    std::string ArchiveStatus;
    std::string ServerStatus;

private:
    UiServices& ui_;
    const SettingsStore& store_;
    const TFormKomm& komm_;
    std::optional<archive::ReadoutRecorder> recorder_;
};

} // namespace ovena
