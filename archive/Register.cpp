#include "archive/Register.h"

#include "archive/RegisterContent.h"
#include "archive/RegisterVersions.h"
#include "archive/Schema.h"
#include "archive/SearchKey.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <cmath>

namespace ovena::archive {

namespace {

constexpr std::string_view PlantEntity = "plant";
constexpr std::string_view InstrumentEntity = "instrument";
constexpr std::string_view CompanyEntity = "company";

void requireUtf8(std::initializer_list<std::string_view> texts, const std::string& what) {
    for (std::string_view text : texts)
        if (!isUtf8(text))
            throw ArchiveError(what + ": a text is not UTF-8");
}

void requirePower(std::optional<double> kw, const std::string& what) {
    if (kw && (!std::isfinite(*kw) || *kw < 0))
        throw ArchiveError(what + ": a power must be a number of kW, 0 or more");
}

void validate(const Plant& plant) {
    const std::string what = "plant \"" + cp1252ToUtf8(plant.customer) + "\"";
    if (plant.customer.empty())
        throw ArchiveError("a plant needs its customer number");
    requireUtf8({plant.responsible.name, plant.responsible.taxCode, plant.address,
                 plant.registerCode, plant.phone, plant.email, plant.notes},
                what);
    for (const HeatGenerator& g : plant.generators) {
        const std::string generator = what + ", generator " + std::to_string(g.number);
        if (g.number < 1)
            throw ArchiveError(generator + ": generators are numbered from 1");
        if (std::count_if(plant.generators.begin(), plant.generators.end(),
                          [&](const HeatGenerator& other) { return other.number == g.number; }) > 1)
            throw ArchiveError(generator + ": the number is given twice");
        requireUtf8({g.maker, g.model, g.serial, g.fuel}, generator);
        requirePower(g.usefulPowerKw, generator);
        requirePower(g.heatInputKw, generator);
    }
    if (plant.recordsGenerator < 1)
        throw ArchiveError(what + ": generators are numbered from 1");
}

// The customer numbers after every one that begins with `prefix`, in byte order; empty when
// there is no such bound (a prefix of 0xFF bytes only).
std::string bytesAfterPrefix(std::string prefix) {
    while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF)
        prefix.pop_back();
    if (!prefix.empty())
        prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
    return prefix;
}

} // namespace

const HeatGenerator* Plant::generator(int number) const {
    for (const HeatGenerator& g : generators)
        if (g.number == number)
            return &g;
    return nullptr;
}

PlantRegister::PlantRegister(Database& db, Author author) : db_(db), author_(std::move(author)) {}

bool PlantRegister::put(std::string_view entity, std::string_view key, std::string content,
                        std::string nameKey, std::string addressKey, bool deleted) {
    const std::optional<StoredVersion> latest = latestVersion(db_, entity, key);
    if (deleted ? !latest || latest->deleted
                : latest && !latest->deleted && latest->content == content)
        return false;
    StoredVersion v;
    v.uid = randomIdentity();
    v.entity = entity;
    v.key = key;
    v.changedAt = versionTime(latest);
    v.workstation = author_.workstation;
    v.user = author_.user;
    v.deleted = deleted;
    v.content = std::move(content);
    v.nameKey = std::move(nameKey);
    v.addressKey = std::move(addressKey);
    insertVersion(db_, v);
    return true;
}

bool PlantRegister::putPlant(Plant plant) {
    validate(plant);
    std::sort(plant.generators.begin(), plant.generators.end(),
              [](const HeatGenerator& a, const HeatGenerator& b) { return a.number < b.number; });
    return put(PlantEntity, plant.customer, plantContent(plant), searchKey(plant.responsible.name),
               searchKey(plant.address), false);
}

template <class Change> bool PlantRegister::inTransaction(Change change) {
    Transaction transaction(db_);
    lockVersions(db_);
    const bool changed = change();
    transaction.commit();
    return changed;
}

std::optional<std::string> PlantRegister::currentContent(std::string_view entity,
                                                         std::string_view key) {
    std::optional<StoredVersion> latest = latestVersion(db_, entity, key);
    if (!latest || latest->deleted)
        return std::nullopt;
    return std::move(latest->content);
}

std::optional<Plant> PlantRegister::plant(std::string_view customer) {
    const std::optional<std::string> content = currentContent(PlantEntity, customer);
    return content ? std::optional<Plant>(plantFromContent(customer, *content)) : std::nullopt;
}

bool PlantRegister::savePlant(const Plant& plant) {
    return inTransaction([&] { return putPlant(plant); });
}

int PlantRegister::savePlants(const std::vector<Plant>& plants) {
    int changed = 0;
    inTransaction([&] {
        for (const Plant& plant : plants)
            changed += putPlant(plant) ? 1 : 0;
        return changed > 0;
    });
    return changed;
}

bool PlantRegister::deletePlant(std::string_view customer) {
    return inTransaction([&] { return put(PlantEntity, customer, "", "", "", true); });
}

