#pragma once

#include "platform/Components.h"

#include <string_view>

namespace ovena::cli {

// Reads comma-separated values (RFC 4180: fields may be quoted, a quote inside a quoted field
// is doubled, quoted fields may hold line breaks; records end with CR LF or LF) into a grid:
// record 0 is grid row 0, the captions. Bytes are kept as they are. Short records leave their
// remaining cells empty. Throws std::runtime_error for a quote that is never closed.
void readCsvTable(std::string_view csv, StringGrid& grid);

} // namespace ovena::cli
