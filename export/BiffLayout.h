#pragma once

#include "export/EC_Main.h"
#include "export/ExportList.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace ovena::biff {

// The stream variant for a locale identifier given as hexadecimal text ("00000409"): 2 for the
// twelve locales whose spreadsheet programs expect the BIFF2 BOF and DIMENSIONS, 5 for every
// other. Only the low 16 bits of the identifier count. A text that is not hexadecimal throws
// ExportError.
std::uint8_t variantForLocale(std::string_view localeText);

// Where the rows above the table go on the sheet (zero-based rows, -1 for none).
struct RowPlacement {
    int TitleRow = -1;
    int StampRow = -1;
    int HeaderRow = -1; // the first header line; the others follow it row by row
    // The caption row; data row n (from 1) goes to CaptionRow + n. Without captions it is the
    // row before the first data row, which stays empty or holds the last line above the table.
    int CaptionRow = 0;
};

// Title, time stamp and header lines stack from row 0 down. An empty row separates the header
// from a title or time stamp above it, and one more follows the whole block.
RowPlacement placeRows(bool hasTitle, bool hasStamp, std::size_t headerLines, bool showColHeaders);
// The same for the component's title, header and TimeStamp and ShowColHeaders options.
RowPlacement placeRows(const TExportXComponent& component);

// Writes one text cell of the sheet: the text, its zero-based row and column. The workbook
// writers lay out their sheets alike through it.
using SheetTextWriter = std::function<void(std::string_view text, int row, int column)>;

// Writes the rows above the table where `rows` puts them: the title, the time stamp, every
// header line and, with ShowColHeaders, the captions.
void writeRowsAboveTable(const TExportXComponent& component, const RowPlacement& rows,
                         std::string_view timeStamp, const ExportList& captions,
                         const SheetTextWriter& write);

// The row of the first footer line, one empty row after the last data row; -1 when the
// formatted footer is blank.
int footerRow(const TExportXComponent& component, int captionRow);
// Writes the formatted footer lines from `firstRow` down (nothing when it is -1).
void writeFooterRows(const TExportXComponent& component, int firstRow,
                     const SheetTextWriter& write);

} // namespace ovena::biff