std::vector<PlantVersion> PlantRegister::plantHistory(std::string_view customer) {
    std::vector<PlantVersion> history;
    db_.query("SELECT " + std::string(VersionColumns) +
                  " FROM register_version WHERE entity = $1 AND entity_key = $2"
                  " ORDER BY changed_at, workstation, uid",
              {Text{PlantEntity}, Bytes{customer}}, [&](const SqlRow& row) {
                  const StoredVersion v = versionOf(row);
                  history.push_back({{v.uid, v.changedAt, v.workstation, v.user, v.deleted},
                                     plantFromContent(customer, v.content)});
              });
    return history;
}

std::vector<Plant> PlantRegister::findPlants(std::string_view text, std::int64_t limit) {
    const std::string key = searchKey(text);
    const std::string keyEnd = afterEveryExtension(key);
    const std::string customer = utf8ToCp1252(text);
    const std::string customerEnd = bytesAfterPrefix(customer);
    // Names, then addresses, then numbers: each walks its own index in order and stops at the
    // limit, so a search costs about the same among any number of plants.
    const std::string nameMatches = "v.name_key >= $2 AND v.name_key < $3";
    const std::string addressMatches = "v.address_key >= $2 AND v.address_key < $3";
    const std::string numberMatches =
        customerEnd.empty() ? "v.entity_key >= $4" : "v.entity_key >= $4 AND v.entity_key < $5";
    struct Search {
        std::string condition, order;
        bool byNumber;
    };
    const Search searches[] = {
        {nameMatches, "v.name_key, ", false},
        {addressMatches + " AND NOT (" + nameMatches + ")", "v.address_key, ", false},
        {numberMatches + " AND NOT (" + nameMatches + ") AND NOT (" + addressMatches + ")", "",
         true},
    };
    std::vector<Plant> plants;
    for (const Search& search : searches) {
        std::vector<SqlValue> params{Text{PlantEntity}, Text{key}, Text{keyEnd}};
        if (search.byNumber)
            params.push_back(Bytes{customer});
        if (search.byNumber && !customerEnd.empty())
            params.push_back(Bytes{customerEnd});
        std::string sql = "SELECT v.entity_key, v.content FROM register_version v"
                          " WHERE v.entity = $1 AND " +
                          search.condition + " AND v.deleted = 0 AND " +
                          std::string(IsLatestVersion) + " ORDER BY " + search.order +
                          "v.entity_key";
        if (limit >= 0) {
            const auto wanted = limit - static_cast<std::int64_t>(plants.size());
            if (wanted <= 0)
                break;
            sql += " LIMIT $" + std::to_string(params.size() + 1);
            params.push_back(wanted);
        }
        db_.queryWith(sql, params, [&](const SqlRow& row) {
            plants.push_back(plantFromContent(row.bytes(0), row.bytes(1)));
        });
        if (key.empty() && customer.empty())
            break; // the names alone list every plant
    }
    return plants;
}

std::int64_t PlantRegister::countPlants() {
    return db_.queryInteger("SELECT count(*) FROM register_version v WHERE v.entity = $1 AND"
                            " v.deleted = 0 AND " +
                                std::string(IsLatestVersion),
                            {Text{PlantEntity}});
}

std::optional<InstrumentEntry> PlantRegister::instrument(std::string_view serial) {
    const std::optional<std::string> content = currentContent(InstrumentEntity, serial);
    return content ? std::optional<InstrumentEntry>(instrumentFromContent(serial, *content))
                   : std::nullopt;
}

bool PlantRegister::saveInstrument(const InstrumentEntry& instrument) {
    if (instrument.serial.empty())
        throw ArchiveError("an instrument needs its serial number");
    requireUtf8({instrument.model, instrument.calibratedBy},
                "instrument " + cp1252ToUtf8(instrument.serial));
    return inTransaction([&] {
        return put(InstrumentEntity, instrument.serial, instrumentContent(instrument),
                   searchKey(instrument.model), "", false);
    });
}

bool PlantRegister::deleteInstrument(std::string_view serial) {
    return inTransaction([&] { return put(InstrumentEntity, serial, "", "", "", true); });
}

std::vector<InstrumentEntry> PlantRegister::instruments() {
    std::vector<InstrumentEntry> all;
    db_.query("SELECT v.entity_key, v.content FROM register_version v WHERE v.entity = $1 AND"
              " v.deleted = 0 AND " +
                  std::string(IsLatestVersion) + " ORDER BY v.entity_key",
              {Text{InstrumentEntity}}, [&](const SqlRow& row) {
                  all.push_back(instrumentFromContent(row.bytes(0), row.bytes(1)));
              });
    return all;
}

std::optional<Company> PlantRegister::company() {
    const std::optional<std::string> content = currentContent(CompanyEntity, "");
    return content ? std::optional<Company>(companyFromContent(*content)) : std::nullopt;
}

bool PlantRegister::saveCompany(const Company& company) {
    requireUtf8({company.name, company.address, company.vatNumber, company.reaCode}, "company");
    for (const Technician& t : company.technicians)
        requireUtf8({t.name, t.surname, t.licence}, "company");
    return inTransaction([&] {
        return put(CompanyEntity, "", companyContent(company), searchKey(company.name), "", false);
    });
}

} // namespace ovena::archive
