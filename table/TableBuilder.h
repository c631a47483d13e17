#pragma once

#include "instrument/Visit.h"
#include "platform/Components.h"
#include "table/OutputSettings.h"
#include "table/TableFormat.h"

#include <array>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ovena {

// The fuel names read from the instrument: entries 1 to MaxFuels are used, entry 0 never.
inline constexpr int MaxFuels = 60;
using FuelNameTable = std::array<std::string, MaxFuels + 1>;

// The test lines and the efficiency, as the instrument model defines them.
using instrument::EfficiencyFromLoss;
using instrument::FirstTestLine;
using instrument::LastTestLine;

// The text with every "," and every "." replaced by `decimalChar`.
std::string ApplyDecimalDelimiter(std::string_view text, char decimalChar);

// Renders the ten digits YYMMDDhhmm of a record's date and time in one of the five layouts of
// "Date Time format" (0 to 4, DateLayout; any other number renders as layout 0), with two blanks
// between date and time. A shorter text gives shorter parts.
std::string FormatDateTimeField(std::string_view text, int layout, bool twoDigitYear);

// The texts of the heading row: the label column's ("Prova" when the records hold test
// measurements, else empty), then the heading of each field shown in catalogue order (the test
// heading when the records hold tests), followed by two blanks and its unit when the format puts
// units in the headings.
std::vector<std::string> TableHeadings(const TableFormat& format, bool hasTestRecords);

// Empties every cell; the row and column counts stay.
void ClearTable(StringGrid& grid);

// Record lines with the instrument they were read from: its serial number and its fuel names.
// All must outlive the table build.
struct TableRecord {
    std::span<const std::string> lines;
    const std::string& instrumentSerial;
    const FuelNameTable& fuelNames;
    int fuelCount;
};

// Records gathered for one table, each with its instrument's serial number and fuel names
// (fuel 1 first); records sharing one list of fuel names share its table.
class TableRecordList {
public:
    void add(std::vector<std::string> lines, std::string instrumentSerial,
             std::shared_ptr<const std::vector<std::string>> fuelNames);
    // Valid while the list lives unchanged.
    std::vector<TableRecord> records() const;
    bool empty() const { return entries_.empty(); }

private:
    struct Entry {
        std::vector<std::string> lines;
        std::string serial;
        const FuelNameTable* fuelNames;
        int fuelCount;
    };
    std::vector<Entry> entries_;
    std::map<const void*, std::pair<std::shared_ptr<const std::vector<std::string>>, FuelNameTable>>
        fuelTables_;
};

// Fills `grid` from record lines: row 0 the headings, then one row per row of the records'
// visits (instrument::Visit) with the fields shown in catalogue order from column 1, the label
// column 0 and one empty column after the last field. The records are read as one sequence of
// lines, in order (instrument::VisitReader); each record's rows show its own serial number and
// fuel names, so records of several instruments make one table. The caller applies the export
// options first and starts the export once the table is built.
void BuildTable(std::span<const TableRecord> records, const TableFormat& format, StringGrid& grid);

// The same for the lines of one readout.
void BuildTable(const Memo& recordLines, const std::string& instrumentSerial,
                const FuelNameTable& fuelNames, int fuelCount, const TableFormat& format,
                StringGrid& grid);

// The cells of row `row` (of visit.rows) in the table the record makes on its own, by grid
// column as BuildTable fills them; empty cells when the visit has no such row. `visit` is the
// record read on its own (instrument::readVisit).
std::vector<std::string> RowCells(const TableRecord& record, const instrument::Visit& visit,
                                  std::size_t row, const TableFormat& format);

} // namespace ovena
