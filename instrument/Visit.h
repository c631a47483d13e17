#pragma once

#include "instrument/Fields.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ovena::instrument {

// A record of the instrument is its lines, each one reply of the record phase (Windows-1252,
// without the carriage return): items separated by ";", item 0 the line type, then value 1,
// value 2, ...

enum LineType : int {
    CustomerLine = 1,    // value 1: the customer number
    MeasurementLine = 2, // values 1 to 21, see Fields.h
    DraftLine = 12,      // value 4: the corrected draft, for the next measurement line
    FirstTestLine = 21,  // 21, 22 and 23 are tests 1 to 3, with the values of a measurement
    LastTestLine = 23,
};
inline constexpr int ValueCount = 21; // values of a measurement or test line
inline constexpr int DraftValue = 4;

// Item `index` of a line (0 the line type), without its ";"; empty past the last item.
std::string_view item(std::string_view line, int index);

// The line type: the number item 0 holds, read as TextToInt reads it (0 when it holds none).
int lineType(std::string_view line);

// A value as the instrument wrote it and the number it holds (platform/NumberText.h).
struct Value {
    std::string text;
    std::optional<double> number;
};

// A measurement's date and time, from ten digits YYMMDDhhmm (the year 20YY).
struct DateTime {
    std::chrono::year_month_day date;
    std::chrono::minutes time; // since midnight

    // ISO 8601 to the minute: "2023-12-24T15:30".
    std::string iso() const;
    bool operator==(const DateTime&) const = default;
};

// None when the text is not ten digits or they name no date and time of day (month 13, the 30th
// of February, 24:00).
std::optional<DateTime> parseDateTime(std::string_view digits);

// The efficiency a flue-gas loss Qa gives: 100 minus Qa; none when Qa is below 0.1, as no loss
// was measured.
std::optional<double> EfficiencyFromLoss(double qa);

// One measurement or test line of a record.
struct Measurement {
    std::size_t line = 0; // its place among the record's lines, from 0
    int type = MeasurementLine;
    int test = 0; // 1 to 3 for the test lines 21 to 23; 0 for a plain measurement
    // The first plain measurement after a test: the instrument's mean of the tests, which the
    // table labels "Med.".
    bool mean = false;
    std::optional<DateTime> takenAt;          // from value 1
    int fuel = 0;                             // value 2 read as TextToInt reads it, as written
    std::array<Value, ValueCount + 1> values; // values[k] is value k; values[0] stays empty
    // The draft that applies: value 4 of the draft line before a plain measurement (carried past
    // tests, used once); none for a test or without such a line.
    std::optional<Value> draft;

    bool isTest() const { return test != 0; }
    // The value a field is read from (Efficiency: Qa; Draft: the draft; SerialNo and CustomerNo
    // come from no measurement line): an empty value where there is none.
    const Value& value(Field field) const;
    // The number of a measured field (AirTemperature to Draft), the efficiency computed from
    // Qa; none for the other fields or where the line holds no number.
    std::optional<double> number(Field field) const;
};

// A row of the table a record makes: a customer line opens one, and so does each measurement
// or test line that finds no row open (a customer line's row takes its first measurement).
struct Row {
    enum class Opening {
        CustomerLine,
        Measurement,
        // The last customer line of the record read before opened it (VisitReader).
        EarlierRecord,
    };
    Opening openedBy = Opening::CustomerLine;
    std::size_t line = 0; // the line that opened it, or that filled a row opened earlier
    // The customer number the row shows: its customer line's or the row above's; none before
    // the record's first customer line.
    std::optional<std::string> customer;
    std::optional<std::size_t> measurement; // in Visit::measurements; none for a customer alone
};

// One record read: one visit of a technician at a customer's plant.
struct Visit {
    std::string customer;                  // value 1 of the first customer line; empty without one
    std::vector<int> lineTypes;            // of every line, in order
    std::vector<Measurement> measurements; // measurement and test lines, in order
    std::vector<Row> rows;

    // Tests 1 to 3 in the order read.
    std::vector<const Measurement*> tests() const;
    // The instrument's mean of the tests, the first when there are several; none without.
    const Measurement* mean() const;
};

// Reads records into visits. What carries from one line to the next (a row a customer line
// opened, the draft, a test before the mean) carries on into the next record the same reader
// reads: the records of one table are read as one sequence of lines.
class VisitReader {
public:
    Visit read(std::span<const std::string> lines);

private:
    bool rowOpen_ = false;
    bool afterTest_ = false;
    std::optional<Value> pendingDraft_;
};

// One record on its own.
Visit readVisit(std::span<const std::string> lines);

} // namespace ovena::instrument
