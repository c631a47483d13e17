#pragma once

#include "archive/Register.h"
#include "archive/RegisterFields.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ovena::archive {

enum class CsvEncoding { Utf8, Windows1252 };

struct CsvProblem {
    int line = 0; // of the file, from 1, where the row begins
    std::string reason;
};

// One row of the file that could be read: its line and the fields it gives (non-empty cells).
struct CsvRow {
    int line = 0;
    std::vector<std::pair<PlantField, std::string>> values;
};

// A register file as read, before anything is kept: for a preview, then for importPlants.
struct CsvReading {
    CsvEncoding encoding = CsvEncoding::Utf8;
    char separator = ';';
    std::vector<std::string> headings;              // UTF-8
    std::vector<std::optional<PlantField>> columns; // what each column holds; none: ignored
    std::vector<CsvRow> rows;
    std::vector<CsvProblem> problems; // rows that cannot be read, and why

    // The plants the rows make on their own (rows of one customer number together), in the
    // order the file first names them.
    std::vector<Plant> plants() const;
};

// Reads a register file: any of the separators ; , tab | (the one the heading row uses most),
// UTF-8 (with or without a byte order mark) or else Windows-1252, quoted cells as spreadsheets
// write them, the spaces around a value left out. The heading row names the columns
// (fieldOfHeading); `assignments`
// ("field=column", the column by its heading or its number from 1) decide for the columns they
// name. A row that cannot be read (no customer number, a power that is no number, a date that
// is no date, a kind not known, a quote not closed) is listed in `problems` and left out.
// Throws ArchiveError when the file has no heading row or no customer number column, or an
// assignment is not understood.
CsvReading readPlantsCsv(std::string_view bytes, const std::vector<std::string>& assignments = {});

struct CsvImport {
    int plants = 0;  // plants the file names
    int changed = 0; // of them, plants that got a new version
};

// Keeps the rows' values in the register, all in one transaction: over each plant's current
// state (its other values stay), a value the file gives replacing the one kept. Importing the
// same file again changes nothing.
CsvImport importPlants(PlantRegister& plants, const CsvReading& reading);

// The plants as a register file: UTF-8 with a byte order mark (so spreadsheets read every
// letter), ";" between cells, CRLF after each row, the field names as headings; one row per
// generator (a plant without one has a row of its own). readPlantsCsv reads it back as it was.
std::string plantsCsv(const std::vector<Plant>& plants);

} // namespace ovena::archive
