#include "archive/RegisterCsv.h"

#include "archive/RegisterContent.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>

namespace ovena::archive {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Sets the row's values on the plant. Throws ArchiveError with the reason a value cannot be
// read.
void applyRow(Plant& plant, const CsvRow& row) {
    int number = 1;
    for (const auto& [field, text] : row.values) {
        if (field == PlantField::Generator) {
            setField(plant, number, field, text);
            number = *generatorNumberFromText(text);
        }
    }
    for (const auto& [field, text] : row.values)
        if (field != PlantField::Customer && field != PlantField::Generator)
            setField(plant, number, field, text);
}

// The cell without the spaces around it.
std::string trimmed(std::string_view cell) {
    const std::size_t first = cell.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(cell.substr(first, cell.find_last_not_of(' ') - first + 1));
}

Plant plantNumbered(const std::string& customer) {
    Plant plant;
    plant.customer = customer;
    return plant;
}

// The customer number of a row as the instrument stores it.
std::string customerOf(const CsvRow& row) {
    for (const auto& [field, text] : row.values)
        if (field == PlantField::Customer)
            return utf8ToCp1252(text);
    return {};
}

// Splits the text into rows of cells, RFC 4180 style: a quoted cell may hold separators,
// line breaks and doubled quotes. Calls onRow(line, cells) for each row; answers the line of
// a quote never closed, or 0.
template <class OnRow> int splitRows(std::string_view text, char separator, OnRow onRow) {
    std::vector<std::string> cells(1);
    int line = 1, rowLine = 1;
    bool quoted = false, rowStarted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cells.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                line += c == '\n' ? 1 : 0;
                cells.back() += c;
            }
        } else if (c == '"' && cells.back().empty()) {
            quoted = rowStarted = true;
        } else if (c == separator) {
            cells.emplace_back();
            rowStarted = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            if (rowStarted || !cells.back().empty())
                onRow(rowLine, cells);
            cells.assign(1, {});
            rowStarted = false;
            rowLine = ++line;
        } else {
            cells.back() += c;
            rowStarted = true;
        }
    }
    if (quoted)
        return rowLine;
    if (rowStarted || !cells.back().empty())
        onRow(rowLine, cells);
    return 0;
}

// The separator the first row uses most, outside quotes.
char separatorOf(std::string_view text) {
    constexpr std::string_view Candidates = ";,\t|";
    std::array<int, 4> counts{};
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && Candidates.find(c) != std::string_view::npos)
            ++counts[Candidates.find(c)];
    }
    return Candidates[static_cast<std::size_t>(std::max_element(counts.begin(), counts.end()) -
                                               counts.begin())];
}

// Applies "field=column" assignments to the columns.
void assign(CsvReading& reading, const std::vector<std::string>& assignments) {
    for (const std::string& assignment : assignments) {
        const std::size_t equals = assignment.find('=');
        const std::string name = assignment.substr(0, equals);
        const std::optional<PlantField> known = fieldNamed(name);
        if (equals == std::string::npos || !known)
            throw ArchiveError("\"" + assignment + "\" is not field=column with a field of the " +
                               "register (customer, responsible, address, ...)");
        const std::string column = assignment.substr(equals + 1);
        auto at = std::find(reading.headings.begin(), reading.headings.end(), column);
        std::size_t index = static_cast<std::size_t>(at - reading.headings.begin());
        if (at == reading.headings.end()) {
            int number = 0;
            const auto [end, error] =
                std::from_chars(column.data(), column.data() + column.size(), number);
            if (error != std::errc() || end != column.data() + column.size() || number < 1 ||
                static_cast<std::size_t>(number) > reading.headings.size())
                throw ArchiveError("the file has no column \"" + column + "\"");
            index = static_cast<std::size_t>(number - 1);
        }
        for (std::optional<PlantField>& field : reading.columns)
            if (field == known)
                field.reset();
        reading.columns[index] = known;
    }
}

