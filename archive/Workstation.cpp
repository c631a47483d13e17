#include "archive/Workstation.h"

#include "platform/ConfigPaths.h"
#include "platform/Cp1252.h"
#include "platform/SettingsStore.h"

#include <climits>
#include <ctime>
#include <pwd.h>
#include <unistd.h>

namespace ovena::archive {

ArchiveSettings readArchiveSettings(const SettingsStore& store) {
    ArchiveSettings settings;
    if (auto server = store.readString(ArchiveKey, "Server"))
        settings.server = cp1252ToUtf8(*server);
    if (auto name = store.readString(ArchiveKey, "Workstation"); name && !name->empty()) {
        settings.workstation = cp1252ToUtf8(*name);
    } else {
        char host[HOST_NAME_MAX + 1] = {};
        settings.workstation = gethostname(host, sizeof host - 1) == 0 ? host : "";
    }
    return settings;
}

std::string defaultArchiveFile() {
    return dataFolder() + "/archive.sqlite";
}

std::string loginName() {
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name)
        return pw->pw_name;
    return std::to_string(geteuid());
}

std::string utcTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

void ReadoutRecorder::start(std::string port) {
    readout_ = ReadoutInfo{};
    readout_.startedAt = utcTimestamp();
    readout_.workstation = workstation_;
    readout_.user = loginName();
    readout_.port = std::move(port);
    records_.clear();
    stored_ = StoredReadout{};
}

void ReadoutRecorder::addRecord(RecordLines lines) {
    records_.push_back(std::move(lines));
}

std::string ReadoutRecorder::finish(const std::string& instrumentSerial,
                                    const std::vector<std::string>& fuelNames, ReadoutEnd end) {
    readout_.instrumentSerial = instrumentSerial;
    readout_.fuelNames = fuelNames;
    readout_.end = end;
    try {
        Archive archive = Archive::openFile(file_, true);
        stored_ = archive.store(readout_, records_);
        records_.clear();
        return {};
    } catch (const std::exception& e) {
        return e.what();
    }
}

} // namespace ovena::archive
