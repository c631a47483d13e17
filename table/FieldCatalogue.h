#pragma once

#include <array>
#include <string_view>

namespace ovena {

// The fixed, ordered catalogue of the exportable measurement fields. A field's number is its
// position in the check list of the configuration page and the column order of the table.
inline constexpr int FieldCount = 24;

// Field numbers the table builder treats specially; every other field copies one value of a
// measurement line.
enum FieldNumber : int {
    FieldSerialNo = 0,    // the instrument's serial number
    FieldCustomerNo = 1,  // value 1 of the customer line
    FieldDateTime = 2,    // rendered by the date-time settings
    FieldFuel = 3,        // a fuel number, shown as its name
    FieldEfficiency = 18, // computed from Qa
    FieldDraft = 23,      // value 4 of the preceding draft line
};

template <typename T> using FieldTable = std::array<T, FieldCount>;

// Windows-1252 texts: the check list's texts, the column headings, the headings used when a
// readout holds test measurements, and the unit suffixes of the units line (empty where none).
extern const FieldTable<std::string_view> FieldListTexts;
extern const FieldTable<std::string_view> FieldHeadings;
extern const FieldTable<std::string_view> TestFieldHeadings;
extern const FieldTable<std::string_view> FieldUnits;

// The number of the value a field comes from: for fields 1 and 23 in the customer and draft
// line, for fields 2 to 22 in a measurement line (field 18 names Qa, which it is computed
// from). Field 0 comes from no record line and maps to 0.
extern const FieldTable<int> FieldTokenMap;

} // namespace ovena
