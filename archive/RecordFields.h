#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovena::archive {

// The lines of one record, each a reply of the instrument without its carriage return:
// Windows-1252 bytes, kept exactly.
using RecordLines = std::vector<std::string>;

// What the archive derives from a record's lines, so records can be found without reading
// their lines. The lines themselves stay the record.
struct RecordFields {
    // Value 1 of the first customer line; empty when the record has none.
    std::string customer;
    // The date and time of the first measurement or test line ("2023-12-24T15:30", from the
    // digits YYMMDDhhmm, year 20YY); none when the record has no such line or its digits are
    // not a date.
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

// The date and time of ten digits YYMMDDhhmm in ISO 8601; none when they are not a date.
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
