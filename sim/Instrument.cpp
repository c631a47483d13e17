#include "Instrument.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace ovena::sim {

namespace {

// The number after `prefix` when the command is the prefix followed by digits only.
std::optional<int> numberAfter(std::string_view command, std::string_view prefix) {
    if (!command.starts_with(prefix))
        return std::nullopt;
    const std::string_view digits = command.substr(prefix.size());
    if (digits.empty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int number = 0;
    std::from_chars(digits.begin(), digits.end(), number);
    return number;
}

std::string twoDigits(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

} // namespace

Instrument::Instrument(InstrumentMemory memory, std::optional<int> reportedFuelCount)
    : memory_(std::move(memory)), reportedFuelCount_(reportedFuelCount) {}

std::string Instrument::answer(const std::string& command) {
    if (command.empty())
        return "";
    if (command == "SERVICE001" || command == "SERVICE002" || command == "W307" ||
        command == "W904")
        return "OK";
    if (command == "W304") {
        memory_.eraseRecords();
        currentRecord_.reset();
        return "OK";
    }
    if (command == "R002")
        return memory_.firmware;
    if (command == "R004")
        return memory_.serial;
    if (command == "R402")
        return std::to_string(
                   reportedFuelCount_.value_or(static_cast<int>(memory_.fuelNames.size()))) +
               ";" + std::to_string(maxFuelNames);
    if (command == "R301")
        return std::to_string(memory_.capacity) + ";" + std::to_string(memory_.used) + ";" +
               std::to_string(memory_.toRead) + ";" + std::to_string(memory_.measurements);
    if (command == "R303")
        return nextLine();
    if (auto number = numberAfter(command, "R401"))
        return twoDigits(*number) + ";0;" + fuelName(*number);
    if (auto number = numberAfter(command, "R302"))
        return selectRecord(*number);
    return "?";
}

std::string Instrument::fuelName(int number) const {
    if (number < 1 || number > static_cast<int>(memory_.fuelNames.size()))
        return "";
    return memory_.fuelNames[number - 1];
}

std::string Instrument::selectRecord(int number) {
    if (number >= static_cast<int>(memory_.records.size())) {
        currentRecord_.reset();
        return "X";
    }
    currentRecord_ = number;
    nextLine_ = 0;
    return nextLine();
}

std::string Instrument::nextLine() {
    if (!currentRecord_ || nextLine_ >= memory_.records[*currentRecord_].size())
        return "X";
    return memory_.records[*currentRecord_][nextLine_++];
}

} // namespace ovena::sim
