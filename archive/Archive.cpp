#include "archive/Archive.h"

#include "archive/Measurements.h"
#include "archive/Schema.h"
#include "archive/SqliteDatabase.h"

#include <algorithm>
#include <map>

namespace ovena::archive {

namespace {

constexpr std::string_view SummaryColumns =
    "r.id, r.instrument_serial, r.customer, r.measured_at, r.fuel, r.line_count, r.line_types,"
    " ro.started_at, ro.workstation";
constexpr std::string_view RecordsWithReadout =
    " FROM record r JOIN readout ro ON ro.id = r.first_readout";

RecordSummary summaryOf(const SqlRow& row) {
    RecordSummary s;
    s.id = row.integer(0);
    s.instrumentSerial = row.text(1);
    s.customer = row.text(2);
    s.measuredAt = row.isNull(3) ? std::string() : row.text(3);
    s.fuel = row.text(4);
    s.lineCount = static_cast<int>(row.integer(5));
    s.lineTypes = row.text(6);
    s.firstReadAt = row.text(7);
    s.workstation = row.text(8);
    return s;
}

bool digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool number(std::string_view text, int low, int high) {
    if (!digits(text))
        return false;
    const int value = std::stoi(std::string(text));
    return value >= low && value <= high;
}

// The WHERE clause of a filter with its parameters, numbered from $1. Parameters view the
// filter and the texts kept here, so it is neither copied nor moved.
class Conditions {
public:
    Conditions(const RecordFilter& filter, Dialect dialect) {
        if (filter.customer)
            match("r.customer", *filter.customer, filter.beginnings, customerEnd_);
        if (filter.instrument)
            match("r.instrument_serial", *filter.instrument, filter.beginnings, instrumentEnd_);
        if (filter.fuel)
            add("r.fuel = $", Bytes{*filter.fuel});
        if (filter.from) {
            from_ = dateBound(*filter.from, false);
            add("r.measured_at >= $", Text{from_});
        }
        if (filter.to) {
            to_ = dateBound(*filter.to, true);
            add("r.measured_at <= $", Text{to_});
        }
        if (filter.ids) {
            // One parameter for any number of records: a JSON array for SQLite, an array
            // literal for PostgreSQL.
            const bool sqlite = dialect == Dialect::SQLite;
            ids_ = sqlite ? "[" : "{";
            for (std::int64_t id : *filter.ids)
                ids_ += (ids_.size() > 1 ? "," : "") + std::to_string(id);
            ids_ += sqlite ? "]" : "}";
            add(sqlite ? "r.id IN (SELECT value FROM json_each($))" : "r.id = ANY($::bigint[])",
                Text{ids_});
        }
    }
    Conditions(const Conditions&) = delete;
    Conditions& operator=(const Conditions&) = delete;

    std::string where() const {
        std::string sql;
        for (const std::string& part : parts_)
            sql += (sql.empty() ? " WHERE " : " AND ") + part;
        return sql;
    }
    // The placeholder of the next parameter added.
    std::string next() const { return "$" + std::to_string(params.size() + 1); }
    void addParam(SqlValue value) { params.push_back(value); }

    std::vector<SqlValue> params;

private:
    void add(std::string_view condition, SqlValue value) {
        std::string part;
        for (char c : condition)
            part += c == '$' ? next() : std::string(1, c);
        parts_.push_back(std::move(part));
        params.push_back(value);
    }

    // The column equals the text, or begins with it: lies from the text up to the first text
    // beyond all that begin with it (its last byte below 0xFF raised by one), so an index serves.
    void match(std::string_view column, const std::string& text, bool beginning, std::string& end) {
        if (!beginning) {
            add(std::string(column) + " = $", Bytes{text});
            return;
        }
        if (text.empty())
            return;
        add(std::string(column) + " >= $", Bytes{text});
        end = text;
        while (!end.empty() && static_cast<unsigned char>(end.back()) == 0xFF)
            end.pop_back();
        if (end.empty())
            return;
        end.back() = static_cast<char>(static_cast<unsigned char>(end.back()) + 1);
        add(std::string(column) + " < $", Bytes{end});
    }

