#pragma once

#include "archive/PostgresDatabase.h"
#include "archive/Sync.h"
#include "platform/BackgroundWorker.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ovena {

class SettingsStore;
class UiServices;

// Sends the company server, when the settings name one, what the archive file lacks. The sync
// runs on a thread of its own with deadlines (`Waits`), so the window stays usable and closable
// while the server is awaited; one runs at a time.
class ServerSync {
public:
    ServerSync(UiServices& ui, const SettingsStore& store, std::string archiveFile);

    // Starts a sync. Asked while one runs, it runs again once that one ends, so the records of a
    // readout that ended meanwhile go too.
    void Start();
    bool Running() const { return running_; }
    // Ends the wait; the status tells so.
    void Cancel() { worker_.cancel(); }

    // How long the server may take (the cancel descriptor is the sync's own).
    archive::ServerWaits Waits;
    // What the sync does or did, one line (Windows-1252): "Sending 40 records to the company
    // server...", "Server: 1 readout and 40 records sent to ...", "Server not reached: ...".
    std::string Status;
    // Called on the window's thread whenever Status or Running change.
    std::function<void()> OnChange;

private:
    void report(std::string status);
    void finished(std::string status);

    const SettingsStore& store_;
    const std::string archiveFile_;
    bool running_ = false;
    bool again_ = false;
    // Last: its thread ends before the rest goes.
    BackgroundWorker worker_;
};

// Sends the server at `conninfo` what the archive file holds and it lacks (see
// archive::pushToServer, which `sending` is handed to); `create` makes a missing archive file.
// Throws archive::ArchiveError.
archive::SyncResult syncArchive(const std::string& archiveFile, bool create,
                                const std::string& conninfo, archive::ServerWaits waits = {},
                                const std::function<void(std::int64_t records)>& sending = {});

} // namespace ovena
