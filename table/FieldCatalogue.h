#pragma once

#include "instrument/Fields.h"

#include <array>
#include <string_view>

namespace ovena {

// The fixed, ordered catalogue of the exportable measurement fields (instrument::Field): their
// texts. A field's number is its position in the check list of the configuration page and the
// column order of the table.
inline constexpr int FieldCount = instrument::FieldCount;

// Field numbers the table builder treats specially; every other field copies one value of a
// measurement line.
enum FieldNumber : int {
    FieldSerialNo = instrument::number(instrument::Field::SerialNo),
    FieldCustomerNo = instrument::number(instrument::Field::CustomerNo),
    FieldDateTime = instrument::number(instrument::Field::DateTime),     // by the date settings
    FieldFuel = instrument::number(instrument::Field::Fuel),             // shown as its name
    FieldEfficiency = instrument::number(instrument::Field::Efficiency), // computed from Qa
    FieldDraft = instrument::number(instrument::Field::Draft),
};

template <typename T> using FieldTable = std::array<T, FieldCount>;

// Windows-1252 texts: the check list's texts, the column headings, the headings used when a
// readout holds test measurements, and the unit suffixes of the units line (empty where none).
extern const FieldTable<std::string_view> FieldListTexts;
extern const FieldTable<std::string_view> FieldHeadings;
extern const FieldTable<std::string_view> TestFieldHeadings;
extern const FieldTable<std::string_view> FieldUnits;

// The number of the value a field comes from (instrument::FieldValueNumbers).
inline constexpr const FieldTable<int>& FieldTokenMap = instrument::FieldValueNumbers;

} // namespace ovena
