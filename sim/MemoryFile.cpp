#include "MemoryFile.h"

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>

namespace ovena::sim {

namespace {

constexpr int maxCounter = 99999999;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

class Parser {
public:
    Parser(std::string_view text, std::string fileName)
        : text_(text), fileName_(std::move(fileName)) {}

    InstrumentMemory parse() {
        while (nextLine()) {
            if (line_.find('\r') != std::string_view::npos)
                fail("carriage return inside a line");
            if (inRecord_)
                recordLine();
            else
                settingLine();
        }
        if (inRecord_)
            fail(recordStart_, "record block without \"end\"");
        finishCounters();
        return memory_;
    }

private:
    bool nextLine() {
        if (pos_ >= text_.size())
            return false;
        const auto end = text_.find('\n', pos_);
        line_ =
            text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
        if (line_.ends_with('\r'))
            line_.remove_suffix(1);
        ++lineNumber_;
        return true;
    }

    void recordLine() {
        if (trimmed(line_) == "end") {
            if (memory_.records.back().empty())
                fail("record block without lines");
            inRecord_ = false;
        } else {
            memory_.records.back().emplace_back(line_);
        }
    }

    void settingLine() {
        const std::string_view content = trimmed(line_);
        if (content.empty() || content.starts_with('#'))
            return;
        if (content == "end")
            fail("\"end\" outside a record block");
        if (content == "record") {
            if (memory_.records.size() >= static_cast<size_t>(maxRecords))
                fail("more than " + std::to_string(maxRecords) + " records");
            memory_.records.emplace_back();
            inRecord_ = true;
            recordStart_ = lineNumber_;
            return;
        }
        const auto equals = line_.find('=');
        if (equals == std::string_view::npos)
            fail("expected key=value, \"record\" or a comment");
        const std::string_view key = trimmed(line_.substr(0, equals));
        const std::string_view value = line_.substr(equals + 1);
        if (key == "serial")
            setOnce(serialSeen_, key, [&] { memory_.serial = value; });
        else if (key == "firmware")
            setOnce(firmwareSeen_, key, [&] { memory_.firmware = value; });
        else if (key == "capacity")
            setCounter(capacity_, key, value);
        else if (key == "used")
            setCounter(used_, key, value);
        else if (key == "toread")
            setCounter(toRead_, key, value);
        else if (key == "measurements")
            setCounter(measurements_, key, value);
        else if (key == "fuel")
            addFuel(value);
        else
            fail("unknown key \"" + std::string(key) + "\"");
    }

    template <typename Set> void setOnce(bool& seen, std::string_view key, Set set) {
        if (seen)
            fail("\"" + std::string(key) + "\" given twice");
        seen = true;
        set();
    }

    void setCounter(std::optional<int>& counter, std::string_view key, std::string_view value) {
        const std::string_view digits = trimmed(value);
        int number = -1;
        const auto [end, error] = std::from_chars(digits.begin(), digits.end(), number);
        if (digits.empty() || error != std::errc() || end != digits.end() || number < 0 ||
            number > maxCounter)
            fail("\"" + std::string(key) + "\" needs a whole number from 0 to " +
                 std::to_string(maxCounter));
        bool seen = counter.has_value();
        setOnce(seen, key, [&] { counter = number; });
    }

    void addFuel(std::string_view name) {
        if (memory_.fuelNames.size() >= static_cast<size_t>(maxFuelNames))
            fail("more than " + std::to_string(maxFuelNames) + " fuel names");
        if (name.find(';') != std::string_view::npos)
            fail("a fuel name cannot contain \";\"");
        memory_.fuelNames.emplace_back(name);
    }

    void finishCounters() {
        memory_.countRecords();
        memory_.capacity = capacity_.value_or(memory_.capacity);
        memory_.used = used_.value_or(memory_.used);
        memory_.toRead = toRead_.value_or(memory_.toRead);
        memory_.measurements = measurements_.value_or(memory_.measurements);
    }

    [[noreturn]] void fail(const std::string& reason) const { fail(lineNumber_, reason); }
    [[noreturn]] void fail(int line, const std::string& reason) const {
        throw MemoryFileError(fileName_ + ":" + std::to_string(line) + ": " + reason);
    }

    std::string_view text_;
    std::string fileName_;
    size_t pos_ = 0;
    std::string_view line_;
    int lineNumber_ = 0;
    bool inRecord_ = false;
    int recordStart_ = 0;
    bool serialSeen_ = false;
    bool firmwareSeen_ = false;
    std::optional<int> capacity_, used_, toRead_, measurements_;
    InstrumentMemory memory_;
};

} // namespace

InstrumentMemory parseMemoryFile(std::string_view text, const std::string& fileName) {
    return Parser(text, fileName).parse();
}

InstrumentMemory loadMemoryFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw MemoryFileError(path + ": cannot open the file");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return parseMemoryFile(bytes.str(), path);
}

std::string formatMemoryFile(const InstrumentMemory& memory) {
    std::string text = "# TEV 640 instrument memory (tev640-sim memory file)\n";
    text += "serial=" + memory.serial + "\n";
    text += "firmware=" + memory.firmware + "\n";
    text += "capacity=" + std::to_string(memory.capacity) + "\n";
    text += "used=" + std::to_string(memory.used) + "\n";
    text += "toread=" + std::to_string(memory.toRead) + "\n";
    text += "measurements=" + std::to_string(memory.measurements) + "\n";
    for (const std::string& name : memory.fuelNames)
        text += "fuel=" + name + "\n";
    for (const Record& record : memory.records) {
        text += "record\n";
        for (const std::string& line : record)
            text += line + "\n";
        text += "end\n";
    }
    return text;
}

void saveMemoryFile(const std::string& path, const InstrumentMemory& memory) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << formatMemoryFile(memory);
    out.flush();
    if (!out)
        throw MemoryFileError(path + ": cannot write the file");
}

} // namespace ovena::sim
