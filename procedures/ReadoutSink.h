#pragma once

#include "platform/Outcome.h"

#include <span>
#include <string>
#include <string_view>

namespace ovena {

struct InstrumentData;

// How a readout ended, for the records it read.
enum class ReadoutEnd {
    Complete,           // every record requested and the closing commands answered
    Cancelled,          // the user cancelled in the record phase
    CommunicationError, // a request of the record phase or a closing command went unanswered
};

// How the readout ended in words: "complete", "cancelled", "communication error".
constexpr std::string_view ReadoutEndText(ReadoutEnd end) {
    switch (end) {
    case ReadoutEnd::Cancelled:
        return "cancelled";
    case ReadoutEnd::CommunicationError:
        return "communication error";
    case ReadoutEnd::Complete:
        break;
    }
    return "complete";
}

// Takes the records of a readout as the readout reads them. The front ends connect it to the
// measurement archive.
class ReadoutSink {
public:
    virtual ~ReadoutSink() = default;

    // A readout begins; the port is chosen.
    virtual void ReadoutStarted() = 0;
    // A record whose end mark has arrived: its lines as they stand in Memo1. A record cut short
    // (by a cancel or an unanswered continuation) is not handed over, nor a request that only
    // brought the end mark (no such record).
    virtual void RecordRead(std::span<const std::string> lines) = 0;
    // The record phase is over and the port closed; `data` holds the serial number and the fuel
    // names. Runs before the table is built. Answers whether the records were kept, or why not
    // (Windows-1252).
    virtual Outcome ReadoutEnded(const InstrumentData& data, ReadoutEnd end) = 0;
};

} // namespace ovena
