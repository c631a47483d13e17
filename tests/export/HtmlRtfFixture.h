#pragma once

#include "ExportFixture.h"

#include <string>
#include <string_view>
#include <vector>

namespace ovena::test {

// The export component of the test window with a table of our own, for the HTML and RTF
// writers: numbered rows, caption row and time stamp, no progress window.
class DocumentExportTest : public ExportTest {
protected:
    DocumentExportTest() {
        component->SetOptions(
            {TExportOption::NumberRows, TExportOption::ShowColHeaders, TExportOption::TimeStamp});
    }

    // Row 0 of `rows` holds the column titles, the rows below it the cells; every column shows.
    void setTable(const std::vector<std::vector<std::string>>& rows) {
        grid.SetRowCount(static_cast<int>(rows.size()));
        grid.SetColCount(rows.empty() ? 0 : static_cast<int>(rows.front().size()));
        for (int c = 0; c < grid.ColCount(); ++c)
            grid.SetColWidth(c, grid.DefaultColWidth);
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (std::size_t c = 0; c < rows[r].size(); ++c)
                grid.SetCell(static_cast<int>(c), static_cast<int>(r), rows[r][c]);
    }
    void setOption(TExportOption option, bool on) {
        TExportOptions options = component->Options();
        on ? options.insert(option) : options.erase(option);
        component->SetOptions(options);
    }
    void setHtmlOption(THTML_Option option, bool on) {
        on ? component->HTML_Options.insert(option) : component->HTML_Options.erase(option);
    }
};

// The main window's widest table: the headings of all 24 fields, as the table builder writes
// them, over `rows` rows of numbers with `fuel` in the fuel column.
inline std::vector<std::vector<std::string>> widestTable(int rows, const std::string& fuel) {
    std::vector<std::vector<std::string>> table{
        {"Serial No.", "Cust.No.", "Time",  "Fuel", "TA",   "TG",   "TB",       "O2",
         "CO2",        "CO",       "CO-0%", "NO",   "NOx",  "SO2",  "NO2",      "P",
         "Lambda",     "Qa",       "Eta",   "St 1", "St 2", "St 3", "Oil der.", "Draft[corr]"}};
    for (int r = 1; r <= rows; ++r) {
        std::vector<std::string> row(table.front().size(), std::to_string(r) + ",5");
        row[3] = fuel;
        table.push_back(std::move(row));
    }
    return table;
}

// The lines of a text whose lines end with CR LF; the last entry is what follows the last
// line end (empty when the text ends with CR LF).
inline std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// The depth of RTF groups left open at the end of a text: "{" opens, "}" closes, escaped
// braces ("\{", "\}") and escaped backslashes do not count. Answers -1 as soon as a group closes
// that was never opened.
inline int rtfBraceDepth(std::string_view rtf) {
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i; // the escaped character
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}' && --depth < 0) {
            return -1;
        }
    }
    return depth;
}

} // namespace ovena::test
