#include "MeasurementTable.h"

#include "sim/MemoryGenerator.h"
#include "table/OutputSettings.h"
#include "table/TableBuilder.h"

namespace ovena::bench {

StringGrid measurementTable(int rows) {
    Memo recordLines;
    FuelNameTable fuelNames;
    sim::InstrumentMemory memory;
    // Every generated record holds at least one measurement line, so full memories of
    // different seeds give enough rows.
    const int memories = (rows + sim::maxRecords - 1) / sim::maxRecords;
    for (int seed = 1; seed <= memories; ++seed) {
        memory = sim::generateMemory(sim::maxRecords, static_cast<std::uint64_t>(seed), 8);
        for (const auto& record : memory.records)
            recordLines.Lines.insert(recordLines.Lines.end(), record.begin(), record.end());
    }
    for (std::size_t i = 0; i < memory.fuelNames.size(); ++i)
        fuelNames[i + 1] = memory.fuelNames[i];

    OutputSettings settings;
    StringGrid grid;
    BuildTable(recordLines, memory.serial, fuelNames, static_cast<int>(memory.fuelNames.size()),
               settings, grid);
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
