#pragma once

#include "archive/Register.h"

#include <optional>
#include <string>
#include <string_view>

namespace ovena::archive {

// The content of a register version as text: one "name=value" line per value given, backslash,
// carriage return and line feed escaped, plant fields first, then each generator (technician)
// as a "generator=N" ("technician=N") line followed by its own fields. Names a program does not
// know are skipped, so a newer program's fields do not stop an older one from reading. Keys
// (customer number, instrument serial) are not part of the content.
std::string plantContent(const Plant& plant);
Plant plantFromContent(std::string_view customer, std::string_view content);
std::string instrumentContent(const InstrumentEntry& instrument);
InstrumentEntry instrumentFromContent(std::string_view serial, std::string_view content);
std::string companyContent(const Company& company);
Company companyFromContent(std::string_view content);

// The register's own names of the choices ("owner", "low temperature", "gas with fan"), as
// versions and exported files write them.
std::string_view nameOf(ResponsibleRole role);
std::string_view nameOf(GeneratorKind kind);
std::string_view nameOf(BurnerKind burner);
std::optional<ResponsibleRole> roleNamed(std::string_view name);
std::optional<GeneratorKind> generatorKindNamed(std::string_view name);
std::optional<BurnerKind> burnerKindNamed(std::string_view name);

// "2010-05-31"; a date of that form back (none when it is not a real date).
std::string dateText(Date date);
std::optional<Date> isoDate(std::string_view text);
// The shortest text that reads back as the same number, with a decimal point.
std::string numberText(double value);

} // namespace ovena::archive
