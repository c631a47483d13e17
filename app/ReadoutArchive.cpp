#include "app/ReadoutArchive.h"

#include "archive/Sync.h"
#include "link/komm.h"
#include "platform/Cp1252.h"
#include "platform/PortMap.h"
#include "platform/UiServices.h"
#include "procedures/InstrumentData.h"

#include <poll.h>

namespace ovena {

ReadoutArchive::ReadoutArchive(UiServices& ui, const SettingsStore& store, const TFormKomm& komm)
    : ui_(ui), store_(store), komm_(komm) {}

void ReadoutArchive::ReadoutStarted() {
    ArchiveStatus.clear();
    ServerStatus.clear();
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

void ReadoutArchive::SyncWithServer() {
    const std::string server = archive::readArchiveSettings(store_).server;
    if (server.empty())
        return;
    HourglassCursor hourglass(ui_);
    // The window's events are serviced while the server is awaited.
    const archive::SocketWait wait = [this](int fd, bool forWrite) {
        if (!forWrite)
            return ui_.waitForEvents(fd);
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, 50);
        ui_.processEvents();
    };
    try {
        archive::Archive local = archive::Archive::openFile(archive::defaultArchiveFile(), true);
        archive::Archive remote = archive::Archive::openServer(server, wait);
        const archive::SyncResult sent = archive::pushToServer(local, remote);
        ServerStatus = utf8ToCp1252("Server: " + sent.text() + ".");
    } catch (const std::exception& e) {
        ServerStatus = utf8ToCp1252(std::string("Server not reached: ") + e.what());
    }
}

} // namespace ovena
