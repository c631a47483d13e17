#pragma once

#include <QStringList>
#include <string>

namespace ovena {

// The save dialog's filter "Description|pattern|Description|pattern" (Windows-1252, patterns
// separated by ";") as Qt name filters "Description (pattern pattern)". "*.*" means every file
// and becomes "*"; a description without a pattern filters nothing. Patterns that a
// description names in parentheses are replaced by the filter's own.
QStringList qtNameFilters(const std::string& filter);

} // namespace ovena
