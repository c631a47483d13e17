#include "MeasurementTable.h"

#include "sim/MemoryGenerator.h"
#include "table/OutputSettings.h"
#include "table/TableBuilder.h"

namespace ovena::bench {

namespace {

// The table builder over one full generated memory: every record holds at least one
// measurement line, so it gives at least maxRecords rows.
StringGrid fullMemoryTable() {
    const sim::InstrumentMemory memory = sim::generateMemory(sim::maxRecords, 1, 8);
    Memo recordLines;
    for (const auto& record : memory.records)
        recordLines.Lines.insert(recordLines.Lines.end(), record.begin(), record.end());
    FuelNameTable fuelNames;
    for (std::size_t i = 0; i < memory.fuelNames.size(); ++i)
        fuelNames[i + 1] = memory.fuelNames[i];
    StringGrid grid;
    BuildTable(recordLines, memory.serial, fuelNames, static_cast<int>(memory.fuelNames.size()),
               OutputSettings(), grid);
    return grid;
}

} // namespace

StringGrid measurementTable(int rows) {
    const StringGrid memory = fullMemoryTable();
    const int memoryRows = memory.RowCount() - 1;
    StringGrid grid(memory.ColCount(), rows + 1);
    // Larger tables repeat the memory's rows: the table builder grows its grid a row at a time,
    // which does not scale to tables far beyond the instrument's memory.
    for (int r = 0; r <= rows; ++r) {
        const int from = r == 0 ? 0 : 1 + (r - 1) % memoryRows;
        for (int c = 0; c < grid.ColCount(); ++c)
            grid.SetCell(c, r, memory.Cell(c, from));
    }
    grid.SetColWidth(0, 0);
    grid.SetColWidth(grid.ColCount() - 1, 0);
    return grid;
}

long long dataCells(const StringGrid& grid) {
    long long columns = 0;
    for (int c = 0; c < grid.ColCount(); ++c)
        columns += grid.ColWidth(c) > 0 ? 1 : 0;
    return columns * (grid.RowCount() - 1);
}

} // namespace ovena::bench
