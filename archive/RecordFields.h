#pragma once

#include "platform/NumberText.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovena::archive {

// The lines of one record, each a reply of the instrument without its carriage return:
// Windows-1252 bytes, kept exactly.
using RecordLines = std::vector<std::string>;

// What the archive derives from a record's lines (read as one visit, instrument/Visit.h), so
// records can be found without reading their lines. The lines themselves stay the record.
struct RecordFields {
    // The visit's customer number; empty when the record has none.
    std::string customer;
    // The date and time of the first measurement or test line (isoDateTime); none when the
    // record has no such line or its digits are not a date.
    std::optional<std::string> measuredAt;
    // The fuel name of that line as the table shows it (its fuel number, clamped to the fuel
    // names read); empty without a measurement or without fuel names.
    std::string fuel;
    // The line types in order, comma-separated ("1,12,2"); "?" for a line whose first item is
    // not a number.
    std::string lineTypes;
};

// `fuelNames` holds fuel 1 first.
RecordFields deriveFields(const RecordLines& lines, const std::vector<std::string>& fuelNames);

// The values of a measurement or test line kept as numbers, by their number: value 3 (the air
// temperature) to value 21 (NOx). Values 1 and 2 are the date and the fuel.
inline constexpr int FirstNumberValue = 3;
inline constexpr int LastNumberValue = 21;

// One row of the table a record makes on its own (instrument::Visit::rows): a row opens at each
// customer line and at each measurement or test line that does not fill the row a customer line
// opened. So a record of a customer, three tests and a measurement makes four rows.
struct MeasurementRow {
    int position = 0; // the row's place among the visit's rows, from 0
    // The type of the line that filled the row (2 a measurement, 21 to 23 a test), or 1 for a
    // row that only a customer line opened.
    int lineType = 0;
    std::optional<std::string> measuredAt; // as RecordFields::measuredAt
    // values[k] is the number value k of the line holds (numberValue); none where it holds no
    // number.
    std::array<std::optional<double>, LastNumberValue + 1> values;
    // The number of the draft that applies to a measurement; none for a test.
    std::optional<double> draft;
};

std::vector<MeasurementRow> measurementRows(const RecordLines& lines);

// The date and time of ten digits YYMMDDhhmm in ISO 8601 ("2023-12-24T15:30", the year 20YY);
// none when they are not a date.
std::optional<std::string> isoDateTime(std::string_view digits);

// A record's lines, or a readout's fuel names, as one byte string: joined by carriage returns,
// which no reply of the instrument can hold (a reply ends at one).
std::string joinLines(const std::vector<std::string>& lines);
std::vector<std::string> splitLines(std::string_view joined);

// Whether a text can be one of the joined lines (it holds no carriage return).
bool fitsOneLine(std::string_view text);

// A record's identity: SHA-256 of its instrument serial and its exact lines (32 bytes). The same
// record read again, on any workstation, has the same identity.
std::string recordDigest(std::string_view instrumentSerial, std::string_view joinedLines);

// The text as valid UTF-8 without zero bytes (others become "?"), for the archive's text columns
// (workstation, user, port), which a server stores as UTF-8.
std::string cleanText(std::string_view text);

} // namespace ovena::archive