void quoteCell(std::string& out, std::string_view cell) {
    if (cell.find_first_of(";\"\r\n") == std::string_view::npos) {
        out += cell;
        return;
    }
    out += '"';
    for (char c : cell) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::vector<Plant> CsvReading::plants() const {
    std::vector<Plant> plants;
    std::map<std::string, std::size_t> byCustomer;
    for (const CsvRow& row : rows) {
        const std::string customer = customerOf(row);
        auto [at, added] = byCustomer.emplace(customer, plants.size());
        if (added)
            plants.push_back(plantNumbered(customer));
        applyRow(plants[at->second], row);
    }
    return plants;
}

CsvReading readPlantsCsv(std::string_view bytes, const std::vector<std::string>& assignments) {
    CsvReading reading;
    std::string text;
    if (bytes.starts_with(ByteOrderMark)) {
        text = bytes.substr(ByteOrderMark.size());
    } else if (isUtf8(bytes)) {
        text = bytes;
    } else {
        reading.encoding = CsvEncoding::Windows1252;
        text = cp1252ToUtf8(bytes);
    }
    if (!isUtf8(text))
        throw ArchiveError("the file is neither UTF-8 nor Windows-1252 text");
    reading.separator = separatorOf(text);

    bool heading = true;
    const int unclosed =
        splitRows(text, reading.separator, [&](int line, const std::vector<std::string>& cells) {
            if (heading) {
                heading = false;
                reading.headings = cells;
                for (const std::string& cell : cells)
                    reading.columns.push_back(fieldOfHeading(cell));
                assign(reading, assignments);
                if (std::find(reading.columns.begin(), reading.columns.end(),
                              PlantField::Customer) == reading.columns.end())
                    throw ArchiveError("no column of the file holds the customer number (name it "
                                       "\"customer\", \"Codice impianto\" or \"Kundennummer\", or "
                                       "assign one: customer=COLUMN)");
                return;
            }
            if (std::all_of(cells.begin(), cells.end(),
                            [](const std::string& c) { return c.empty(); }))
                return;
            CsvRow row{line, {}};
            for (std::size_t i = 0; i < cells.size(); ++i) {
                if (i >= reading.columns.size()) {
                    if (!cells[i].empty()) {
                        reading.problems.push_back(
                            {line, std::to_string(cells.size()) + " cells, the heading row has " +
                                       std::to_string(reading.columns.size())});
                        return;
                    }
                } else if (const std::string value = trimmed(cells[i]);
                           reading.columns[i] && !value.empty()) {
                    row.values.emplace_back(*reading.columns[i], value);
                }
            }
            const std::string customer = customerOf(row);
            if (customer.empty()) {
                reading.problems.push_back({line, "no customer number"});
                return;
            }
            if (cp1252ToUtf8(customer) !=
                std::find_if(row.values.begin(), row.values.end(), [](const auto& v) {
                    return v.first == PlantField::Customer;
                })->second) {
                reading.problems.push_back({line, "the customer number holds a character no "
                                                  "instrument can"});
                return;
            }
            try {
                Plant scratch = plantNumbered(customer);
                applyRow(scratch, row);
            } catch (const ArchiveError& e) {
                reading.problems.push_back({line, e.what()});
                return;
            }
            reading.rows.push_back(std::move(row));
        });
    if (heading)
        throw ArchiveError("the file has no heading row");
    if (unclosed > 0)
        reading.problems.push_back({unclosed, "a quote opened here is never closed; the rest of "
                                              "the file is left out"});
    return reading;
}

CsvImport importPlants(PlantRegister& plants, const CsvReading& reading) {
    std::vector<Plant> merged;
    std::map<std::string, std::size_t> byCustomer;
    for (const CsvRow& row : reading.rows) {
        const std::string customer = customerOf(row);
        auto [at, added] = byCustomer.emplace(customer, merged.size());
        if (added)
            merged.push_back(plants.plant(customer).value_or(plantNumbered(customer)));
        applyRow(merged[at->second], row);
    }
    CsvImport result;
    result.plants = static_cast<int>(merged.size());
    result.changed = plants.savePlants(merged);
    return result;
}

std::string plantsCsv(const std::vector<Plant>& plants) {
    std::string out(ByteOrderMark);
    for (int field = 0; field < PlantFieldCount; ++field) {
        if (field > 0)
            out += ';';
        out += fieldName(static_cast<PlantField>(field));
    }
    out += "\r\n";
    const auto optionalText = [](auto value, auto toText) {
        return value ? std::string(toText(*value)) : std::string();
    };
    const auto nameOfRole = [](ResponsibleRole r) { return nameOf(r); };
    const auto nameOfKind = [](GeneratorKind k) { return nameOf(k); };
    const auto nameOfBurner = [](BurnerKind b) { return nameOf(b); };
    for (const Plant& plant : plants) {
        const std::vector<HeatGenerator> generators =
            plant.generators.empty() ? std::vector<HeatGenerator>{HeatGenerator{}}
                                     : plant.generators;
        for (const HeatGenerator& g : generators) {
            const bool none = plant.generators.empty();
            const std::string cells[] = {
                cp1252ToUtf8(plant.customer),
                plant.responsible.name,
                plant.responsible.taxCode,
                optionalText(plant.responsible.role, nameOfRole),
                plant.address,
                plant.registerCode,
                plant.phone,
                plant.email,
                plant.notes,
                std::to_string(plant.recordsGenerator),
                none ? "" : std::to_string(g.number),
                g.maker,
                g.model,
                g.serial,
                optionalText(g.kind, nameOfKind),
                g.fuel,
                optionalText(g.burner, nameOfBurner),
                optionalText(g.usefulPowerKw, numberText),
                optionalText(g.heatInputKw, numberText),
                optionalText(g.installedOn, dateText),
                optionalText(g.manufacturedOn, dateText),
            };
            for (std::size_t i = 0; i < std::size(cells); ++i) {
                if (i > 0)
                    out += ';';
                quoteCell(out, cells[i]);
            }
            out += "\r\n";
        }
    }
    return out;
}

} // namespace ovena::archive
