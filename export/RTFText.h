#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ovena {

// The pieces of the RTF document. Texts are Windows-1252 bytes; the document declares
// \ansicpg1252 and writes bytes of 128 and above as \'xx.

// The document prologue with font table, colour table, style sheet and the page margins in
// twips: nine lines joined by CR LF, without a final line end.
std::string rtfPrologue(unsigned leftMargin, unsigned rightMargin, unsigned topMargin,
                        unsigned bottomMargin);

// A text as RTF: "\", "{" and "}" escaped, bytes of 128 and above as \'xx, a TAB as "\tab ",
// an LF as "\par" CR LF; other control characters are dropped.
std::string rtfEscape(std::string_view text);

// The title paragraph in the heading style, followed by an empty paragraph.
std::string rtfTitleLine(std::string_view escapedTitle);
// Opens the group in which the text before the table is written.
inline constexpr std::string_view RTFBodyOpening =
    R"(\pard\plain\nowidctlpar\widctlpar\adjustright\fs20\cgrid {\f1\fs16)";
// Ends the previous data row and opens the next one with the same row definition.
inline constexpr std::string_view RTFMiddleRowOpening =
    R"(}\pard\nowidctlpar\widctlpar\intbl\adjustright{\f1\fs16\row})"
    R"(\pard\nowidctlpar\widctlpar\intbl\adjustright{\f1\fs16)";
// Ends a table cell.
inline constexpr std::string_view RTFCellEnd = "\\cell ";
// Ends the last table row, writes the footer paragraph and closes the document.
std::string rtfClosingLine(std::string_view escapedFooter);

enum class RTFRowLayout { Caption, FirstDataRow, LastDataRow };

// The right boundaries of the cells in twips: 90 twips per character of a column's width plus
// 3, the row-number column (when numberRows is set) 6 characters wide.
std::vector<int> rtfCellBoundaries(const std::vector<int>& columnWidths, bool numberRows);

// A row definition in the layout: one line per cell boundary, the layout's prefix (which
// closes the open group) on the first line and its suffix (which opens the group of the row's
// cells) on the last.
std::vector<std::string> rtfRowDefinition(RTFRowLayout layout, const std::vector<int>& boundaries);

} // namespace ovena
