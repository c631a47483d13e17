#pragma once

#include "platform/Components.h"
#include "table/TableBuilder.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ovena {

// What one readout collects from the instrument and the table builder reads.
struct InstrumentData {
    // The reply to the serial-number command of the last readout.
    std::string InstrumentSerial;
    // Entries above FuelCount keep what an earlier readout left in them.
    FuelNameTable FuelNames;
    int FuelCount = 0;
    // The record lines of the last readout, one reply per line, in the order received.
    Memo Memo1;

    // The fuel names the last readout read, fuel 1 first.
    std::vector<std::string> FuelNamesRead() const {
        const auto first = FuelNames.begin() + 1;
        return {first, first + std::clamp(FuelCount, 0, MaxFuels)};
    }
};

} // namespace ovena
