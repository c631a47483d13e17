#include "table/TableBuilder.h"

#include "link/Funcs.h"

#include <algorithm>

namespace ovena {

namespace {

using instrument::Measurement;
using instrument::Row;
using instrument::Visit;

constexpr std::string_view TestTableLabel = "Prova";
constexpr std::array<std::string_view, 3> TestRowLabels = {"Pr.1", "Pr.2", "Pr.3"};
constexpr std::string_view MeanLabel = "Med.";

// Characters `first` (from 1) to `first + count - 1` of the text, fewer where it ends.
std::string_view part(std::string_view text, std::size_t first, std::size_t count) {
    return first <= text.size() ? text.substr(first - 1, count) : std::string_view{};
}

// Writes the rows of visits into the grid, one after the other.
class TableRun {
public:
    TableRun(const TableFormat& format, StringGrid& grid)
        : format_(format), grid_(grid),
          firstDataColumn_(1 + format.shows(FieldSerialNo) + format.shows(FieldCustomerNo)) {}

    // The rows that follow come from this record's instrument.
    void readFrom(const TableRecord& record) {
        instrumentSerial_ = &record.instrumentSerial;
        fuelNames_ = &record.fuelNames;
        fuelCount_ = std::min(record.fuelCount, MaxFuels);
    }

    void writeHeadings(bool hasTestRecords) {
        std::vector<std::string> headings = TableHeadings(format_, hasTestRecords);
        // One empty column follows the last field's; without a field the count stays.
        if (headings.size() > 1)
            grid_.SetColCount(static_cast<int>(headings.size()) + 1);
        for (std::size_t column = hasTestRecords ? 0 : 1; column < headings.size(); ++column)
            grid_.SetCell(static_cast<int>(column), 0, std::move(headings[column]));
    }

    void addVisit(const Visit& visit) {
        if (visit.lineTypes.empty())
            return;
        // The row count follows each line: a first line that opens no row sets it too.
        const bool firstLineOpensRow = !visit.rows.empty() && visit.rows.front().line == 0 &&
                                       visit.rows.front().openedBy != Row::Opening::EarlierRecord;
        if (!firstLineOpensRow)
            grid_.SetRowCount(row_ + 1);
        for (const Row& row : visit.rows) {
            if (row.openedBy != Row::Opening::EarlierRecord)
                openRow();
            if (row.openedBy == Row::Opening::CustomerLine) {
                writeIdentity(row_, *row.customer);
            } else if (row.openedBy == Row::Opening::Measurement && row_ > 1) {
                // A measurement of the same customer as the row above gets that row's identity
                // cells; a measurement before any customer line leaves them empty.
                for (int column = 1; column < firstDataColumn_; ++column)
                    grid_.SetCell(column, row_, grid_.Cell(column, row_ - 1));
            }
            if (row.measurement)
                writeMeasurement(row_, visit.measurements[*row.measurement]);
        }
    }

    // Row `row` of a visit in grid row 1, with the identity cells the row shows within its
    // record.
    void writeOwnRow(const Visit& visit, const Row& row) {
        if (row.customer)
            writeIdentity(1, *row.customer);
        if (row.measurement)
            writeMeasurement(1, visit.measurements[*row.measurement]);
    }

private:
    void openRow() {
        ++row_;
        grid_.SetRowCount(row_ + 1);
    }

    std::string decimal(std::string_view text) const {
        return ApplyDecimalDelimiter(text, format_.decimalMark);
    }

    void writeIdentity(int row, const std::string& customerNo) {
        int column = 1;
        if (format_.shows(FieldSerialNo))
            grid_.SetCell(column++, row, *instrumentSerial_);
        if (format_.shows(FieldCustomerNo))
            grid_.SetCell(column, row, customerNo);
    }

    void writeMeasurement(int row, const Measurement& m) {
        using instrument::Field;
        if (m.isTest())
            grid_.SetCell(0, row, std::string(TestRowLabels[static_cast<std::size_t>(m.test - 1)]));
        else if (m.mean)
            grid_.SetCell(0, row, std::string(MeanLabel));

        int column = firstDataColumn_;
        for (int field = FieldDateTime; field < FieldDraft; ++field) {
            if (!format_.shows(field))
                continue;
            const auto f = static_cast<Field>(field);
            if (f == Field::DateTime)
                grid_.SetCell(column, row,
                              FormatDateTimeField(decimal(m.value(f).text),
                                                  static_cast<int>(format_.dateLayout),
                                                  format_.twoDigitYear));
            else if (f == Field::Fuel)
                grid_.SetCell(column, row, fuelName(m.fuel));
            else if (f != Field::Efficiency)
                grid_.SetCell(column, row, decimal(m.value(f).text));
            else if (const std::optional<double> efficiency = m.number(f))
                grid_.SetCell(column, row, decimal(FloatToText(*efficiency, 0, 1)));
            ++column;
        }

        // Tests leave the draft to the measurement that follows them.
        if (!m.isTest() && format_.shows(FieldDraft))
            grid_.SetCell(column, row, decimal(m.value(Field::Draft).text));
    }

