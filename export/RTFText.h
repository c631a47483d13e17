#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ovena {

// The pieces of the RTF document. Texts are Windows-1252 bytes; the document declares
// \ansicpg1252 and writes bytes of 128 and above as \'xx.

// The paper a document is printed on, in twips, as laid (width and height swapped when
// landscape).
struct RTFPage {
    int width = 11906; // A4
    int height = 16838;
    bool landscape = false;
};

// Whether the locale (a hexadecimal identifier such as "00000409") prints on US Letter: the
// United States, Canada and Mexico; every other, and a text that is no identifier, on A4.
bool usesLetterPaper(std::string_view localeText);
// The paper for a table `tableWidth` twips wide between margins `horizontalMargins` twips wide
// together: upright, or landscape when the table is wider than the upright printable width.
RTFPage rtfPage(bool letter, int tableWidth, int horizontalMargins);

// The document prologue with font table, colour table, style sheet, the page margins in twips,
// the paper and a page footer with the page number ("Page 2 of 5"): nine lines joined by CR LF,
// without a final line end.
std::string rtfPrologue(unsigned leftMargin, unsigned rightMargin, unsigned topMargin,
                        unsigned bottomMargin, const RTFPage& page);

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

// The space between a cell's text and its neighbour's, in twips, on either side, and the size of
// the cells' text in half points.
inline constexpr int RTFCellGap = 108;
inline constexpr int RTFCellFontSize = 16;

// A table's columns within a printable width. A table that fits keeps the boundaries of
// rtfCellBoundaries; a wider one shares the width among its columns by their texts' lengths
// (at least 5 characters each), with narrow gaps and 6-point text, so that words stay whole.
struct RTFColumns {
    std::vector<int> boundaries;
    int gap = RTFCellGap;
    int fontSize = RTFCellFontSize;
};
RTFColumns rtfFitColumns(const std::vector<int>& columnWidths, bool numberRows, int printableWidth);
// A row opening with the cells' text in the columns' font size.
std::string rtfWithCellFont(std::string_view opening, const RTFColumns& columns);

// A row definition in the layout: one line per cell boundary, the layout's prefix (which
// closes the open group) on the first line and its suffix (which opens the group of the row's
// cells) on the last. The caption row repeats at the top of every page.
std::vector<std::string> rtfRowDefinition(RTFRowLayout layout, const RTFColumns& columns);

} // namespace ovena
