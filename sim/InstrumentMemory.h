#pragma once

#include <string>
#include <vector>

namespace ovena::sim {

// One stored record: the record lines the instrument sends for it, in order, each without its
// carriage return (a customer line "1;...", optional draft line "12;...", test lines "21;" to
// "23;" and measurement lines "2;...").
using Record = std::vector<std::string>;

// The measurement memory of the instrument. Texts are Windows-1252 bytes.
struct InstrumentMemory {
    std::string serial = "64000001";
    std::string firmware = "V3.02";
    int capacity = 1000;
    int used = 0;
    int toRead = 0;
    int measurements = 0;
    std::vector<std::string> fuelNames;
    std::vector<Record> records;

    bool operator==(const InstrumentMemory&) const = default;

    // Sets the three record counters from the records held: used and to read are the number
    // of records, measurements the number of measurement lines (type 2).
    void countRecords();
    // Erases every record; the record counters follow, the capacity stays.
    void eraseRecords();
};

// Limits of the instrument: the record number of "R302" has three digits, the fuel table 60
// entries.
inline constexpr int maxRecords = 1000;
inline constexpr int maxFuelNames = 60;

} // namespace ovena::sim
