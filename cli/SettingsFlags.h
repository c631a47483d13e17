#pragma once

#include "export/EC_Main.h"
#include "table/OutputSettings.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ovena::cli {

// The formats the main window offers, by their command-line names.
const std::map<std::string, TExportType>& readoutFormats();

// The settings of the configuration page as flags (main.cpp names them); each one given
// replaces the stored value for this run only. --trace goes with them, as every instrument
// command has it.
struct SettingsFlags {
    bool trace = false;
    std::optional<int> port;
    std::optional<int> dateLayout;
    std::optional<std::string> year;
    std::optional<std::string> decimal;
    std::optional<std::vector<int>> fields;
    // Flag pairs such as --headline and --no-headline; neither given keeps the stored value.
    struct Switch {
        bool on = false;
        bool off = false;
    };
    Switch headline, units, timestamp, numberRows, secondGeneration;

    void apply(OutputSettings& s) const;
};

// A table export as the main window makes it: the table's settings, the format and the file.
struct TableExportFlags {
    SettingsFlags settings;
    std::string format = "excel";
    std::string output;

    TExportType type() const { return readoutFormats().at(format); }
    // Empty when the flags go together; otherwise what is wrong.
    std::string problem() const;
};

} // namespace ovena::cli
