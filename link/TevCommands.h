#pragma once

#include <string>
#include <string_view>

namespace ovena {

// The TEV 640 command set: every command text the procedures send, and the items of the replies
// they rely on. Items are ";"-separated and numbered from 1; numbers are decimal text.

// Wakes the instrument's interface: a bare carriage return. Its reply is not looked at.
inline constexpr std::string_view CmdWakeUp = "";
// Service mode; the second form when the instrument generation "SERVICE002" is chosen.
inline constexpr std::string_view CmdService1 = "SERVICE001";
inline constexpr std::string_view CmdService2 = "SERVICE002";
// The whole reply is the firmware version.
inline constexpr std::string_view CmdReadVersion = "R002";
// The whole reply is the serial number.
inline constexpr std::string_view CmdReadSerial = "R004";
// Item FuelCountItem: the number of fuel names.
inline constexpr std::string_view CmdReadFuelCount = "R402";
// Followed by the two-digit fuel number (01 to 60); item FuelNameItem: the name.
inline constexpr std::string_view CmdReadFuelName = "R401";
// Items 1 to 4: the record counters.
inline constexpr std::string_view CmdReadCounters = "R301";
// Followed by the three-digit record number (from 000); the reply is the record's first line.
inline constexpr std::string_view CmdReadRecord = "R302";
// The next line of the current record; see isEndOfRecord.
inline constexpr std::string_view CmdReadNextLine = "R303";
// Sent in this order after a complete record phase.
inline constexpr std::string_view CmdReadoutDone = "W307";
inline constexpr std::string_view CmdEndService = "W904";
// Erases the measurement memory; followed by CmdEndService.
inline constexpr std::string_view CmdEraseMemory = "W304";

inline constexpr int FuelCountItem = 1;
inline constexpr int FuelNameItem = 3;
inline constexpr int MaxFuelNames = 60;
inline constexpr int MaxFuelNameLength = 30;
// Record numbers of CmdReadRecord run from 000 to 999.
inline constexpr int MaxRecords = 1000;

inline constexpr int CapacityItem = 1;
inline constexpr int UsedRecordsItem = 2;
inline constexpr int RecordsToReadItem = 3;
inline constexpr int MeasurementRecordsItem = 4;

// The instrument generation, which decides the service command.
enum class InstrumentGeneration {
    First,  // CmdService1
    Second, // CmdService2: the instruments of version 2.x and 3.x
};

std::string serviceCommand(InstrumentGeneration generation);
// "R401" and i in two digits: fuelNameCommand(7) is "R40107".
std::string fuelNameCommand(int i);
// "R302" and j in three digits: recordCommand(12) is "R302012".
std::string recordCommand(int j);
// Item `item` (from 1) of a reply; empty when the reply has fewer items.
std::string replyItem(const std::string& reply, int item);
// A reply to CmdReadNextLine that begins with "X" (after any line feeds left by a CR LF line
// end): the record has no further line.
bool isEndOfRecord(const std::string& reply);

} // namespace ovena