    std::vector<std::string> parts_;
    std::string from_, to_, ids_, customerEnd_, instrumentEnd_;
};

std::string orderBy(RecordOrder order) {
    const std::string dir = order.descending ? " DESC" : "";
    std::string sql = " ORDER BY ";
    switch (order.column) {
    case RecordColumn::Instrument:
        sql += "r.instrument_serial" + dir;
        break;
    case RecordColumn::Customer:
        sql += "length(r.customer)" + dir + ", r.customer" + dir;
        break;
    case RecordColumn::MeasuredAt:
        sql += "r.measured_at" + dir + (order.descending ? " NULLS LAST" : " NULLS FIRST");
        break;
    case RecordColumn::Fuel:
        sql += "r.fuel" + dir;
        break;
    case RecordColumn::LineCount:
        sql += "r.line_count" + dir;
        break;
    case RecordColumn::LineTypes:
        sql += "r.line_types" + dir;
        break;
    case RecordColumn::FirstRead:
        sql += "ro.started_at" + dir + ", ro.id" + dir + ", r.first_position" + dir;
        break;
    case RecordColumn::Workstation:
        sql += "ro.workstation" + dir;
        break;
    }
    return sql + ", r.measured_at NULLS FIRST, ro.started_at, ro.id, r.first_position";
}

std::string measurementOrderBy(MeasurementOrder order) {
    using Column = MeasurementOrder::Column;
    const std::string dir = order.descending ? " DESC" : "";
    std::string key;
    switch (order.column) {
    case Column::LineType:
        key = "m.line_type" + dir;
        break;
    case Column::Instrument:
        key = "r.instrument_serial" + dir;
        break;
    case Column::Customer:
        key = "length(r.customer)" + dir + ", r.customer" + dir;
        break;
    case Column::MeasuredAt:
        key = "m.measured_at" + dir + (order.descending ? " NULLS LAST" : " NULLS FIRST");
        break;
    case Column::Fuel:
        key = "r.fuel" + dir;
        break;
    case Column::Value:
        if (order.value < FirstNumberValue || order.value > LastNumberValue)
            throw ArchiveError("no value " + std::to_string(order.value) + " to sort by");
        key = "m.v" + std::to_string(order.value) + dir + " NULLS LAST";
        break;
    case Column::Draft:
        key = "m.draft" + dir + " NULLS LAST";
        break;
    }
    return " ORDER BY " + key +
           ", m.measured_at NULLS FIRST, ro.started_at, ro.id, r.first_position, m.position";
}

std::string paging(Conditions& conditions, Dialect dialect, std::int64_t offset,
                   std::int64_t limit) {
    std::string sql;
    if (limit >= 0) {
        sql += " LIMIT " + conditions.next();
        conditions.addParam(limit);
    } else if (offset > 0 && dialect == Dialect::SQLite) {
        sql += " LIMIT -1"; // SQLite takes an offset only after a limit
    }
    if (offset > 0) {
        sql += " OFFSET " + conditions.next();
        conditions.addParam(offset);
    }
    return sql;
}

void checkOneLine(std::string_view text, const char* what) {
    if (!fitsOneLine(text))
        throw ArchiveError(std::string(what) + " holds a carriage return");
}

} // namespace

std::string dateBound(const std::string& text, bool endOfDay) {
    const std::string_view t = text;
    const bool dateOk = t.size() >= 10 && number(t.substr(0, 4), 0, 9999) && t[4] == '-' &&
                        number(t.substr(5, 2), 1, 12) && t[7] == '-' &&
                        number(t.substr(8, 2), 1, 31);
    if (dateOk && t.size() == 10)
        return text + (endOfDay ? "T23:59" : "T00:00");
    if (dateOk && t.size() == 16 && (t[10] == 'T' || t[10] == ' ') &&
        number(t.substr(11, 2), 0, 23) && t[13] == ':' && number(t.substr(14, 2), 0, 59))
        return text.substr(0, 10) + "T" + text.substr(11);
    throw ArchiveError("\"" + text + "\" is not a date: write YYYY-MM-DD or YYYY-MM-DDThh:mm");
}

Archive::Archive(std::unique_ptr<Database> db) : db_(std::move(db)) {
    prepareSchema(*db_);
}

Archive Archive::openFile(const std::string& path, bool create) {
    return Archive(std::make_unique<SqliteDatabase>(path, create ? SqliteDatabase::Mode::Create
                                                                 : SqliteDatabase::Mode::Existing));
}

Archive Archive::openServer(const std::string& conninfo, ServerWaits waits) {
    return Archive(std::make_unique<PostgresDatabase>(conninfo, waits));
}

StoredReadout Archive::store(const ReadoutInfo& readout, const std::vector<RecordLines>& records) {
    checkOneLine(readout.instrumentSerial, "the instrument serial");
    for (const std::string& name : readout.fuelNames)
        checkOneLine(name, "a fuel name");
    for (const RecordLines& lines : records) {
        if (lines.empty())
            throw ArchiveError("a record without lines");
        for (const std::string& line : lines)
            checkOneLine(line, "a record line");
    }

    Database& db = *db_;
    Transaction transaction(db);
    StoredReadout stored;
    stored.records = static_cast<int>(records.size());
    const std::string uid = randomIdentity();
    const std::string workstation = cleanText(readout.workstation);
    const std::string user = cleanText(readout.user);
    const std::string port = cleanText(readout.port);
    const std::string fuelNames = joinLines(readout.fuelNames);
    db.query("INSERT INTO readout (uid, started_at, workstation, user_name, port,"
             " instrument_serial, fuel_names, outcome, record_count)"
             " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9) RETURNING id",
             {Text{uid}, Text{readout.startedAt}, Text{workstation}, Text{user}, Text{port},
              Bytes{readout.instrumentSerial}, Bytes{fuelNames}, Text{readout.outcome},
              std::int64_t{stored.records}},
             [&](const SqlRow& row) { stored.readout = row.integer(0); });

    std::vector<RecordToIndex> newRecords;
    for (std::size_t position = 0; position < records.size(); ++position) {
        const RecordLines& lines = records[position];
        const std::string joined = joinLines(lines);
        const std::string digest = recordDigest(readout.instrumentSerial, joined);
        const RecordFields fields = deriveFields(lines, readout.fuelNames);
        std::int64_t record = 0;
        db.query("INSERT INTO record (digest, instrument_serial, customer, measured_at, fuel,"
                 " line_types, line_count, lines, first_readout, first_position)"
                 " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10)"
                 " ON CONFLICT (digest) DO NOTHING RETURNING id",
                 {Bytes{digest}, Bytes{readout.instrumentSerial}, Bytes{fields.customer},
                  fields.measuredAt ? SqlValue{Text{*fields.measuredAt}} : SqlValue{nullptr},
                  Bytes{fields.fuel}, Text{fields.lineTypes},
                  static_cast<std::int64_t>(lines.size()), Bytes{joined}, stored.readout,
                  static_cast<std::int64_t>(position)},
                 [&](const SqlRow& row) { record = row.integer(0); });
        if (record != 0)
            newRecords.push_back({record, lines});
        else
            record = db.queryInteger("SELECT id FROM record WHERE digest = $1", {Bytes{digest}});
        db.execute("INSERT INTO readout_record (readout, position, record) VALUES ($1, $2, $3)",
                   {stored.readout, static_cast<std::int64_t>(position), record});
    }
    addMeasurementRows(db, newRecords);
    stored.newRecords = static_cast<int>(newRecords.size());
    transaction.commit();
    return stored;
}

std::int64_t Archive::countRecords(const RecordFilter& filter) {
    Conditions conditions(filter, db_->dialect());
    std::int64_t count = 0;
    db_->queryWith("SELECT count(*) FROM record r" + conditions.where(), conditions.params,
                   [&](const SqlRow& row) { count = row.integer(0); });
    return count;
}

std::vector<RecordSummary> Archive::listRecords(const RecordFilter& filter, RecordOrder order,
                                                std::int64_t offset, std::int64_t limit) {
    Conditions conditions(filter, db_->dialect());
    std::string sql = "SELECT " + std::string(SummaryColumns) + std::string(RecordsWithReadout) +
                      conditions.where() + orderBy(order);
    sql += paging(conditions, db_->dialect(), offset, limit);
    std::vector<RecordSummary> records;
    db_->queryWith(sql, conditions.params,
                   [&](const SqlRow& row) { records.push_back(summaryOf(row)); });
    return records;
}

void Archive::forEachRecord(const RecordFilter& filter, RecordOrder order,
                            const std::function<void(const ArchivedRecord&)>& onRecord) {
    Conditions conditions(filter, db_->dialect());
    const std::string sql = "SELECT " + std::string(SummaryColumns) +
                            ", r.lines, r.first_readout, ro.fuel_names" +
                            std::string(RecordsWithReadout) + conditions.where() + orderBy(order);
    // Records of one readout share its fuel names: split them once.
    std::map<std::int64_t, std::shared_ptr<const std::vector<std::string>>> fuelNames;
    db_->queryWith(sql, conditions.params, [&](const SqlRow& row) {
        auto& names = fuelNames[row.integer(10)];
        if (!names) {
            const std::string_view joined = row.bytes(11);
            names = std::make_shared<const std::vector<std::string>>(
                joined.empty() ? std::vector<std::string>() : splitLines(joined));
        }
        onRecord(ArchivedRecord{summaryOf(row), splitLines(row.bytes(9)), names});
    });
}

MeasurementCount Archive::countMeasurements(const RecordFilter& filter) {
    Conditions conditions(filter, db_->dialect());
    MeasurementCount count;
    db_->queryWith("SELECT count(*), count(DISTINCT CASE WHEN length(r.customer) > 0"
                   " THEN r.customer END), coalesce(max(CASE WHEN m.line_type >= 21 THEN 1 END), 0)"
                   " FROM measurement m JOIN record r ON r.id = m.record" +
                       conditions.where(),
                   conditions.params, [&](const SqlRow& row) {
                       count.measurements = row.integer(0);
                       count.customers = row.integer(1);
                       count.tests = row.integer(2) != 0;
                   });
    return count;
}

std::vector<ArchivedMeasurement> Archive::listMeasurements(const RecordFilter& filter,
                                                           MeasurementOrder order,
                                                           std::int64_t offset,
                                                           std::int64_t limit) {
    Conditions conditions(filter, db_->dialect());
    std::string sql = "SELECT m.record, m.position, m.line_type, m.measured_at";
    for (int k = FirstNumberValue; k <= LastNumberValue; ++k)
        sql += ", m.v" + std::to_string(k);
    sql += ", m.draft FROM measurement m JOIN record r ON r.id = m.record"
           " JOIN readout ro ON ro.id = r.first_readout" +
           conditions.where() + measurementOrderBy(order);
    sql += paging(conditions, db_->dialect(), offset, limit);
    std::vector<ArchivedMeasurement> rows;
    const auto real = [](const SqlRow& row, int column) {
        return row.isNull(column) ? std::nullopt : std::optional<double>(row.real(column));
    };
    db_->queryWith(sql, conditions.params, [&](const SqlRow& row) {
        ArchivedMeasurement& m = rows.emplace_back();
        m.record = row.integer(0);
        m.row.position = static_cast<int>(row.integer(1));
        m.row.lineType = static_cast<int>(row.integer(2));
        if (!row.isNull(3))
            m.row.measuredAt = row.text(3);
        int column = 4;
        for (int k = FirstNumberValue; k <= LastNumberValue; ++k)
            m.row.values[static_cast<std::size_t>(k)] = real(row, column++);
        m.row.draft = real(row, column);
    });
    return rows;
}

std::vector<std::string> Archive::fuels() {
    std::vector<std::string> names;
    db_->query("SELECT DISTINCT fuel FROM record ORDER BY fuel", {},
               [&](const SqlRow& row) { names.push_back(row.text(0)); });
    return names;
}

ArchiveStats Archive::stats() {
    Database& db = *db_;
    ArchiveStats s;
    db.query("SELECT count(*), count(DISTINCT instrument_serial),"
             " count(DISTINCT CASE WHEN length(customer) > 0 THEN customer END),"
             " min(measured_at), max(measured_at) FROM record",
             {}, [&](const SqlRow& row) {
                 s.records = row.integer(0);
                 s.instruments = row.integer(1);
                 s.customers = row.integer(2);
                 s.firstDate = row.isNull(3) ? "" : row.text(3);
                 s.lastDate = row.isNull(4) ? "" : row.text(4);
             });
    s.readouts = db.queryInteger("SELECT count(*) FROM readout");
    if (auto* file = dynamic_cast<SqliteDatabase*>(db_.get())) {
        db.query("SELECT synced_at, server FROM server_sync ORDER BY synced_at DESC LIMIT 1", {},
                 [&](const SqlRow& row) {
                     s.lastSync = row.text(0);
                     s.lastSyncServer = row.text(1);
                 });
        s.sizeOnDisk = file->sizeOnDisk();
    }
    return s;
}

std::vector<std::string> Archive::check() {
    Database& db = *db_;
    std::vector<std::string> problems;
    if (db.dialect() == Dialect::SQLite) {
        db.query("PRAGMA integrity_check", {}, [&](const SqlRow& row) {
            if (row.text(0) != "ok")
                problems.push_back("integrity: " + row.text(0));
        });
        db.query("PRAGMA foreign_key_check", {}, [&](const SqlRow& row) {
            problems.push_back(row.text(0) + " row " + std::to_string(row.integer(1)) +
                               " refers to a missing " + row.text(2));
        });
    }
    db.query("SELECT ro.id, ro.record_count, count(l.position) FROM readout ro"
             " LEFT JOIN readout_record l ON l.readout = ro.id"
             " GROUP BY ro.id, ro.record_count HAVING count(l.position) <> ro.record_count",
             {}, [&](const SqlRow& row) {
                 problems.push_back("readout " + std::to_string(row.integer(0)) + " should hold " +
                                    std::to_string(row.integer(1)) + " records and holds " +
                                    std::to_string(row.integer(2)));
             });
    db.query("SELECT r.id FROM record r WHERE NOT EXISTS (SELECT 1 FROM readout_record l"
             " WHERE l.readout = r.first_readout AND l.position = r.first_position"
             " AND l.record = r.id)",
             {}, [&](const SqlRow& row) {
                 problems.push_back("record " + std::to_string(row.integer(0)) +
                                    " is not in the readout that brought it");
             });
    std::map<std::int64_t, std::size_t> tableRows;
    db.query("SELECT record, count(*) FROM measurement GROUP BY record", {},
             [&](const SqlRow& row) {
                 tableRows[row.integer(0)] = static_cast<std::size_t>(row.integer(1));
             });
    db.query("SELECT id, instrument_serial, lines, digest, line_count FROM record", {},
             [&](const SqlRow& row) {
                 const std::string id = std::to_string(row.integer(0));
                 const RecordLines lines = splitLines(row.bytes(2));
                 if (recordDigest(row.bytes(1), row.bytes(2)) != row.bytes(3))
                     problems.push_back("record " + id + ": its lines do not match its identity");
                 else if (lines.size() != static_cast<std::size_t>(row.integer(4)))
                     problems.push_back("record " + id + ": wrong number of lines");
                 else if (measurementRows(lines).size() != tableRows[row.integer(0)])
                     problems.push_back("record " + id + ": its table rows do not match its lines");
             });
    return problems;
}

} // namespace ovena::archive
