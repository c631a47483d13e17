#pragma once

#include "archive/Database.h"
#include "archive/PostgresDatabase.h"
#include "archive/RecordFields.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ovena::archive {

// One readout as the archive keeps it.
struct ReadoutInfo {
    // When it started, UTC, ISO 8601 ("2024-05-01T10:15:30.250Z").
    std::string startedAt;
    // Where and by whom (UTF-8): the workstation's name, the user's login, the port.
    std::string workstation;
    std::string user;
    std::string port;
    // As read from the instrument (Windows-1252 bytes): its serial number and its fuel names,
    // fuel 1 first.
    std::string instrumentSerial;
    std::vector<std::string> fuelNames;
    // How it ended: "complete", "cancelled" or "communication error".
    std::string outcome = "complete";
};

struct StoredReadout {
    std::int64_t readout = 0;
    int records = 0;    // records the readout brought
    int newRecords = 0; // of them, records the archive did not hold yet
};

// Which records a query takes. Every condition given must hold; texts match exactly (no
// wildcards), byte for byte.
struct RecordFilter {
    std::optional<std::string> customer;   // Windows-1252 bytes
    std::optional<std::string> instrument; // the instrument serial, Windows-1252 bytes
    std::optional<std::string> fuel;       // the fuel name, Windows-1252 bytes
    // Measured at or after `from` and at or before `to`: "YYYY-MM-DD" or "YYYY-MM-DDThh:mm";
    // a `to` without a time takes the whole day. Records without a date never match a bound.
    std::optional<std::string> from;
    std::optional<std::string> to;
    // Only these records (a selection in a view).
    std::optional<std::vector<std::int64_t>> ids;
    // The customer and instrument texts match every text that begins with them, as a search
    // field finds while it is typed.
    bool beginnings = false;
};

// Checks a date bound of a filter; answers it in the archive's form ("2024-05-01T00:00", or
// "...T23:59" for the end of a day), or throws ArchiveError naming the accepted forms.
std::string dateBound(const std::string& text, bool endOfDay);

// The columns records can be sorted by. Every order ends with the same tie-breakers (date, the
// readout's start and the order read), so local and server archives list the same records in
// the same order.
enum class RecordColumn {
    Instrument,
    Customer, // shorter numbers first, then byte by byte: numbers sort as numbers
    MeasuredAt,
    Fuel,
    LineCount,
    LineTypes,
    FirstRead, // as read: readout by readout, each in the instrument's order
    Workstation,
};

struct RecordOrder {
    RecordColumn column = RecordColumn::MeasuredAt;
    bool descending = false;
};

// A record as a list shows it. Bytes from the instrument stay Windows-1252.
struct RecordSummary {
    std::int64_t id = 0;
    std::string instrumentSerial;
    std::string customer;
    std::string measuredAt; // ISO 8601, empty when the record has no date
    std::string fuel;
    int lineCount = 0;
    std::string lineTypes;
    // The readout that first brought the record: when it started and on which workstation.
    std::string firstReadAt;
    std::string workstation;
};

// A record with what it takes to build its table rows again.
struct ArchivedRecord {
    RecordSummary summary;
    RecordLines lines;
    // The fuel names of the readout that first brought it, fuel 1 first; shared by the records
    // of that readout.
    std::shared_ptr<const std::vector<std::string>> fuelNames;
};

// What measurements can be sorted by. Every order ends with the measurement's date and the
// order the records were read in, so local and server archives list the same rows alike.
struct MeasurementOrder {
    enum class Column {
        LineType,
        Instrument,
        Customer, // as RecordColumn::Customer
        MeasuredAt,
        Fuel,
        Value, // the number of value `value` of the line (FirstNumberValue to LastNumberValue)
        Draft,
    };
    Column column = Column::MeasuredAt;
    int value = 0;
    bool descending = false;
};

// The measurements of a record filter: the table rows of its records (MeasurementRow).
struct MeasurementCount {
    std::int64_t measurements = 0;
    std::int64_t customers = 0; // different customer numbers among their records
    bool tests = false;         // some of them are test measurements
};

struct ArchivedMeasurement {
    std::int64_t record = 0;
    MeasurementRow row;
};

struct ArchiveStats {
    std::int64_t records = 0;
    std::int64_t readouts = 0;
    std::int64_t instruments = 0;
    std::int64_t customers = 0;
    std::string firstDate; // ISO 8601; empty without dated records
    std::string lastDate;
    std::string lastSync; // UTC, ISO 8601; empty when never synchronised
    std::string lastSyncServer;
    std::int64_t sizeOnDisk = -1; // the file and its log; -1 for a server
};

// The measurement archive: every record ever read, kept once, identified by its instrument
// serial and its exact lines, with the readouts that brought it. The same class works on the
// workstation's SQLite file and on a company's PostgreSQL server; both hold the same tables.
class Archive {
public:
    // Over an open store; prepares its tables (see prepareSchema).
    explicit Archive(std::unique_ptr<Database> db);

    // The workstation's archive file; created (with its folder) when `create` and missing.
    static Archive openFile(const std::string& path, bool create);
    // An archive server by its libpq connection string.
    static Archive openServer(const std::string& conninfo, ServerWaits waits = {});

    Database& database() { return *db_; }
    std::string location() const { return db_->location(); }

    // Keeps one readout and its records in one transaction: records the archive holds already
    // are only referenced. A record needs at least one line; no line, serial or fuel name may
    // hold a carriage return (no reply of the instrument can). Throws ArchiveError and leaves
    // the archive as it was when anything fails.
    StoredReadout store(const ReadoutInfo& readout, const std::vector<RecordLines>& records);

    std::int64_t countRecords(const RecordFilter& filter);
    // The records in the order asked, from `offset`, at most `limit` (-1: all); sorting and
    // paging happen in the store, so a view fetches only what it shows.
    std::vector<RecordSummary> listRecords(const RecordFilter& filter, RecordOrder order,
                                           std::int64_t offset = 0, std::int64_t limit = -1);
    // Each record with its lines, one at a time, in the order asked.
    void forEachRecord(const RecordFilter& filter, RecordOrder order,
                       const std::function<void(const ArchivedRecord&)>& onRecord);

    // The table rows of the records a filter takes, counted, and listed in the order asked from
    // `offset`, at most `limit` (-1: all). Rows without the value sorted by come last.
    MeasurementCount countMeasurements(const RecordFilter& filter);
    std::vector<ArchivedMeasurement> listMeasurements(const RecordFilter& filter,
                                                      MeasurementOrder order,
                                                      std::int64_t offset = 0,
                                                      std::int64_t limit = -1);

    // The fuel names of the records, each once, in byte order.
    std::vector<std::string> fuels();

    ArchiveStats stats();

    // Checks the archive: the store's own integrity check, references, every readout complete,
    // every record's lines against its identity and its table rows. Answers the problems found;
    // none when sound.
    std::vector<std::string> check();

private:
    std::unique_ptr<Database> db_;
};

} // namespace ovena::archive
