#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ovena::biff {

// The stream variant for a locale identifier given as hexadecimal text ("00000409"): 2 for the
// twelve locales whose spreadsheet programs expect the BIFF2 BOF and DIMENSIONS, 5 for every
// other. Only the low 16 bits of the identifier count. A text that is not hexadecimal throws
// ExportError.
std::uint8_t variantForLocale(std::string_view localeText);

// Where the rows above the table go on the sheet (zero-based rows, -1 for none).
struct SheetRows {
    int TitleRow = -1;
    int StampRow = -1;
    int HeaderRow = -1; // the first header line; the others follow it row by row
    // The caption row; data row n (from 1) goes to CaptionRow + n. Without captions it is the
    // row before the first data row, which stays empty or holds the last line above the table.
    int CaptionRow = 0;
};

// Title, time stamp and header lines stack from row 0 down. An empty row separates the header
// from a title or time stamp above it, and one more follows the whole block.
SheetRows placeRows(bool hasTitle, bool hasStamp, std::size_t headerLines, bool showColHeaders);

} // namespace ovena::biff
