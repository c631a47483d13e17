// Record lines of any content through the table builder, under any output settings.

#include "FuzzSupport.h"

#include "table/TableBuilder.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <sstream>

using namespace ovena;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    OutputSettings settings;
    settings.RadioGroup1.ItemIndex = in.ConsumeIntegralInRange(-1, 6);
    settings.RadioGroup2.ItemIndex = in.ConsumeIntegralInRange(0, 1);
    settings.RadioGroup3.ItemIndex = in.ConsumeIntegralInRange(0, 1);
    const auto ticks = in.ConsumeIntegral<std::uint32_t>();
    int ticked = 0;
    for (int f = 0; f < FieldCount; ++f) {
        settings.Listboxfields.Checked[static_cast<std::size_t>(f)] = (ticks >> f) & 1;
        ticked += (ticks >> f) & 1;
    }
    settings.CBHeader.Checked = in.ConsumeBool();
    settings.CBDimension.Checked = in.ConsumeBool();

    FuelNameTable fuelNames;
    const int fuelCount = in.ConsumeIntegralInRange(0, MaxFuels);
    for (int i = 1; i <= fuelCount; ++i)
        fuelNames[static_cast<std::size_t>(i)] = "Fuel " + std::to_string(i);
    const std::string serial = in.ConsumeRandomLengthString(16);

    Memo lines;
    std::istringstream rest(in.ConsumeRemainingBytesAsString());
    for (std::string line; std::getline(rest, line);)
        lines.Lines.push_back(line);

    StringGrid grid;
    BuildTable(lines, serial, fuelNames, fuelCount, settings, grid);
    require(grid.RowCount() >= 1, "the table keeps its heading row");
    if (ticked > 0)
        require(grid.ColCount() == ticked + 2,
                "one column per ticked field, the label and one more");
    return 0;
}
