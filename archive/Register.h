#pragma once

#include "archive/Database.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovena::archive {

// The plant register: what the instrument's customer number stands for (the plant, its
// responsible person and its heat generators), the instruments' calibrations and the company's
// letterhead. Texts are UTF-8 and keep every letter; the instrument's own values (customer
// number, instrument serial) stay its Windows-1252 bytes.

using Date = std::chrono::year_month_day;

enum class ResponsibleRole { Owner, Occupant, Administrator, ThirdParty };
enum class GeneratorKind { Standard, LowTemperature, GasCondensing, WarmAir, Other };
enum class BurnerKind { Atomising, Vaporising, GasWithFan, Atmospheric };

struct ResponsiblePerson {
    std::string name;
    std::string taxCode;
    std::optional<ResponsibleRole> role;
    bool operator==(const ResponsiblePerson&) const = default;
};

// A heat generator of a plant ("GT1", "GT2" in the Italian report). Powers are in kW; a value
// not given is absent, never 0.
struct HeatGenerator {
    int number = 1;
    std::string maker, model, serial;
    std::optional<GeneratorKind> kind;
    std::string fuel;
    std::optional<BurnerKind> burner;
    std::optional<double> usefulPowerKw; // Pn, useful nominal power
    std::optional<double> heatInputKw;   // nominal heat input
    std::optional<Date> installedOn;
    std::optional<Date> manufacturedOn;
    bool operator==(const HeatGenerator&) const = default;
};

struct Plant {
    // The key: the customer number as the instrument stores it (Windows-1252 bytes).
    std::string customer;
    ResponsiblePerson responsible;
    std::string address;      // of the site
    std::string registerCode; // the plant's code in the regional register ("codice catasto")
    std::string phone, email, notes;
    std::vector<HeatGenerator> generators; // by number, ascending
    // The generator the instrument's records of this plant belong to.
    int recordsGenerator = 1;
    bool operator==(const Plant&) const = default;

    // The generator with this number; nullptr when there is none.
    const HeatGenerator* generator(int number) const;
};

struct InstrumentEntry {
    std::string serial; // as the instrument reports it (Windows-1252 bytes), the key
    std::string model;
    std::optional<Date> calibratedOn;
    std::string calibratedBy;
    bool operator==(const InstrumentEntry&) const = default;
};

struct Technician {
    std::string name, surname, licence;
    bool operator==(const Technician&) const = default;
};

// The company that makes the reports: one per archive.
struct Company {
    std::string name, address;
    std::string vatNumber; // "partita IVA", "USt-IdNr."
    std::string reaCode;   // the chamber of commerce's register number
    std::string logo;      // image file bytes (PNG or JPEG); empty when none
    std::vector<Technician> technicians;
    bool operator==(const Company&) const = default;
};

// Who made a change and where: the workstation's name and the user's login.
struct Author {
    std::string workstation;
    std::string user;
};

// One version of an entry, as its history shows it.
struct VersionInfo {
    std::string uid;       // the version's identity on every store
    std::string changedAt; // UTC, ISO 8601 to the millisecond
    std::string workstation;
    std::string user;
    bool deleted = false;
};

struct PlantVersion {
    VersionInfo version;
    Plant plant; // as it was; only its customer number for a deletion
};

// The register in one archive store (the workstation's file or the server). Every change is a
// new, immutable version of its entry; the current state of an entry is its latest version,
// by time, then workstation, then identity, so every store that holds the same versions shows
// the same state. A change is never dated before the entry's latest version, so an edit made
// after another was seen wins even when the workstation's clock lags. Saving what is already
// the current state makes no version. Failures throw ArchiveError; the store is then unchanged.
class PlantRegister {
public:
    // The store's schema must be prepared (Archive does that).
    PlantRegister(Database& db, Author author);

    // The plant as it is now; none when it was never kept or is deleted.
    std::optional<Plant> plant(std::string_view customer);
    // Keeps the plant as a new version unless it equals the current state; answers whether it
    // did. Throws ArchiveError for a plant that cannot be kept: no customer number, texts that
    // are not UTF-8, generator numbers below 1 or twice, a negative or non-finite power.
    bool savePlant(const Plant& plant);
    // Deletes the plant (a version too); answers whether there was one to delete.
    bool deletePlant(std::string_view customer);
    // Every version of the plant, the oldest first, deletions included.
    std::vector<PlantVersion> plantHistory(std::string_view customer);

    // The current plants whose responsible person's name, address or customer number begins
    // with `text`, ignoring case and accents ("lodz" finds "Łódź"), at most `limit` (-1: all):
    // first those found by name (by name, then number), then by address (by address, then
    // number), then by number. An empty text lists every plant by name.
    std::vector<Plant> findPlants(std::string_view text, std::int64_t limit = -1);
    std::int64_t countPlants();

    std::optional<InstrumentEntry> instrument(std::string_view serial);
    bool saveInstrument(const InstrumentEntry& instrument);
    bool deleteInstrument(std::string_view serial);
    std::vector<InstrumentEntry> instruments();

    std::optional<Company> company();
    bool saveCompany(const Company& company);

    // Saves many plants in one transaction; answers how many made a version.
    int savePlants(const std::vector<Plant>& plants);

private:
    // Keeps a version of the entry unless it would change nothing; in the caller's transaction.
    bool put(std::string_view entity, std::string_view key, std::string content,
             std::string nameKey, std::string addressKey, bool deleted);
    bool putPlant(Plant plant);
    // The content of the entry's latest version; none when it has none or it is a deletion.
    std::optional<std::string> currentContent(std::string_view entity, std::string_view key);
    template <class Change> bool inTransaction(Change change);

    Database& db_;
    Author author_;
};

} // namespace ovena::archive
