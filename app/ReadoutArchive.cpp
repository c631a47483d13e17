#include "app/ReadoutArchive.h"

#include "link/komm.h"
#include "platform/Cp1252.h"
#include "platform/PortMap.h"
#include "procedures/InstrumentData.h"

namespace ovena {

ReadoutArchive::ReadoutArchive(const SettingsStore& store, const TFormKomm& komm)
    : store_(store), komm_(komm) {}

void ReadoutArchive::ReadoutStarted() {
    ArchiveStatus.clear();
    recorder_.emplace(archive::defaultArchiveFile(),
                      archive::readArchiveSettings(store_).workstation);
    recorder_->start("COM" + std::to_string(komm_.Port) + " " + deviceForPort(komm_.Port));
}

void ReadoutArchive::RecordRead(std::span<const std::string> lines) {
    recorder_->addRecord({lines.begin(), lines.end()});
}

std::string ReadoutArchive::ReadoutEnded(const InstrumentData& data, ReadoutEnd end) {
    const std::string reason = recorder_->finish(data.InstrumentSerial, data.FuelNamesRead(),
                                                 std::string(ReadoutEndText(end)));
    if (!reason.empty()) {
        ArchiveStatus = "Archive: the measurements could not be archived.";
        return utf8ToCp1252(reason);
    }
    const archive::StoredReadout& stored = recorder_->stored();
    ArchiveStatus = "Archive: " + std::to_string(stored.records) + " records kept, " +
                    std::to_string(stored.newRecords) + " of them new.";
    return {};
}

} // namespace ovena
