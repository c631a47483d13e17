#pragma once

#include "archive/Register.h"

#include <optional>
#include <string_view>

namespace ovena::archive {

// The register's values as a user types them, in a file, a form or on the command line.

// A value of a plant, or of one of its generators.
enum class PlantField {
    Customer,
    Responsible,
    TaxCode,
    Role,
    Address,
    RegisterCode,
    Phone,
    Email,
    Notes,
    RecordsGenerator,
    Generator,
    Maker,
    Model,
    Serial,
    Kind,
    Fuel,
    Burner,
    UsefulPower,
    HeatInput,
    InstalledOn,
    ManufacturedOn,
};

// The field's name in exported files and in a "field=column" assignment ("useful_power_kw").
std::string_view fieldName(PlantField field);
// The field a heading names: its own name or a common Italian, German or English one
// ("Codice impianto", "Kundennummer", "Nennleistung", "Potenza utile"), ignoring case, accents,
// spaces and punctuation.
std::optional<PlantField> fieldOfHeading(std::string_view heading);

inline constexpr int PlantFieldCount = static_cast<int>(PlantField::ManufacturedOn) + 1;

// The field by its own name; none for another text.
std::optional<PlantField> fieldNamed(std::string_view name);

// A choice by its name in Italian, German or English, ignoring case and accents ("Brennwert",
// "condensazione", "gas condensing").
std::optional<ResponsibleRole> roleFromText(std::string_view text);
std::optional<GeneratorKind> generatorKindFromText(std::string_view text);
std::optional<BurnerKind> burnerKindFromText(std::string_view text);
// A power in kW: "24", "24.5", "24,5", "24,5 kW"; 0 or more.
std::optional<double> powerFromText(std::string_view text);
// "2010-05-31", or day first as Italy and Germany write it: "31/05/2010", "31.5.2010",
// "31-05-2010".
std::optional<Date> dateFromText(std::string_view text);
// A generator's number: "2" or "GT2"; 1 or more.
std::optional<int> generatorNumberFromText(std::string_view text);

// Sets one field of the plant, or of its generator `generatorNumber` (made when it has none),
// from a UTF-8 text (the customer number becomes the instrument's Windows-1252). Throws
// ArchiveError naming the field, the text and what it should be ("the power \"abc\" is not a
// number of kW").
void setField(Plant& plant, int generatorNumber, PlantField field, std::string_view text);

} // namespace ovena::archive
