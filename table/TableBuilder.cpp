#include "table/TableBuilder.h"

#include "link/Funcs.h"
#include "link/Scan.h"

#include <algorithm>

namespace ovena {

namespace {

constexpr std::string_view TestTableLabel = "Prova";
constexpr std::array<std::string_view, 3> TestRowLabels = {"Pr.1", "Pr.2", "Pr.3"};
constexpr std::string_view MeasurementAfterTestLabel = "Med.";

// Values 1 to 21 of a measurement line; the draft value is value 4 of a draft line.
constexpr int MeasurementValues = 21;
constexpr int DraftValue = 4;

// Qa below this leaves the efficiency empty: no meaningful loss was measured.
constexpr double LeastLossForEfficiency = 0.1;

bool isTestLine(int type) {
    return type >= FirstTestLine && type <= LastTestLine;
}

int lineType(const std::string& line, int& cursor) {
    return TextToInt(NextToken(line, cursor));
}

// Characters `first` (from 1) to `first + count - 1` of the text, fewer where it ends.
std::string_view part(std::string_view text, std::size_t first, std::size_t count) {
    return first <= text.size() ? text.substr(first - 1, count) : std::string_view{};
}

// The working state of one table build.
class TableRun {
public:
    TableRun(const OutputSettings& settings, StringGrid& grid)
        : settings_(settings), grid_(grid), decimalChar_(DecimalChar(settings)),
          firstDataColumn_(1 + ticked(FieldSerialNo) + ticked(FieldCustomerNo)) {}

    // The lines that follow come from this record's instrument.
    void readFrom(const TableRecord& record) {
        instrumentSerial_ = &record.instrumentSerial;
        fuelNames_ = &record.fuelNames;
        fuelCount_ = std::min(record.fuelCount, MaxFuels);
    }

    void writeHeadings(bool hasTestRecords) {
        std::vector<std::string> headings = TableHeadings(settings_, hasTestRecords);
        // One empty column follows the last field's; without a field the count stays.
        if (headings.size() > 1)
            grid_.SetColCount(static_cast<int>(headings.size()) + 1);
        for (std::size_t column = hasTestRecords ? 0 : 1; column < headings.size(); ++column)
            grid_.SetCell(static_cast<int>(column), 0, std::move(headings[column]));
    }

    void addLine(const std::string& line) {
        int cursor = 1;
        const int type = lineType(line, cursor);
        if (type == CustomerLine)
            addCustomerLine(line, cursor);
        else if (type == MeasurementLine || isTestLine(type))
            addMeasurementLine(type, line, cursor);
        else if (type == DraftLine)
            readDraftLine(line, cursor);
        grid_.SetRowCount(row_ + 1);
    }

private:
    bool ticked(int field) const {
        return settings_.Listboxfields.Checked[static_cast<std::size_t>(field)];
    }

    void openRow() {
        ++row_;
        grid_.SetRowCount(row_ + 1);
    }

    void addCustomerLine(const std::string& line, int& cursor) {
        const std::string customerNo = NextToken(line, cursor);
        rowOpen_ = true;
        openRow();
        int column = 1;
        if (ticked(FieldSerialNo))
            grid_.SetCell(column++, row_, *instrumentSerial_);
        if (ticked(FieldCustomerNo))
            grid_.SetCell(column, row_, customerNo);
    }

