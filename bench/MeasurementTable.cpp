#include "MeasurementTable.h"

#include "sim/MemoryGenerator.h"
#include "table/OutputSettings.h"
#include "table/TableBuilder.h"

namespace ovena::bench {

StringGrid measurementTable(int rows) {
    // A full generated memory gives at least one row per record: its record lines, repeated
    // as often as needed, go through the table builder, and the table is cut to size.
    const sim::InstrumentMemory memory = sim::generateMemory(sim::maxRecords, 1, 8);
    const int copies = rows / sim::maxRecords + 1;
    Memo recordLines;
    for (int copy = 0; copy < copies; ++copy)
        for (const auto& record : memory.records)
            recordLines.Lines.insert(recordLines.Lines.end(), record.begin(), record.end());
    FuelNameTable fuelNames;
    for (std::size_t i = 0; i < memory.fuelNames.size(); ++i)
        fuelNames[i + 1] = memory.fuelNames[i];
    StringGrid grid;
    BuildTable(recordLines, memory.serial, fuelNames, static_cast<int>(memory.fuelNames.size()),
               OutputSettings(), grid);
    grid.SetRowCount(rows + 1);
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
