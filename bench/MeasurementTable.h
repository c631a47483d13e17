#pragma once

#include "platform/Components.h"

namespace ovena::bench {

// A measurement table of exactly `rows` rows below the heading row, with the cells the table
// builder makes from a full generated instrument memory, every field ticked. Only the 24 field
// columns are exported: the label column and the empty last column have width 0.
StringGrid measurementTable(int rows);

// The exported data cells of a table: rows times fields.
long long dataCells(const StringGrid& grid);

} // namespace ovena::bench
