#pragma once

#include "archive/Database.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovena::archive {

// One row of register_version: a version of a register entry as every store keeps it.
struct StoredVersion {
    std::string uid;
    std::string entity; // "plant", "instrument" or "company"
    std::string key;    // bytes: the customer number, the instrument serial, "" for the company
    std::string changedAt, workstation, user;
    bool deleted = false;
    std::string content; // archive/RegisterContent.h
    std::string nameKey, addressKey;
};

// The columns of a StoredVersion in its order, as `versionOf` reads them.
inline constexpr std::string_view VersionColumns =
    "uid, entity, entity_key, changed_at, workstation, user_name, deleted, content, name_key,"
    " address_key";
StoredVersion versionOf(const SqlRow& row, int first = 0);

// The condition that a version (table alias `v`) is its entry's latest: no later one by time,
// workstation and identity.
inline constexpr std::string_view IsLatestVersion =
    "NOT EXISTS (SELECT 1 FROM register_version w WHERE w.entity = v.entity"
    " AND w.entity_key = v.entity_key"
    " AND (w.changed_at, w.workstation, w.uid) > (v.changed_at, v.workstation, v.uid))";

// The entry's latest version; none when it has none.
std::optional<StoredVersion> latestVersion(Database& db, std::string_view entity,
                                           std::string_view key);

// Within a writing transaction: on a server, waits until no other transaction adds versions,
// so versions become visible in the order of their row numbers and a reader that has seen a
// number has seen every smaller one.
void lockVersions(Database& db);

// Adds the version unless the store has it (by uid); answers whether it did. `origin` is the
// server archive it came from, empty for a change made here.
bool insertVersion(Database& db, const StoredVersion& version, std::string_view origin = {});

// The time a new version of an entry whose latest version is `latest` gets: now, or a
// millisecond after `latest` when the clock has not passed it.
std::string versionTime(const std::optional<StoredVersion>& latest);

} // namespace ovena::archive
