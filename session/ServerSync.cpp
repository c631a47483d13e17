#include "session/ServerSync.h"

#include "archive/Archive.h"
#include "archive/Workstation.h"
#include "platform/Cp1252.h"

namespace ovena {

ServerSync::ServerSync(UiServices& ui, const SettingsStore& store, std::string archiveFile)
    : store_(store), archiveFile_(std::move(archiveFile)), worker_(ui) {}

void ServerSync::Start() {
    const std::string server = archive::readArchiveSettings(store_).server;
    if (server.empty())
        return;
    if (running_) {
        again_ = true;
        return;
    }
    running_ = true;
    report("Connecting to the company server...");
    // The job sees only these copies and its own connections.
    worker_.post(
        [this, server, waits = Waits, file = archiveFile_](const CancelSignal& cancel) mutable {
            waits.cancelFd = cancel.fd();
            std::string status;
            try {
                const archive::SyncResult sent =
                    syncArchive(file, true, server, waits, [this](std::int64_t records) {
                        if (records > 0)
                            worker_.handBack([this, records] {
                                report("Sending " + std::to_string(records) +
                                       (records == 1 ? " record" : " records") +
                                       " to the company server...");
                            });
                    });
                status = "Server: " + sent.text() + ".";
            } catch (const archive::ArchiveCancelled&) {
                status = "Server: the synchronisation was cancelled; nothing more was sent.";
            } catch (const std::exception& e) {
                status = std::string("Server not reached: ") + e.what();
            }
            return BackgroundWorker::Completion(
                [this, status = utf8ToCp1252(status)] { finished(status); });
        });
}

void ServerSync::report(std::string status) {
    Status = std::move(status);
    if (OnChange)
        OnChange();
}

void ServerSync::finished(std::string status) {
    running_ = false;
    report(std::move(status));
    if (again_) {
        again_ = false;
        Start();
    }
}

archive::SyncResult syncArchive(const std::string& archiveFile, bool create,
                                const std::string& conninfo, archive::ServerWaits waits,
                                const std::function<void(std::int64_t records)>& sending) {
    archive::Archive local = archive::Archive::openFile(archiveFile, create);
    archive::Archive remote = archive::Archive::openServer(conninfo, waits);
    return archive::pushToServer(local, remote, sending);
}

} // namespace ovena