    void addMeasurementLine(int type, const std::string& line, int& cursor) {
        if (!rowOpen_) {
            // A measurement of the same customer as the row above gets a row of its own with
            // that row's identity cells. A measurement before any customer line gets a new row
            // too, so it never fills the heading row; its identity cells stay empty.
            openRow();
            if (row_ > 1)
                for (int column = 1; column < firstDataColumn_; ++column)
                    grid_.SetCell(column, row_, grid_.Cell(column, row_ - 1));
        }
        rowOpen_ = false;

        if (isTestLine(type)) {
            grid_.SetCell(0, row_, std::string(TestRowLabels[type - FirstTestLine]));
            afterTestRow_ = true;
        } else if (afterTestRow_) {
            grid_.SetCell(0, row_, std::string(MeasurementAfterTestLabel));
            afterTestRow_ = false;
        }

        std::array<std::string, MeasurementValues + 1> values; // values[1] to values[21]
        for (int k = 1; k <= MeasurementValues; ++k)
            values[k] = ApplyDecimalDelimiter(NextToken(line, cursor), decimalChar_);
        const std::size_t dateValue = FieldTokenMap[FieldDateTime];
        values[dateValue] = FormatDateTimeField(values[dateValue], settings_.RadioGroup1.ItemIndex,
                                                settings_.RadioGroup2.ItemIndex == 1);

        int column = firstDataColumn_;
        int efficiencyColumn = -1;
        for (int field = FieldDateTime; field < FieldDraft; ++field) {
            if (!ticked(field))
                continue;
            if (field == FieldFuel)
                grid_.SetCell(column, row_, fuelName(values[FieldTokenMap[FieldFuel]]));
            else if (field == FieldEfficiency)
                efficiencyColumn = column;
            else
                grid_.SetCell(column, row_, values[FieldTokenMap[field]]);
            ++column;
        }

        if (efficiencyColumn >= 0) {
            const std::optional<double> efficiency =
                EfficiencyFromLoss(TextToFloat(values[FieldTokenMap[FieldEfficiency]]));
            if (efficiency)
                grid_.SetCell(efficiencyColumn, row_,
                              ApplyDecimalDelimiter(FloatToText(*efficiency, 0, 1), decimalChar_));
        }

        // Test measurements leave the draft to the measurement that follows them.
        if (type == MeasurementLine && ticked(FieldDraft)) {
            grid_.SetCell(column, row_, pendingDraft_);
            pendingDraft_.clear();
        }
    }

    void readDraftLine(const std::string& line, int& cursor) {
        for (int k = 1; k < DraftValue; ++k)
            NextToken(line, cursor);
        pendingDraft_ = ApplyDecimalDelimiter(NextToken(line, cursor), decimalChar_);
    }

    // Fuel numbers outside the table read as the nearest fuel that was read.
    const std::string& fuelName(const std::string& fuelNumber) const {
        return (*fuelNames_)[static_cast<std::size_t>(Clamp(TextToInt(fuelNumber), 1, fuelCount_))];
    }

    const std::string* instrumentSerial_ = nullptr;
    const FuelNameTable* fuelNames_ = nullptr;
    int fuelCount_ = 0;
    const OutputSettings& settings_;
    StringGrid& grid_;
    const char decimalChar_;
    const int firstDataColumn_;

    int row_ = 0;
    // A customer line opened the current row and no measurement has filled it yet.
    bool rowOpen_ = false;
    bool afterTestRow_ = false;
    std::string pendingDraft_;
};

} // namespace

std::vector<std::string> TableHeadings(const OutputSettings& settings, bool hasTestRecords) {
    std::vector<std::string> headings{hasTestRecords ? std::string(TestTableLabel) : ""};
    for (std::size_t i = 0; i < FieldCount; ++i) {
        if (!settings.Listboxfields.Checked[i])
            continue;
        std::string heading(hasTestRecords ? TestFieldHeadings[i] : FieldHeadings[i]);
        if (settings.CBDimension.Checked)
            heading.append("  ").append(FieldUnits[i]);
        headings.push_back(std::move(heading));
    }
    return headings;
}

std::optional<double> EfficiencyFromLoss(double qa) {
    if (qa < LeastLossForEfficiency)
        return std::nullopt;
    return 100.0 - qa;
}

char DecimalChar(const OutputSettings& settings) {
    return settings.RadioGroup3.ItemIndex == 1 ? '.' : ',';
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

void BuildTable(std::span<const TableRecord> records, const OutputSettings& settings,
                StringGrid& grid) {
    const auto isTestLine = [](const std::string& line) {
        int cursor = 1;
        return lineType(line, cursor) >= FirstTestLine;
    };
    const bool hasTestRecords = std::any_of(records.begin(), records.end(), [&](const auto& r) {
        return std::any_of(r.lines.begin(), r.lines.end(), isTestLine);
    });
    TableRun run(settings, grid);
    run.writeHeadings(hasTestRecords);
    for (const TableRecord& record : records) {
        run.readFrom(record);
        for (const std::string& line : record.lines)
            run.addLine(line);
    }
}

void BuildTable(const Memo& recordLines, const std::string& instrumentSerial,
                const FuelNameTable& fuelNames, int fuelCount, const OutputSettings& settings,
                StringGrid& grid) {
    const TableRecord readout{recordLines.Lines, instrumentSerial, fuelNames, fuelCount};
    BuildTable(std::span(&readout, 1), settings, grid);
}

} // namespace ovena
