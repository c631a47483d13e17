#include "app/ServerSync.h"

#include "archive/Sync.h"
#include "archive/Workstation.h"
#include "platform/Cp1252.h"

namespace ovena {

ServerSync::ServerSync(UiServices& ui, const SettingsStore& store) : store_(store), worker_(ui) {}

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
    worker_.post([this, server, waits = Waits,
                  file = archive::defaultArchiveFile()](const CancelSignal& cancel) mutable {
        waits.cancelFd = cancel.fd();
        std::string status;
        try {
            archive::Archive local = archive::Archive::openFile(file, true);
            archive::Archive remote = archive::Archive::openServer(server, waits);
            const archive::SyncResult sent =
                archive::pushToServer(local, remote, [this](std::int64_t records) {
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

} // namespace ovena
