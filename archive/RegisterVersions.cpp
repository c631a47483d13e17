#include "archive/RegisterVersions.h"

#include "archive/Workstation.h"

#include <chrono>
#include <cstdio>

namespace ovena::archive {

namespace {

// "2024-05-01T10:15:30.250Z" as milliseconds since 1970; none for another form.
std::optional<std::chrono::sys_time<std::chrono::milliseconds>> timeOf(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milli = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ", &year, &month, &day, &hour,
                    &minute, &second, &milli) != 7)
        return std::nullopt;
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / month / day};
    return date + hours{hour} + minutes{minute} + seconds{second} + milliseconds{milli};
}

std::string timestampOf(std::chrono::sys_time<std::chrono::milliseconds> time) {
    using namespace std::chrono;
    const sys_days days = floor<std::chrono::days>(time);
    const year_month_day date{days};
    const hh_mm_ss clock{time - days};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02lld.%03lldZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<long>(clock.hours().count()),
                  static_cast<long>(clock.minutes().count()),
                  static_cast<long long>(clock.seconds().count()),
                  static_cast<long long>(clock.subseconds().count()));
    return text;
}

} // namespace

StoredVersion versionOf(const SqlRow& row, int first) {
    StoredVersion v;
    v.uid = row.text(first);
    v.entity = row.text(first + 1);
    v.key = row.text(first + 2);
    v.changedAt = row.text(first + 3);
    v.workstation = row.text(first + 4);
    v.user = row.text(first + 5);
    v.deleted = row.integer(first + 6) != 0;
    v.content = row.text(first + 7);
    v.nameKey = row.text(first + 8);
    v.addressKey = row.text(first + 9);
    return v;
}

std::optional<StoredVersion> latestVersion(Database& db, std::string_view entity,
                                           std::string_view key) {
    std::optional<StoredVersion> latest;
    db.query("SELECT " + std::string(VersionColumns) +
                 " FROM register_version WHERE entity = $1 AND entity_key = $2"
                 " ORDER BY changed_at DESC, workstation DESC, uid DESC LIMIT 1",
             {Text{entity}, Bytes{key}}, [&](const SqlRow& row) { latest = versionOf(row); });
    return latest;
}

void lockVersions(Database& db) {
    if (db.dialect() == Dialect::PostgreSQL)
        db.execute("SELECT pg_advisory_xact_lock(6406401)");
}

bool insertVersion(Database& db, const StoredVersion& v, std::string_view origin) {
    return db.queryInteger(
               "INSERT INTO register_version (uid, entity, entity_key, changed_at, workstation,"
               " user_name, deleted, content, name_key, address_key, origin)"
               " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11)"
               " ON CONFLICT (uid) DO NOTHING RETURNING 1",
               {Text{v.uid}, Text{v.entity}, Bytes{v.key}, Text{v.changedAt}, Text{v.workstation},
                Text{v.user}, std::int64_t{v.deleted}, Text{v.content}, Text{v.nameKey},
                Text{v.addressKey}, Text{origin}}) == 1;
}

std::string versionTime(const std::optional<StoredVersion>& latest) {
    std::string now = utcTimestamp();
    if (!latest || now > latest->changedAt)
        return now;
    const auto time = timeOf(latest->changedAt);
    return time ? timestampOf(*time + std::chrono::milliseconds{1}) : now;
}

} // namespace ovena::archive
