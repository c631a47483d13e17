#pragma once

#include "archive/Database.h"
#include "archive/RecordFields.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ovena::archive {

// The measurement table holds the table rows of every record (MeasurementRow), so a view can
// count, sort and page rows, and chart their values, in the store.

// One record's lines, by the record's id.
struct RecordToIndex {
    std::int64_t record = 0;
    RecordLines lines;
};

// Adds the rows of these records to the measurement table.
void addMeasurementRows(Database& db, const std::vector<RecordToIndex>& records);

// Adds the rows of the records that have none yet and meet `condition` (SQL on the record as
// "r", with `params` as $1, ...; empty for every record).
void addMissingMeasurementRows(Database& db, std::string_view condition = {}, Params params = {});

} // namespace ovena::archive