    // Fuel numbers outside the table read as the nearest fuel that was read.
    const std::string& fuelName(int fuelNumber) const {
        return (*fuelNames_)[static_cast<std::size_t>(Clamp(fuelNumber, 1, fuelCount_))];
    }

    const TableFormat& format_;
    StringGrid& grid_;
    const int firstDataColumn_;
    const std::string* instrumentSerial_ = nullptr;
    const FuelNameTable* fuelNames_ = nullptr;
    int fuelCount_ = 0;
    int row_ = 0;
};

bool hasTestLines(const Visit& visit) {
    return std::any_of(visit.lineTypes.begin(), visit.lineTypes.end(),
                       [](int type) { return type >= FirstTestLine; });
}

} // namespace

std::vector<std::string> TableHeadings(const TableFormat& format, bool hasTestRecords) {
    std::vector<std::string> headings{hasTestRecords ? std::string(TestTableLabel) : ""};
    for (std::size_t i = 0; i < FieldCount; ++i) {
        if (!format.fields[i])
            continue;
        std::string heading(hasTestRecords ? TestFieldHeadings[i] : FieldHeadings[i]);
        if (format.unitsInHeadings)
            heading.append("  ").append(FieldUnits[i]);
        headings.push_back(std::move(heading));
    }
    return headings;
}

std::string ApplyDecimalDelimiter(std::string_view text, char decimalChar) {
    std::string result(text);
    std::replace_if(
        result.begin(), result.end(), [](char c) { return c == ',' || c == '.'; }, decimalChar);
    return result;
}

std::string FormatDateTimeField(std::string_view text, int layout, bool twoDigitYear) {
    const std::string_view yy = part(text, 1, 2);
    const std::string_view mm = part(text, 3, 2);
    const std::string_view dd = part(text, 5, 2);
    const std::string time = std::string(part(text, 7, 2)) + ":" + std::string(part(text, 9, 2));
    const std::string year = twoDigitYear ? std::string(yy) : "20" + std::string(yy);
    const auto join = [&](std::string_view a, std::string_view b, std::string_view c, char sep) {
        return std::string(a) + sep + std::string(b) + sep + std::string(c) + "  " + time;
    };
    switch (layout) {
    case 1:
        return join(mm, dd, year, '.');
    case 2:
        return join(year, mm, dd, '.');
    case 3:
        return join(year, mm, dd, '-');
    case 4:
        return join(year, mm, dd, '/');
    default:
        return join(dd, mm, year, '.');
    }
}

void TableRecordList::add(std::vector<std::string> lines, std::string instrumentSerial,
                          std::shared_ptr<const std::vector<std::string>> fuelNames) {
    auto& [names, table] = fuelTables_[fuelNames.get()];
    if (!names) {
        names = std::move(fuelNames);
        for (std::size_t i = 0; i < names->size() && i < MaxFuels; ++i)
            table[i + 1] = (*names)[i];
    }
    entries_.push_back(
        {std::move(lines), std::move(instrumentSerial), &table, static_cast<int>(names->size())});
}

std::vector<TableRecord> TableRecordList::records() const {
    std::vector<TableRecord> records;
    records.reserve(entries_.size());
    for (const Entry& e : entries_)
        records.push_back({e.lines, e.serial, *e.fuelNames, e.fuelCount});
    return records;
}

void ClearTable(StringGrid& grid) {
    for (int row = 0; row < grid.RowCount(); ++row)
        for (int column = 0; column < grid.ColCount(); ++column)
            grid.SetCell(column, row, {});
}

void BuildTable(std::span<const TableRecord> records, const TableFormat& format, StringGrid& grid) {
    instrument::VisitReader reader;
    std::vector<Visit> visits;
    visits.reserve(records.size());
    for (const TableRecord& record : records)
        visits.push_back(reader.read(record.lines));
    TableRun run(format, grid);
    run.writeHeadings(std::any_of(visits.begin(), visits.end(), hasTestLines));
    for (std::size_t i = 0; i < records.size(); ++i) {
        run.readFrom(records[i]);
        run.addVisit(visits[i]);
    }
}

void BuildTable(const Memo& recordLines, const std::string& instrumentSerial,
                const FuelNameTable& fuelNames, int fuelCount, const TableFormat& format,
                StringGrid& grid) {
    const TableRecord readout{recordLines.Lines, instrumentSerial, fuelNames, fuelCount};
    BuildTable(std::span(&readout, 1), format, grid);
}

std::vector<std::string> RowCells(const TableRecord& record, const instrument::Visit& visit,
                                  std::size_t row, const TableFormat& format) {
    StringGrid grid(1, 2);
    TableRun run(format, grid);
    run.readFrom(record);
    run.writeHeadings(hasTestLines(visit));
    if (row < visit.rows.size())
        run.writeOwnRow(visit, visit.rows[row]);
    std::vector<std::string> cells;
    cells.reserve(static_cast<std::size_t>(grid.ColCount()));
    for (int column = 0; column < grid.ColCount(); ++column)
        cells.push_back(grid.Cell(column, 1));
    return cells;
}

} // namespace ovena
