#pragma once

#include "sim/InstrumentMemory.h"

#include <optional>
#include <string>

namespace ovena::sim {

// The command set of the TEV 640 as the simulator answers it. Every command gets a reply text
// (without its line end):
//
//   ""                      ""            (the bare carriage return is answered with one too)
//   SERVICE001, SERVICE002  "OK"
//   R002                    the firmware version
//   R004                    the serial number
//   R402                    "<fuel count>;60"
//   R401nn                  "<nn>;0;<name nn>" (empty name beyond the names held)
//   R301                    "<capacity>;<used>;<to read>;<measurements>"
//   R302nnn                 first line of record nnn, which becomes the current record;
//                           "X" when there is no such record
//   R303                    next line of the current record; "X" when there is none
//   W307, W904              "OK"
//   W304                    "OK" after erasing the records
//   anything else           "?"
class Instrument {
public:
    // `reportedFuelCount` replaces the number of fuel names in the reply to R402.
    explicit Instrument(InstrumentMemory memory, std::optional<int> reportedFuelCount = {});

    std::string answer(const std::string& command);

    const InstrumentMemory& memory() const { return memory_; }

private:
    std::string fuelName(int number) const;
    std::string selectRecord(int number);
    std::string nextLine();

    InstrumentMemory memory_;
    std::optional<int> reportedFuelCount_;
    std::optional<size_t> currentRecord_;
    size_t nextLine_ = 0;
};

} // namespace ovena::sim
