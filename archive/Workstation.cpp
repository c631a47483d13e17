#include "archive/Workstation.h"

#include "platform/ConfigPaths.h"
#include "platform/Cp1252.h"
#include "platform/SettingsStore.h"

#include <climits>
#include <cstdio>
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
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + length, sizeof text - length, ".%03ldZ", now.tv_nsec / 1000000);
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

Outcome ReadoutRecorder::finish(const std::string& instrumentSerial,
                                const std::vector<std::string>& fuelNames, std::string outcome) {
    readout_.instrumentSerial = instrumentSerial;
    readout_.fuelNames = fuelNames;
    readout_.outcome = std::move(outcome);
    try {
        Archive archive = Archive::openFile(file_, true);
        stored_ = archive.store(readout_, records_);
        records_.clear();
        return {};
    } catch (const std::exception& e) {
        return Outcome::Failed(e.what());
    }
}

} // namespace ovena::archive
