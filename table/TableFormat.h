#pragma once

#include "table/FieldCatalogue.h"

namespace ovena {

struct OutputSettings;

// The date layouts of "Date Time format", by their number on the configuration page.
enum class DateLayout : int {
    DayMonthYear,        // DD.MM.year
    MonthDayYear,        // MM.DD.year
    YearMonthDayDots,    // year.MM.DD
    YearMonthDayDashes,  // year-MM-DD
    YearMonthDaySlashes, // year/MM/DD
};

// How the table renders its records: the fields it shows and their formats.
struct TableFormat {
    TableFormat() { fields.fill(true); }
    // The configuration page's choices (OutputSettings), the one place they are read as such. An
    // unknown date layout is DayMonthYear.
    TableFormat(const OutputSettings& settings);

    FieldTable<bool> fields{}; // the fields that become columns, by field number
    DateLayout dateLayout = DateLayout::DayMonthYear;
    bool twoDigitYear = true;
    char decimalMark = ',';       // replaces every "," and "." of a value
    bool unitsInHeadings = false; // each heading followed by two blanks and the field's unit

    bool shows(int field) const { return fields[static_cast<std::size_t>(field)]; }
};

} // namespace ovena
