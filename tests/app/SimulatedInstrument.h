#pragma once

#include "sim/SimProcess.h"
#include "support/TestEnvironment.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace ovena::test {

// tev640-sim on a COM port of the sandbox with two stored measurements, logging every command
// it receives.
class SimulatedInstrument {
public:
    static constexpr int Port = 5;
    static constexpr const char* TwoRecords =
        "serial=64012345\nfirmware=V3.02\nfuel=Heiz\xF6l EL\nfuel=Erdgas H\n"
        "record\n1;4711\n"
        "2;0712241530;2;21.5;180.2;60.0;3.5;12;40;1013.2;1.20;10.8;15;7.3;0;0;0;0;0;1;0;41\n"
        "end\nrecord\n1;4712\n"
        "2;0712251000;1;20.0;150.0;55.0;4.0;8;35;1001.0;1.24;12.1;9;0.05;1;0;0;0;0;0;0;35\n"
        "end\n";
    // The CSV file the window writes from TwoRecords with the fields 0, 1, 2, 3, 7 and 18, the
    // headline and row numbers, under a German locale.
    static constexpr const char* TwoRecordsCsv =
        "\"Item\";\"\";\"Serial No.\";\"Cust.No.\";\"Time\";\"Fuel\";\"O2\";\"Eta\";\"\"\r\n"
        "1;\"\";64012345;4711;\"24.12.07  15:30\";\"Erdgas H\";3,5;92,7;\"\"\r\n"
        "2;\"\";64012345;4712;\"25.12.07  10:00\";\"Heiz\xF6l EL\";4,0;\"\";\"\"\r\n";

    explicit SimulatedInstrument(const std::string& memory = TwoRecords)
        : log_(sandboxFolder() + "/commands.log") {
        const std::string memoryFile = sandboxFolder() + "/memory.txt";
        writeFile(memoryFile, memory);
        sim_ = std::make_unique<SimProcess>(std::vector<std::string>{
            "--memory", memoryFile, "--port", std::to_string(Port), "--log", log_});
        if (!sim_->started())
            throw std::runtime_error("tev640-sim did not start: " + sim_->errorOutput());
        sim_->nextLine(); // the port line: the link exists from here on
    }

    // The commands received so far, in order.
    std::vector<std::string> commands() const {
        std::vector<std::string> lines;
        const std::string text = readFile(log_);
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
            start = end == std::string::npos ? text.size() : end + 1;
        }
        return lines;
    }

private:
    std::string log_;
    std::unique_ptr<SimProcess> sim_;
};

} // namespace ovena::test
