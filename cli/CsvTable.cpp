#include "CsvTable.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace ovena::cli {

char detectSeparator(std::string_view csv) {
    constexpr std::string_view candidates = ";\t,";
    std::size_t counts[candidates.size()] = {};
    bool quoted = false;
    for (const char c : csv) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\r' || c == '\n'))
            break;
        else if (const auto k = candidates.find(c); !quoted && k != std::string_view::npos)
            ++counts[k];
    }
    const auto most = std::max_element(std::begin(counts), std::end(counts));
    return *most == 0 ? ',' : candidates[static_cast<std::size_t>(most - std::begin(counts))];
}

void readCsvTable(std::string_view csv, StringGrid& grid, char separator) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    bool fieldStarted = false;
    auto endField = [&] {
        record.push_back(std::move(field));
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        endField();
        records.push_back(std::move(record));
        record.clear();
    };
    for (std::size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < csv.size() && csv[i + 1] == '"')
                field += csv[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
            fieldStarted = true;
        } else if (c == separator) {
            endField();
            fieldStarted = true;
        } else if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') {
            ++i;
            endRecord();
        } else if (c == '\n') {
            endRecord();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted)
        throw std::runtime_error("a quoted field is not closed");
    if (fieldStarted || !record.empty())
        endRecord();

    std::size_t columns = 0;
    for (const auto& r : records)
        columns = std::max(columns, r.size());
    grid.SetColCount(static_cast<int>(columns));
    grid.SetRowCount(static_cast<int>(records.size()));
    for (std::size_t r = 0; r < records.size(); ++r)
        for (std::size_t c = 0; c < records[r].size(); ++c)
            grid.SetCell(static_cast<int>(c), static_cast<int>(r), std::move(records[r][c]));
}

} // namespace ovena::cli
