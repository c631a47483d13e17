#include "link/TevCommands.h"

#include "link/Funcs.h"
#include "link/Scan.h"

namespace ovena {

std::string serviceCommand(InstrumentGeneration generation) {
    return std::string(generation == InstrumentGeneration::Second ? CmdService2 : CmdService1);
}

std::string fuelNameCommand(int i) {
    return std::string(CmdReadFuelName) + IntToZeroText(i, 2);
}

std::string recordCommand(int j) {
    return std::string(CmdReadRecord) + IntToZeroText(j, 3);
}

std::string replyItem(const std::string& reply, int item) {
    int cursor = 1;
    std::string text;
    for (int i = 1; i <= item; ++i)
        text = NextToken(reply, cursor);
    return item >= 1 ? text : std::string();
}

bool isEndOfRecord(const std::string& reply) {
    // Where lines end with CR LF, every reply begins with the line feed of the one before: its
    // end mark must still end the record, or the readout would ask for further lines for ever.
    const std::size_t first = reply.find_first_not_of('\n');
    return first != std::string::npos && reply[first] == 'X';
}

} // namespace ovena
