#include "InstrumentMemory.h"

#include <algorithm>

namespace ovena::sim {

void InstrumentMemory::countRecords() {
    used = toRead = static_cast<int>(records.size());
    measurements = 0;
    for (const Record& record : records)
        measurements += static_cast<int>(
            std::count_if(record.begin(), record.end(), [](const std::string& line) {
                return line.starts_with("2;") || line == "2";
            }));
}

void InstrumentMemory::eraseRecords() {
    records.clear();
    countRecords();
}

} // namespace ovena::sim
