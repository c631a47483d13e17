#include "archive/Measurements.h"

#include <algorithm>

namespace ovena::archive {

namespace {

// Rows per statement; each has 24 parameters. A server gets many rows per round trip. SQLite
// has no round trips, and it looks each numbered parameter up among those before it when it
// compiles a statement, so long statements there cost time by the square of their length.
std::size_t rowsPerStatement(Dialect dialect) {
    return dialect == Dialect::PostgreSQL ? 500 : 20;
}
// Records read at once while rows are added to records that lack them.
constexpr std::int64_t RecordsPerBatch = 2000;

constexpr std::string_view Columns =
    "record, position, line_type, measured_at, v3, v4, v5, v6, v7, v8, v9, v10, v11, v12, v13,"
    " v14, v15, v16, v17, v18, v19, v20, v21, draft";

struct PlacedRow {
    std::int64_t record;
    MeasurementRow row;
};

std::string placeholders(Dialect dialect, std::size_t first) {
    // PostgreSQL is told each parameter's type, as it reads them all from text.
    static constexpr std::string_view Types[] = {"bigint", "integer", "integer", "text"};
    const bool postgres = dialect == Dialect::PostgreSQL;
    std::string sql = "(";
    for (std::size_t i = 0; i < 24; ++i) {
        if (i > 0)
            sql += ", ";
        sql += "$" + std::to_string(first + i + 1);
        if (postgres)
            sql += "::" + std::string(i < 4 ? Types[i] : "double precision");
    }
    return sql + ")";
}

void insert(Database& db, const std::vector<PlacedRow>& rows) {
    const std::size_t perStatement = rowsPerStatement(db.dialect());
    for (std::size_t first = 0; first < rows.size(); first += perStatement) {
        const std::size_t end = std::min(rows.size(), first + perStatement);
        std::string sql = "INSERT INTO measurement (" + std::string(Columns) + ") VALUES ";
        std::vector<SqlValue> params;
        params.reserve((end - first) * 24);
        for (std::size_t i = first; i < end; ++i) {
            sql += (i == first ? "" : ", ") + placeholders(db.dialect(), params.size());
            const MeasurementRow& row = rows[i].row;
            params.push_back(rows[i].record);
            params.push_back(std::int64_t{row.position});
            params.push_back(std::int64_t{row.lineType});
            params.push_back(row.measuredAt ? SqlValue{Text{*row.measuredAt}} : SqlValue{nullptr});
            for (int k = FirstNumberValue; k <= LastNumberValue; ++k) {
                const std::optional<double>& value = row.values[static_cast<std::size_t>(k)];
                params.push_back(value ? SqlValue{*value} : SqlValue{nullptr});
            }
            params.push_back(row.draft ? SqlValue{*row.draft} : SqlValue{nullptr});
        }
        db.executeWith(sql, params);
    }
}

} // namespace

void addMeasurementRows(Database& db, const std::vector<RecordToIndex>& records) {
    std::vector<PlacedRow> rows;
    for (const RecordToIndex& record : records)
        for (MeasurementRow& row : measurementRows(record.lines))
            rows.push_back({record.record, std::move(row)});
    insert(db, rows);
}

void addMissingMeasurementRows(Database& db, std::string_view condition, Params params) {
    std::vector<SqlValue> values(params.begin(), params.end());
    const std::string after = "$" + std::to_string(values.size() + 1);
    const std::string sql = "SELECT r.id, r.lines FROM record r WHERE r.id > " + after +
                            (condition.empty() ? "" : " AND " + std::string(condition)) +
                            " AND NOT EXISTS (SELECT 1 FROM measurement m WHERE m.record = r.id)"
                            " ORDER BY r.id LIMIT " +
                            std::to_string(RecordsPerBatch);
    values.push_back(std::int64_t{0});
    for (;;) {
        std::vector<RecordToIndex> records;
        db.queryWith(sql, values, [&](const SqlRow& row) {
            records.push_back({row.integer(0), splitLines(row.bytes(1))});
        });
        if (records.empty())
            return;
        addMeasurementRows(db, records);
        values.back() = records.back().record;
    }
}

} // namespace ovena::archive
