#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ovena {

// The text services of the xlsx workbook. Inputs are Windows-1252 bytes; results are UTF-8, the
// encoding of the workbook's XML.

// The most characters a cell can hold, and a page header or footer.
inline constexpr std::size_t XlsxCellCharacters = 32767;
inline constexpr std::size_t XlsxPageTextCharacters = 255;

// A cell's text as the workbook stores it: without the control characters XML 1.0 cannot carry
// (TAB, LF and CR stay), with every "_xHHHH_" of the text escaped as "_x005F_xHHHH_" so that
// readers do not decode it as a character code, and cut so that the stored form has at most
// XlsxCellCharacters characters (an escape is never cut in two).
std::string xlsxCellText(std::string_view text);

// The sheet name for a title: without the characters a name may not hold ([ ] : * ? / \ and
// control characters) and apostrophes around it, cut to 31 characters; "Worksheet" when
// nothing is left.
std::string xlsxSheetName(std::string_view title);

// A page header or footer: the cell rules for control characters, the picture code "&G" (and
// its long form "&[Picture]") dropped because the workbook has no pictures, centred ("&C" in
// front) unless it starts with a section code, and cut to XlsxPageTextCharacters characters.
// A literal ampersand ("&&") followed by "G" gets an invisible zero-width space between them,
// so it is not taken for a picture code either.
std::string xlsxPageText(std::string_view text);

} // namespace ovena
