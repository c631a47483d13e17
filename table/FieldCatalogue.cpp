#include "table/FieldCatalogue.h"

namespace ovena {

const FieldTable<std::string_view> FieldListTexts = {
    "Serial No.",
    "Customer No.",
    "Date / Time",
    "Fuel",
    "T - combustion air ",
    "T - flue gas",
    "T - boiler",
    "O2",
    "CO2",
    "CO",
    "CO - [@ 0% O2]",
    "NO",
    "NOx",
    "SO2",
    "NO2",
    "P",
    "Lambda",
    "Qa",
    "ETA",
    "Soot 1",
    "Soot 2",
    "Soot 3",
    "Oil derivate",
    "Draft [corr]",
};

const FieldTable<std::string_view> FieldHeadings = {
    "Serial No.", "Cust.No.", "Time",  "Fuel", "TA",   "TG",   "TB",       "O2",
    "CO2",        "CO",       "CO-0%", "NO",   "NOx",  "SO2",  "NO2",      "P",
    "Lambda",     "Qa",       "Eta",   "St 1", "St 2", "St 3", "Oil der.", "Draft[corr]",
};

const FieldTable<std::string_view> TestFieldHeadings = {
    "N.matricola",  "Codice impianto",
    "Data/ora",     "Combustibile",
    "T Aria Comb.", "T Fumi",
    "T Caldaia",    "O2",
    "CO2",          "CO",
    "CO-0%",        "NO",
    "NOx",          "SO2",
    "NO2",          "Press.",
    "Indice aria",  "Perdita",
    "Rendimento",   "N.Bacharach",
    "St 2",         "St 3",
    "Oil der.",     "Tiraggio corr.",
};

// The degree sign is the Windows-1252 byte 0xB0, written after the letter.
const FieldTable<std::string_view> FieldUnits = {
    "",       "",      "",      "",      "/ C\xB0", "/ C\xB0", "/ C\xB0", "/ Vol%",
    "/ Vol%", "/ ppm", "/ ppm", "/ ppm", "/ ppm",   "/ ppm",   "/ ppm",   "/ hPa",
    "",       "/ %",   "/ %",   "",      "",        "",        "",        "/ Pa",
};

} // namespace ovena
