#pragma once

#include "archive/Archive.h"
#include "platform/Outcome.h"

#include <string>
#include <string_view>
#include <vector>

namespace ovena {
class SettingsStore;
}

namespace ovena::archive {

// The key of the settings store with the archive's settings.
inline constexpr std::string_view ArchiveKey = "Software\\TEV\\Ovena\\Archive";

// The archive's settings: "Server", a libpq connection string (empty: no server; a password
// never belongs here, libpq reads it from its password file), and "Workstation", the name the
// readouts of this workstation carry (default: the host name). UTF-8.
struct ArchiveSettings {
    std::string server;
    std::string workstation;
};

ArchiveSettings readArchiveSettings(const SettingsStore& store);

// $XDG_DATA_HOME/TEV/Ovena/archive.sqlite (default ~/.local/share/TEV/Ovena/archive.sqlite).
std::string defaultArchiveFile();

// The user's login name, and the current time as UTC in ISO 8601 to the millisecond
// ("2024-05-01T10:15:30.250Z"), so readouts sort in the order they ran.
std::string loginName();
std::string utcTimestamp();

// Collects one readout's records as the instrument delivers them and keeps them in the
// workstation's archive, in one transaction, when the readout ends. The archive file is opened
// only then, so a readout never holds it.
class ReadoutRecorder {
public:
    ReadoutRecorder(std::string archiveFile, std::string workstation)
        : file_(std::move(archiveFile)), workstation_(std::move(workstation)) {}

    // A readout begins on this port ("COM5 /dev/ttyUSB0"): its time is taken now.
    void start(std::string port);
    void addRecord(RecordLines lines);
    // Keeps the readout with its serial number, fuel names (fuel 1 first) and outcome (see
    // ReadoutInfo); answers whether it was kept, or why not (UTF-8).
    Outcome finish(const std::string& instrumentSerial, const std::vector<std::string>& fuelNames,
                   std::string outcome);

    // The outcome of the last readout kept.
    const StoredReadout& stored() const { return stored_; }

private:
    std::string file_;
    std::string workstation_;
    ReadoutInfo readout_;
    std::vector<RecordLines> records_;
    StoredReadout stored_;
};

} // namespace ovena::archive
