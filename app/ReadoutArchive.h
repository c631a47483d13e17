#pragma once

#include "archive/Workstation.h"
#include "procedures/ReadoutSink.h"

#include <optional>
#include <string>

namespace ovena {

class SettingsStore;
class TFormKomm;

// The window's measurement archive: keeps the records of each readout in the workstation's
// archive file as they are read.
class ReadoutArchive : public ReadoutSink {
public:
    ReadoutArchive(const SettingsStore& store, const TFormKomm& komm);

    void ReadoutStarted() override;
    void RecordRead(std::span<const std::string> lines) override;
    std::string ReadoutEnded(const InstrumentData& data, ReadoutEnd end) override;

    // What the last readout did to the archive (Windows-1252, one line, empty when nothing was
    // done).
    std::string ArchiveStatus;

private:
    const SettingsStore& store_;
    const TFormKomm& komm_;
    std::optional<archive::ReadoutRecorder> recorder_;
};

} // namespace ovena
