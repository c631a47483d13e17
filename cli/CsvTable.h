#pragma once

#include "platform/Components.h"

#include <string_view>

namespace ovena::cli {

// The field separator of a delimited table: of ";", TAB and "," the one found most often outside
// quotes in its first record, a tie going to the earlier (decimal commas make "," the weakest);
// "," when none is there.
char detectSeparator(std::string_view csv);

// Reads delimited values (RFC 4180 with the given separator: fields may be quoted, a quote
// inside a quoted field is doubled, quoted fields may hold line breaks; records end with CR LF
// or LF) into a grid: record 0 is grid row 0, the captions. Bytes are kept as they are. Short
// records leave their remaining cells empty. Throws std::runtime_error for a quote that is
// never closed.
void readCsvTable(std::string_view csv, StringGrid& grid, char separator = ',');

} // namespace ovena::cli
